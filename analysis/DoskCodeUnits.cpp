#include "analysis/DoskCodeUnits.h"

#include <iconv.h>

#include <array>
#include <memory>

namespace quibo {
namespace {

// Both directions of code page 932, taken once from the C library's CP932
// converter (the published Windows mapping, with its preferred codes for the
// characters that have two).
struct Cp932Tables {
    std::array<std::uint16_t, 0x10000> unitOfSjis{};
    std::array<std::uint16_t, 0x10000> sjisOfUnit{};  // 0: none

    Cp932Tables()
    {
        unitOfSjis.fill(NO_UNIT);
        for (unsigned b = 0; b < 0x80; ++b) unitOfSjis[b] = static_cast<std::uint16_t>(b);
        for (unsigned b = 0xA1; b <= 0xDF; ++b)
            unitOfSjis[b] = static_cast<std::uint16_t>(0xFF61 + (b - 0xA1));

        iconv_t toUnits = iconv_open("UCS-2BE", "CP932");
        iconv_t toSjis = iconv_open("CP932", "UCS-2BE");
        if (toUnits != reinterpret_cast<iconv_t>(-1)) {
            for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
                if (lead > 0x9F && lead < 0xE0) continue;
                for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                    if (trail == 0x7F) continue;
                    char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                    unsigned char out[4];
                    char* inp = in;
                    char* outp = reinterpret_cast<char*>(out);
                    std::size_t inLeft = 2, outLeft = sizeof out;
                    iconv(toUnits, nullptr, nullptr, nullptr, nullptr);
                    if (iconv(toUnits, &inp, &inLeft, &outp, &outLeft) != static_cast<std::size_t>(-1) &&
                        sizeof out - outLeft == 2)
                        unitOfSjis[(lead << 8) | trail] = static_cast<std::uint16_t>((out[0] << 8) | out[1]);
                }
            }
            iconv_close(toUnits);
        }
        // Units only have a host form in the rows 00-9F and F9-FF.
        for (unsigned unit = 0; unit < 0x10000; ++unit) {
            unsigned row = unit >> 8;
            if (row > 0x9F && row < 0xF9) continue;
            if (unit < 0x80) {
                sjisOfUnit[unit] = static_cast<std::uint16_t>(unit);
                continue;
            }
            if (unit >= 0xFF61 && unit <= 0xFF9F) {
                sjisOfUnit[unit] = static_cast<std::uint16_t>(0xA1 + (unit - 0xFF61));
                continue;
            }
            if (toSjis == reinterpret_cast<iconv_t>(-1)) continue;
            char in[2] = {static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)};
            unsigned char out[4];
            char* inp = in;
            char* outp = reinterpret_cast<char*>(out);
            std::size_t inLeft = 2, outLeft = sizeof out;
            iconv(toSjis, nullptr, nullptr, nullptr, nullptr);
            if (iconv(toSjis, &inp, &inLeft, &outp, &outLeft) == static_cast<std::size_t>(-1)) continue;
            std::size_t produced = sizeof out - outLeft;
            if (produced == 2) sjisOfUnit[unit] = static_cast<std::uint16_t>((out[0] << 8) | out[1]);
        }
        if (toSjis != reinterpret_cast<iconv_t>(-1)) iconv_close(toSjis);
    }
};

const Cp932Tables& tables()
{
    static const auto instance = std::make_unique<Cp932Tables>();
    return *instance;
}

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

}  // namespace

std::uint16_t sjisToUnit(std::uint16_t sjis) { return tables().unitOfSjis[sjis]; }

std::uint16_t unitToSjis(std::uint16_t unit) { return tables().sjisOfUnit[unit]; }

CodeUnits toCodeUnits(std::string_view text, int codeType)
{
    const auto& table = tables();
    CodeUnits units(text.size() * 2);
    std::size_t used = 0;
    const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
    std::size_t n = text.size();
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
                appendUnit(units, used, table.unitOfSjis[(b << 8) | p[i + 1]]);
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
            appendUnit(units, used, table.unitOfSjis[eucToSjis(b, second)]);
        else
            appendUnit(units, used, NO_UNIT);
        i += 2;
    }
    units.resize(used);
    return units;
}

std::string toText(const std::uint8_t* units, std::size_t byteCount, int codeType)
{
    const auto& table = tables();
    std::string text;
    text.reserve(byteCount);
    for (std::size_t i = 0; i + 1 < byteCount; i += 2) {
        std::uint16_t unit = static_cast<std::uint16_t>((units[i] << 8) | units[i + 1]);
        std::uint16_t sjis = table.sjisOfUnit[unit];
        if (sjis == 0 && unit != 0) sjis = table.sjisOfUnit[REPLACEMENT_UNIT];
        if (codeType == CODE_TYPE_SJIS) {
            if (sjis >= 0x100) text.push_back(static_cast<char>(sjis >> 8));
            text.push_back(static_cast<char>(sjis & 0xFF));
            continue;
        }
        if (sjis < 0x100) {
            if (sjis >= 0xA1 && sjis <= 0xDF) text.push_back(static_cast<char>(0x8E));
            text.push_back(static_cast<char>(sjis));
            continue;
        }
        unsigned first, second;
        if (!sjisToEuc(sjis, first, second) &&
            !sjisToEuc(table.sjisOfUnit[REPLACEMENT_UNIT], first, second))
            continue;
        text.push_back(static_cast<char>(first));
        text.push_back(static_cast<char>(second));
    }
    return text;
}

}  // namespace quibo
