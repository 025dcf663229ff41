// Read-only view of block 0 of the Dosk dictionary: the double-array trie
// over key bytes, the entry area, the reading pool and the reading code
// table, all read in place from the mapping.  Nothing in the view is trusted:
// every node, entry, tail, reading and compound offset is checked when it is
// used, and what does not fit is treated as absent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/DoskCodeUnits.h"

namespace quibo {

// One dictionary key that starts at the searched position.
struct DoskMatch {
    std::int32_t entry;  // offset of the first entry of the key's chain
    int length;          // in key bytes
};

// One decoded entry of the entry area.
struct DoskEntry {
    std::int32_t offset = 0;
    std::uint16_t flags = 0;
    int classId = 0;
    int cost = 0;
    std::int32_t baseFormNode = -1;   // -1: no base-form key
    std::int32_t readingOffset = 0;
    int compound = -1;                // compound byte K, -1 when none
    int partCount = 0;                // with K >= 64
    std::size_t partsAt = 0;          // area offset of the part table
    std::int32_t next = -1;           // offset of the next entry of the chain, -1: last
};

class DoskTrie {
public:
    // False when the block does not hold the sizes it declares.
    bool attach(const std::uint8_t* block, std::size_t size);

    int nodeCount() const { return m_nodeCount; }

    // Keys that start at `key` (at most `length` bytes), by increasing length.
    void matches(const std::uint8_t* key, std::size_t length, std::vector<DoskMatch>& out) const;

    // Decodes the entry at `offset`; false when it is not a whole entry
    // inside the entry area.
    bool entry(std::int32_t offset, DoskEntry& out) const;

    // The class, cost and chain link of the entry at `offset`, with the same
    // checks as entry() but nothing else decoded (the lattice's inner loop).
    bool entryHead(std::int32_t offset, int& classId, int& cost, std::int32_t& next) const;

    // Part m of a compound entry: its stored length in bytes (parts before
    // the last) and its entry offset.  False when the table is damaged.
    bool compoundPart(const DoskEntry& entry, int m, int& length, std::int32_t& partEntry) const;

    // The raw reading at a pool offset: its code-table indexes.  False when
    // it lies outside the pool.
    bool readingCodes(std::int32_t poolOffset, const std::uint8_t*& codes, std::size_t& count) const;
    // Unit of code-table index `code` (〓 beyond the table).
    std::uint16_t codeUnit(std::size_t code) const;

    // The key that a node spells (a tail node adds its tail).  False for a
    // node that is no part of a well-formed path to the root.
    bool spellKey(std::int32_t node, CodeUnits& key) const;

private:
    std::int32_t base(std::int32_t node) const;
    std::int32_t check(std::int32_t node) const;
    bool isTail(std::int32_t base) const { return base < 0 && base != -1; }

    const std::uint8_t* m_nodes = nullptr;
    int m_nodeCount = 0;
    const std::uint8_t* m_entries = nullptr;
    std::size_t m_entrySize = 0;
    const std::uint8_t* m_pool = nullptr;
    std::size_t m_poolSize = 0;
    const std::uint8_t* m_codeTable = nullptr;
    std::size_t m_codeCount = 0;
};

}  // namespace quibo
