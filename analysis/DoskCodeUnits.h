// Host text <-> UCS-2 code units, the form in which the Dosk dictionary keeps
// its keys, names and readings.  Code units are big-endian byte pairs, so a
// buffer of them is also the byte sequence the trie is keyed on.  The
// Shift_JIS <-> UCS-2 tables are those of code page 932.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quibo {

inline constexpr int CODE_TYPE_SJIS = 1;
inline constexpr int CODE_TYPE_EUC = 2;

// Big-endian code units, two bytes each.
using CodeUnits = std::vector<std::uint8_t>;

// Stands in for code units that have no host form (〓).
inline constexpr std::uint16_t REPLACEMENT_UNIT = 0x3013;
// A Shift_JIS code without a code unit.
inline constexpr std::uint16_t NO_UNIT = 0xFFFF;

// One code unit per character.  EUC-JP: ASCII b -> 00 b; 8E g -> FF (g - 40);
// a three-byte 8F character -> 〓; another two-byte sequence through
// Shift_JIS; a lone trailing lead byte gives nothing.
CodeUnits toCodeUnits(std::string_view text, int codeType);

// Host text of `byteCount` bytes of code units (an odd last byte is ignored).
// Units without a Shift_JIS form become 〓.
std::string toText(const std::uint8_t* units, std::size_t byteCount, int codeType);
inline std::string toText(const CodeUnits& units, int codeType)
{
    return toText(units.data(), units.size(), codeType);
}

// Code page 932 lookups: the unit of a Shift_JIS code (one byte below 0x100)
// or NO_UNIT; the Shift_JIS code of a unit or 0 when it has none.
std::uint16_t sjisToUnit(std::uint16_t sjis);
std::uint16_t unitToSjis(std::uint16_t unit);

}  // namespace quibo
