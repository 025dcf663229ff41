#include "analysis/DoskCodeUnits.h"

namespace quibo {
namespace {

// Both directions of code page 932 (UNIT_OF_SJIS, SJIS_OF_UNIT), generated
// from the C library's converter when the engine is built.
#include "Cp932Tables.inc"

// `units` has room for every unit (two bytes per input byte at most).
void appendUnit(CodeUnits& units, std::size_t& used, std::uint16_t unit)
{
    units[used++] = static_cast<std::uint8_t>(unit >> 8);
    units[used++] = static_cast<std::uint8_t>(unit & 0xFF);
}

// The JIS row/cell arithmetic between EUC-JP and Shift_JIS.
std::uint16_t eucToSjis(unsigned first, unsigned second)
{
    unsigned j1 = first & 0x7F, j2 = second & 0x7F;
    unsigned s1 = ((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0);
    unsigned s2 = (j1 & 1) ? j2 + (j2 < 0x60 ? 0x1F : 0x20) : j2 + 0x7E;
    return static_cast<std::uint16_t>(((s1 & 0xFF) << 8) | (s2 & 0xFF));
}

// False when the Shift_JIS code has no two-byte EUC-JP form.
bool sjisToEuc(std::uint16_t sjis, unsigned& first, unsigned& second)
{
    unsigned s1 = sjis >> 8, s2 = sjis & 0xFF;
    if (s1 < 0x81 || s1 > 0xEF || (s1 > 0x9F && s1 < 0xE0)) return false;
    if (s2 < 0x40 || s2 > 0xFC || s2 == 0x7F) return false;
    unsigned row = (s1 >= 0xE0 ? s1 - 0x40 : s1);
    unsigned j1 = (row - 0x81) * 2 + 0x21;
    unsigned j2;
    if (s2 >= 0x9F) {
        ++j1;
        j2 = s2 - 0x7E;
    } else {
        j2 = s2 - (s2 >= 0x80 ? 0x20 : 0x1F);
    }
    if (j1 < 0x21 || j1 > 0x7E || j2 < 0x21 || j2 > 0x7E) return false;
    first = j1 | 0x80;
    second = j2 | 0x80;
    return true;
}

// The unit of every two-byte EUC-JP character whose bytes both lie in A1..FE,
// by (first - A1) * 94 + (second - A1): a sentence then converts with one
// look-up per character.
constexpr unsigned EUC_ROW = 0xFE - 0xA1 + 1;

const std::uint16_t* eucUnits()
{
    static const std::vector<std::uint16_t> table = [] {
        std::vector<std::uint16_t> units(EUC_ROW * EUC_ROW);
        for (unsigned first = 0xA1; first <= 0xFE; ++first)
            for (unsigned second = 0xA1; second <= 0xFE; ++second)
                units[(first - 0xA1) * EUC_ROW + (second - 0xA1)] = UNIT_OF_SJIS[eucToSjis(first, second)];
        return units;
    }();
    return table.data();
}

}  // namespace

std::uint16_t sjisToUnit(std::uint16_t sjis) { return UNIT_OF_SJIS[sjis]; }

std::uint16_t unitToSjis(std::uint16_t unit) { return SJIS_OF_UNIT[unit]; }

CodeUnits toCodeUnits(std::string_view text, int codeType)
{
    CodeUnits units(text.size() * 2);
    std::size_t used = 0;
    const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
    std::size_t n = text.size();
    const std::uint16_t* const euc = codeType == CODE_TYPE_SJIS ? nullptr : eucUnits();
    for (std::size_t i = 0; i < n;) {
        unsigned b = p[i];
        if (b < 0x80) {
            appendUnit(units, used, static_cast<std::uint16_t>(b));
            ++i;
            continue;
        }
        if (codeType == CODE_TYPE_SJIS) {
            if (b >= 0xA1 && b <= 0xDF) {
                appendUnit(units, used, static_cast<std::uint16_t>(0xFF00 | (b - 0x40)));
                ++i;
            } else if (i + 1 < n && ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) &&
                       p[i + 1] >= 0x40 && p[i + 1] <= 0xFC) {
                appendUnit(units, used, UNIT_OF_SJIS[(b << 8) | p[i + 1]]);
                i += 2;
            } else {
                appendUnit(units, used, NO_UNIT);
                i += 2;
            }
            continue;
        }
        if (b == 0x8F) {
            // A JIS X 0212 character has no code unit here: it stands as 〓.
            if (i + 2 >= n) break;
            appendUnit(units, used, REPLACEMENT_UNIT);
            i += 3;
            continue;
        }
        if (i + 1 >= n) break;  // a lead byte without its trail byte
        unsigned second = p[i + 1];
        if (b == 0x8E)
            appendUnit(units, used, static_cast<std::uint16_t>(0xFF00 | ((second - 0x40) & 0xFF)));
        else if (b >= 0xA1 && second >= 0xA1 && b != 0xFF && second != 0xFF)
            appendUnit(units, used, euc[(b - 0xA1) * EUC_ROW + (second - 0xA1)]);
        else
            appendUnit(units, used, NO_UNIT);
        i += 2;
    }
    units.resize(used);
    return units;
}

std::string toText(const std::uint8_t* units, std::size_t byteCount, int codeType)
{
    // No unit takes more than two bytes of host text.
    std::string text(byteCount, '\0');
    char* out = text.data();
    for (std::size_t i = 0; i + 1 < byteCount; i += 2) {
        std::uint16_t unit = static_cast<std::uint16_t>((units[i] << 8) | units[i + 1]);
        std::uint16_t sjis = SJIS_OF_UNIT[unit];
        if (sjis == 0 && unit != 0) sjis = SJIS_OF_UNIT[REPLACEMENT_UNIT];
        if (codeType == CODE_TYPE_SJIS) {
            if (sjis >= 0x100) *out++ = static_cast<char>(sjis >> 8);
            *out++ = static_cast<char>(sjis & 0xFF);
            continue;
        }
        if (sjis < 0x100) {
            if (sjis >= 0xA1 && sjis <= 0xDF) *out++ = static_cast<char>(0x8E);
            *out++ = static_cast<char>(sjis);
            continue;
        }
        unsigned first, second;
        if (!sjisToEuc(sjis, first, second) && !sjisToEuc(SJIS_OF_UNIT[REPLACEMENT_UNIT], first, second))
            continue;
        *out++ = static_cast<char>(first);
        *out++ = static_cast<char>(second);
    }
    text.resize(static_cast<std::size_t>(out - text.data()));
    return text;
}

}  // namespace quibo
