// The deciphered semantic-network file ("pstorage") and the plain record that
// holds its four blocks.  All integers are 32-bit little-endian.
//
//   header  magic 0x534E4554, value 1, node count, size A, size B, value 5,
//           word count, size C, size D
//   block A link records (16 bytes): target name entry, -, link type at 8
//   block B node records (28 bytes): name entry, -, link count (u16) at 12,
//           first link's offset in A at 16
//   block C name entries (word index, NUL-terminated EUC-JP name) and lists
//           of link words (bits 0-29 name entry, bit 30 polarity, bit 31 off)
//   block D word records (28 bytes), sorted by name: name entry, flags at 4,
//           relation count at 8 and list at 12, related-word count at 16 and
//           list at 20, node index at 24 (-1: none)
//
// The loader checks every size, offset and index that the queries follow, so
// the queries never leave the blocks whatever the file holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace quibo {

inline constexpr std::uint32_t SNET_MAGIC = 0x534E4554;
inline constexpr std::size_t SNET_HEADER_BYTES = 36;
inline constexpr std::size_t SNET_LINK_RECORD_BYTES = 16;
inline constexpr std::size_t SNET_NODE_RECORD_BYTES = 28;
inline constexpr std::size_t SNET_WORD_RECORD_BYTES = 28;
// The name offset of "no word": its name reads as the empty text.
inline constexpr std::uint32_t SNET_NO_WORD = 0x3FFFFFFE;
inline constexpr std::uint32_t SNET_OFFSET_MASK = 0x3FFFFFFF;
inline constexpr std::uint32_t SNET_POLARITY_BIT = 0x40000000;
inline constexpr std::uint32_t SNET_DISABLED_BIT = 0x80000000;

// Word-record flags.
inline constexpr std::uint8_t SNET_P_MARK = 0x80;
inline constexpr std::uint8_t SNET_N_MARK = 0x40;
inline constexpr std::uint8_t SNET_P_LISTING = 0x02;
inline constexpr std::uint8_t SNET_N_LISTING = 0x01;

struct SemanticNetworkStorage {
    std::int32_t headerValue1;
    std::int32_t nodeCount;
    std::int32_t sizeA;
    std::int32_t headerValue5;
    unsigned char* blockA;
    std::int32_t sizeB;
    unsigned char* blockB;
    std::int32_t wordCount;
    std::int32_t sizeC;
    unsigned char* blockC;  // every name entry's name ends inside (or at a NUL just beyond)
    std::int32_t sizeD;
    unsigned char* blockD;
    // Set when the record owns copies of the blocks; clear when they lie in
    // the plaintext it was loaded from.
    unsigned char ownsBlocks;
};

// The record built from a plaintext, or null (with the "not a
// semantic-network-storage" line naming `path`) when the plaintext is not a
// sound network: wrong magic, negative or oversized blocks, or any offset or
// index outside its block.
// The blocks are copies, each followed by one NUL byte.
SemanticNetworkStorage* loadSemanticNetworkStorage(const char* plaintext, std::size_t length,
                                                   const char* path);
// The same, read in place: the blocks point into `plaintext`, which must
// outlive the record.  Only when a name would run past block C are they
// copied after all.
SemanticNetworkStorage* loadSemanticNetworkStorageInPlace(const char* plaintext, std::size_t length,
                                                          const char* path);
void freeSemanticNetworkStorage(SemanticNetworkStorage* storage);

// Field access for the queries; offsets have been checked by the loader.
inline std::uint32_t snetRead32(const unsigned char* p)
{
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

inline const unsigned char* snetWordRecord(const SemanticNetworkStorage* s, int index)
{
    return s->blockD + static_cast<std::size_t>(index) * SNET_WORD_RECORD_BYTES;
}

inline const unsigned char* snetNodeRecord(const SemanticNetworkStorage* s, int index)
{
    return s->blockB + static_cast<std::size_t>(index) * SNET_NODE_RECORD_BYTES;
}

// Name text of a name entry; the empty text for SNET_NO_WORD.
inline const char* snetEntryName(const SemanticNetworkStorage* s, std::uint32_t entry)
{
    if (entry == SNET_NO_WORD) return "";
    return reinterpret_cast<const char*>(s->blockC + entry + 4);
}

inline int snetEntryWord(const SemanticNetworkStorage* s, std::uint32_t entry)
{
    return static_cast<int>(snetRead32(s->blockC + entry));
}

}  // namespace quibo
