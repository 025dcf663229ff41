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
#include "analysis/DoskFormat.h"

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
    // The same keys, each handed to found(entry, length) as it is met; the
    // lattice walks the trie this way at every character, with no list between.
    template <class Found>
    void forEachMatch(const std::uint8_t* key, std::size_t length, Found&& found) const;

    // Decodes the entry at `offset`; false when it is not a whole entry
    // inside the entry area.
    bool entry(std::int32_t offset, DoskEntry& out) const;

    // The class, cost and chain link of the entry at `offset`, with the same
    // checks as entry() but nothing else decoded (the lattice's inner loop).
    bool entryHead(std::int32_t offset, int& classId, int& cost, std::int32_t& next) const
    {
        if (offset <= 0 || static_cast<std::size_t>(offset) >= m_entrySize) return false;
        const std::size_t pos = static_cast<std::size_t>(offset);
        const std::size_t left = m_entrySize - pos;
        if (left < 7) return false;
        const std::uint8_t* p = m_entries + pos;
        const std::uint16_t flags = dosk::readLE16(p);
        if (flags & dosk::ENTRY_COMPOUND) return compoundEntryHead(offset, classId, cost, next);
        classId = flags & dosk::ENTRY_CLASS_MASK;
        cost = dosk::readLE16s(p + 2);
        // Flags, cost and reading, and the base-form key and extra field when
        // the flags (bits 13 and 14) have them.
        static_assert(dosk::ENTRY_EXTRA_FIELD == 1 << 13 && dosk::ENTRY_BASE_FORM == 1 << 14);
        static constexpr std::uint8_t SIZES[4] = {7, 10, 10, 13};
        const std::size_t size = SIZES[(flags >> 13) & 3];
        if (!(flags & dosk::ENTRY_CHAIN)) {
            next = -1;
            return size <= left;
        }
        next = static_cast<std::int32_t>(pos + size);
        return size < left;
    }

    // Whether the entry head at `offset` is whole and marks a compound (its
    // full decoding may still refuse it): the other entries need no more.
    bool mayBeCompound(std::int32_t offset) const
    {
        if (offset <= 0 || static_cast<std::size_t>(offset) >= m_entrySize || m_entrySize - offset < 7) return false;
        return (dosk::readLE16(m_entries + offset) & dosk::ENTRY_COMPOUND) != 0;
    }

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
    std::int32_t base(std::int32_t node) const { return dosk::readLE32s(m_nodes + static_cast<std::size_t>(node) * 8); }
    std::int32_t check(std::int32_t node) const
    {
        return dosk::readLE32s(m_nodes + static_cast<std::size_t>(node) * 8 + 4);
    }
    // entryHead of a compound entry, whose fields only the full decoder knows.
    bool compoundEntryHead(std::int32_t offset, int& classId, int& cost, std::int32_t& next) const;
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

template <class Found>
void DoskTrie::forEachMatch(const std::uint8_t* key, std::size_t length, Found&& found) const
{
    if (m_nodeCount <= 1) return;
    std::int32_t node = 1;
    const std::int64_t count = m_nodeCount;
    const std::size_t limit = length < 255 ? length : 255;
    for (std::size_t taken = 0; taken < limit;) {
        const std::int64_t next = static_cast<std::int64_t>(base(node)) + key[taken] + 1;
        if (next <= 0 || next >= count || check(static_cast<std::int32_t>(next)) != node) return;
        node = static_cast<std::int32_t>(next);
        ++taken;
        const std::int32_t nodeBase = base(node);
        if (isTail(nodeBase)) {
            const std::size_t tail = static_cast<std::uint32_t>(nodeBase) & ~dosk::TAIL_BIT;
            if (tail >= m_entrySize) return;
            const std::size_t n = m_entries[tail];
            if (n > m_entrySize - tail - 1 || n > length - taken) return;
            for (std::size_t k = 0; k < n; ++k)
                if (key[taken + k] != m_entries[tail + 1 + k]) return;
            const std::size_t entry = tail + 1 + n;
            if (entry < m_entrySize) found(static_cast<std::int32_t>(entry), static_cast<int>(taken + n));
            return;
        }
        const std::int64_t end = nodeBase;
        if (end > 0 && end < count && check(static_cast<std::int32_t>(end)) == node)
            found(base(static_cast<std::int32_t>(end)), static_cast<int>(taken));
    }
}

}  // namespace quibo
