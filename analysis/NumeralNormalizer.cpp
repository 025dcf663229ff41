#include "analysis/NumeralNormalizer.h"

#include "analysis/EucString.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <utility>
#include <vector>

namespace quibo {
namespace {

constexpr std::pair<std::string_view, std::string_view> CANONICAL_FORMS[] = {
    {"○", "０"}, {"〇", "０"}, {"零", "０"}, {"０", "０"},
    {"一", "１"}, {"壱", "１"}, {"１", "１"},
    {"二", "２"}, {"弐", "２"}, {"２", "２"},
    {"三", "３"}, {"参", "３"}, {"３", "３"},
    {"四", "４"}, {"肆", "４"}, {"４", "４"},
    {"五", "５"}, {"伍", "５"}, {"５", "５"},
    {"六", "６"}, {"陸", "６"}, {"６", "６"},
    {"七", "７"}, {"漆", "７"}, {"７", "７"},
    {"八", "８"}, {"捌", "８"}, {"８", "８"},
    {"九", "９"}, {"玖", "９"}, {"９", "９"},
    {"萬", "万"}, {"仟", "千"}, {"佰", "百"}, {"拾", "十"},
};

constexpr std::array<std::string_view, 10> DIGITS = {"０", "１", "２", "３", "４",
                                                     "５", "６", "７", "８", "９"};
constexpr std::string_view ZERO = "０";
constexpr std::string_view DECIMAL_POINT = "．";
constexpr std::string_view GROUP_COMMA = "，";
constexpr std::string_view GROUP_IDEOGRAPHIC_COMMA = "、";
constexpr std::array<std::string_view, 3> INDEFINITE_NUMERALS = {"何", "幾", "数"};
constexpr std::array<std::string_view, 3> SMALL_UNITS = {"十", "百", "千"};
constexpr std::array<std::int64_t, 3> SMALL_UNIT_VALUES = {10, 100, 1000};
constexpr std::array<std::string_view, 3> LARGE_UNITS = {"兆", "億", "万"};
constexpr std::string_view TEN_THOUSAND = "万";
// Every digit run and every group stays below this, which keeps the value
// below 10^16.
constexpr std::int64_t GROUP_LIMIT = 10000;

// The characters of `text`: a byte below 0x80 is one character, any other
// byte starts a two-byte one; a lead byte at the very end stands alone.
std::vector<std::string_view> characters(std::string_view text)
{
    std::vector<std::string_view> result;
    for (std::size_t p = 0; p < text.size();) {
        std::size_t length = static_cast<unsigned char>(text[p]) < 0x80 ? 1 : 2;
        if (length > text.size() - p) {
            length = text.size() - p;
        }
        result.push_back(text.substr(p, length));
        p += length;
    }
    return result;
}

const std::string_view* canonicalForm(std::string_view ch)
{
    for (const auto& [from, to] : CANONICAL_FORMS) {
        if (from == ch) {
            return &to;
        }
    }
    return nullptr;
}

int digitValue(std::string_view ch)
{
    for (std::size_t d = 0; d < DIGITS.size(); ++d) {
        if (DIGITS[d] == ch) {
            return static_cast<int>(d);
        }
    }
    return -1;
}

template <std::size_t N>
int indexIn(const std::array<std::string_view, N>& table, std::string_view ch)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (table[i] == ch) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// Drops each grouping comma that stands immediately left of a group of
// exactly three digits (the decimal point counts as a digit here).
std::string withoutGrouping(std::string_view text)
{
    const std::vector<std::string_view> chars = characters(text);
    std::vector<bool> dropped(chars.size(), false);
    int run = 0;
    for (std::size_t i = chars.size(); i-- > 0;) {
        const std::string_view ch = chars[i];
        if (digitValue(ch) >= 0 || ch == DECIMAL_POINT) {
            ++run;
        } else if ((ch == GROUP_COMMA || ch == GROUP_IDEOGRAPHIC_COMMA) && run == 3) {
            dropped[i] = true;
            run = 0;
        } else {
            run = 0;
        }
    }
    std::string result;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        if (!dropped[i]) {
            result += chars[i];
        }
    }
    return result;
}

bool containsCharacter(const std::string& text, std::string_view ch)
{
    return EucString(text).index(ch) > 0;
}

std::string fullWidthDigits(std::int64_t value)
{
    char ascii[32];
    std::snprintf(ascii, sizeof ascii, "%lld", static_cast<long long>(value));
    std::string result;
    for (const char* c = ascii; *c; ++c) {
        result += (*c >= '0' && *c <= '9') ? DIGITS[*c - '0'] : std::string_view(c, 1);
    }
    return result;
}

}  // namespace

std::string normalizeNumeral(const std::string& text)
{
    if (containsCharacter(text, DECIMAL_POINT)) {
        return text;
    }

    // Full form: every character in its canonical form.  Stripped form: the
    // same without leading zeros that stand before another numeral character.
    const std::vector<std::string_view> chars = characters(text);
    std::string full;
    std::string stripped;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        const std::string_view* canonical = canonicalForm(chars[i]);
        const std::string_view form = canonical ? *canonical : chars[i];
        full += form;
        const bool leadingZero = canonical && form == ZERO && stripped.empty() &&
                                 i + 1 < chars.size() && canonicalForm(chars[i + 1]) != nullptr;
        if (!leadingZero) {
            stripped += form;
        }
    }
    const std::string canonicalCopy = full;

    stripped = withoutGrouping(stripped);
    full = withoutGrouping(full);
    if (containsCharacter(stripped, GROUP_COMMA) || containsCharacter(full, GROUP_COMMA)) {
        return canonicalCopy;
    }

    for (std::string_view indefinite : INDEFINITE_NUMERALS) {
        if (containsCharacter(stripped, indefinite)) {
            return std::string(indefinite);
        }
    }

    std::int64_t value = 0;
    std::array<std::int64_t, 3> smallUnits{};  // multipliers of 十, 百, 千
    std::array<std::int64_t, 3> largeUnits{};  // groups of 兆, 億, 万
    bool unitSeen = false;
    for (std::string_view ch : characters(stripped)) {
        if (const int digit = digitValue(ch); digit >= 0) {
            value = value * 10 + digit;
            if (value >= GROUP_LIMIT) {
                return full;
            }
        } else if (const int small = indexIn(SMALL_UNITS, ch); small >= 0) {
            smallUnits[small] = value != 0 ? value : 1;
            unitSeen = true;
            value = 0;
        } else if (const int large = indexIn(LARGE_UNITS, ch); large >= 0) {
            std::int64_t group = value;
            for (std::size_t u = 0; u < SMALL_UNITS.size(); ++u) {
                group += SMALL_UNIT_VALUES[u] * smallUnits[u];
            }
            // A bare 万 means ten thousand; a bare 億 or 兆 is no number.
            if (group == 0 && ch == TEN_THOUSAND) {
                group = 1;
            }
            if (group >= GROUP_LIMIT || group == 0) {
                return full;
            }
            largeUnits[large] = group;
            smallUnits = {};
            unitSeen = true;
            value = 0;
        } else {
            return stripped;
        }
    }
    if (!unitSeen) {
        return full;
    }

    std::int64_t total = 0;
    for (std::int64_t group : largeUnits) {
        total = total * GROUP_LIMIT + group;
    }
    total = total * GROUP_LIMIT + value;
    for (std::size_t u = 0; u < SMALL_UNITS.size(); ++u) {
        total += SMALL_UNIT_VALUES[u] * smallUnits[u];
    }
    return fullWidthDigits(total);
}

}  // namespace quibo
