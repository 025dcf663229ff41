// Layout constants of the Dosk dictionary file and the byte-order helpers
// shared by its reader and its writer.  Every integer in the file is
// little-endian and may sit at any alignment; every code unit of text (trie
// keys, class names, the reading code table) is big-endian UCS-2.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace quibo::dosk {

inline constexpr std::size_t HEADER_BLOCK_SIZE = 32;
inline constexpr std::size_t HEADER_AREA_OFFSET = 32;   // H, B0, S, section sizes
inline constexpr std::size_t BLOCK0_OFFSET = 96;        // whatever H says
inline constexpr int DEFAULT_HEADER_AREA_SIZE = 64;
inline constexpr int MAX_SECTIONS = 13;

inline constexpr std::uint16_t CLASS_TABLE_TAG = 0xF1;
inline constexpr std::uint16_t CONNECTION_MATRIX_TAG = 0xF2;

// Flag word of an entry.
inline constexpr std::uint16_t ENTRY_CLASS_MASK = 0x0FFF;
inline constexpr std::uint16_t ENTRY_COMPOUND = 0x1000;
inline constexpr std::uint16_t ENTRY_EXTRA_FIELD = 0x2000;
inline constexpr std::uint16_t ENTRY_BASE_FORM = 0x4000;
inline constexpr std::uint16_t ENTRY_CHAIN = 0x8000;

// Compound byte K: parts are listed from 64 up; only K >> 6 == 1 splits.
inline constexpr int COMPOUND_PARTS_FROM = 64;

// Cost of a word in no character-class range, and the penalty of the run
// rules of the lattice.
inline constexpr int UNLISTED_WORD_COST = 20000;

// Tail node marker: base with the top bit set (and not -1).
inline constexpr std::uint32_t TAIL_BIT = 0x80000000u;

inline constexpr std::uint32_t MAX_24BIT = 0xFFFFFF;

inline std::uint16_t readLE16(const std::uint8_t* p)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::uint16_t value;
        std::memcpy(&value, p, 2);
        return value;
    }
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::int16_t readLE16s(const std::uint8_t* p)
{
    return static_cast<std::int16_t>(readLE16(p));
}
inline std::uint32_t readLE24(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16);
}
inline std::uint32_t readLE32(const std::uint8_t* p)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::uint32_t value;
        std::memcpy(&value, p, 4);
        return value;
    }
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::int32_t readLE32s(const std::uint8_t* p)
{
    return static_cast<std::int32_t>(readLE32(p));
}
inline std::uint16_t readBE16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

}  // namespace quibo::dosk
