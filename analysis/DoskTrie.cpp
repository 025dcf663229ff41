#include "analysis/DoskTrie.h"

#include <algorithm>
#include <iterator>

#include "analysis/DoskFormat.h"

namespace quibo {

using namespace dosk;

bool DoskTrie::attach(const std::uint8_t* block, std::size_t size)
{
    *this = DoskTrie();
    if (size < 12) return false;
    std::int32_t a = readLE32s(block), b = readLE32s(block + 4), c = readLE32s(block + 8);
    if (a < 0 || b < 0 || c < 0 || a % 8 != 0) return false;
    std::size_t rest = size - 12;
    if (static_cast<std::size_t>(a) > rest) return false;
    rest -= static_cast<std::size_t>(a);
    if (static_cast<std::size_t>(b) > rest) return false;
    rest -= static_cast<std::size_t>(b);
    if (static_cast<std::size_t>(c) > rest) return false;
    rest -= static_cast<std::size_t>(c);
    if (rest % 2 != 0) return false;  // the code table is whole code units
    m_nodes = block + 12;
    m_nodeCount = a / 8;
    m_entries = m_nodes + a;
    m_entrySize = static_cast<std::size_t>(b);
    m_pool = m_entries + b;
    m_poolSize = static_cast<std::size_t>(c);
    m_codeTable = m_pool + c;
    m_codeCount = std::min<std::size_t>(rest / 2, 256);
    return true;
}

void DoskTrie::matches(const std::uint8_t* key, std::size_t length, std::vector<DoskMatch>& out) const
{
    out.clear();
    forEachMatch(key, length, [&out](std::int32_t entry, int keyLength) { out.push_back({entry, keyLength}); });
}

bool DoskTrie::entry(std::int32_t offset, DoskEntry& out) const
{
    if (offset <= 0 || static_cast<std::size_t>(offset) >= m_entrySize) return false;
    std::size_t pos = static_cast<std::size_t>(offset);
    auto need = [&](std::size_t n) { return n <= m_entrySize - pos; };
    if (!need(4)) return false;
    out = DoskEntry();
    out.offset = offset;
    out.flags = readLE16(m_entries + pos);
    out.classId = out.flags & ENTRY_CLASS_MASK;
    out.cost = readLE16s(m_entries + pos + 2);
    pos += 4;
    if (out.flags & ENTRY_BASE_FORM) {
        if (!need(3)) return false;
        out.baseFormNode = static_cast<std::int32_t>(readLE24(m_entries + pos));
        pos += 3;
    }
    if (out.flags & ENTRY_EXTRA_FIELD) {
        if (!need(3)) return false;
        pos += 3;
    }
    if (!need(3)) return false;
    out.readingOffset = static_cast<std::int32_t>(readLE24(m_entries + pos));
    pos += 3;
    if (out.flags & ENTRY_COMPOUND) {
        if (!need(1)) return false;
        int k = m_entries[pos++];
        out.compound = k;
        if (k >= COMPOUND_PARTS_FROM) {
            if (!need(1)) return false;
            int m = m_entries[pos];
            if (!need(4 * static_cast<std::size_t>(m))) return false;
            out.partCount = m;
            out.partsAt = pos;
            pos += 4 * static_cast<std::size_t>(m);
            if (m == 0) ++pos;  // the count byte alone
        }
        std::size_t skipped = (k >> 4) & 3;
        if (k & 0x30) skipped += ((k >> 2) & 3) + (k & 3);
        if (!need(skipped)) return false;
        pos += skipped;
    }
    if (out.flags & ENTRY_CHAIN) {
        if (pos >= m_entrySize) return false;
        out.next = static_cast<std::int32_t>(pos);
    }
    return true;
}

bool DoskTrie::compoundEntryHead(std::int32_t offset, int& classId, int& cost, std::int32_t& next) const
{
    DoskEntry full;
    if (!entry(offset, full)) return false;
    classId = full.classId;
    cost = full.cost;
    next = full.next;
    return true;
}

bool DoskTrie::compoundPart(const DoskEntry& entry, int m, int& length, std::int32_t& partEntry) const
{
    if (entry.partCount <= 0 || m < 0 || m >= entry.partCount) return false;
    const std::uint8_t* table = m_entries + entry.partsAt;
    int count = entry.partCount;
    length = m < count - 1 ? table[1 + m] : 0;
    partEntry = static_cast<std::int32_t>(readLE24(table + count + 3 * m));
    return true;
}

bool DoskTrie::readingCodes(std::int32_t poolOffset, const std::uint8_t*& codes, std::size_t& count) const
{
    if (poolOffset < 0 || static_cast<std::size_t>(poolOffset) >= m_poolSize) return false;
    std::size_t pos = static_cast<std::size_t>(poolOffset);
    std::size_t n = m_pool[pos];
    if (n > m_poolSize - pos - 1) return false;
    codes = m_pool + pos + 1;
    count = n;
    return true;
}

std::uint16_t DoskTrie::codeUnit(std::size_t code) const
{
    return code < m_codeCount ? readBE16(m_codeTable + 2 * code) : REPLACEMENT_UNIT;
}

bool DoskTrie::spellKey(std::int32_t node, CodeUnits& key) const
{
    key.clear();
    if (node <= 0 || node >= m_nodeCount) return false;
    std::uint8_t reversed[255];
    int length = 0;
    std::int32_t nodeBase = base(node);
    std::int32_t current = node;
    while (current != 1) {
        if (length >= 255) return false;
        std::int32_t parent = check(current);
        if (parent <= 0 || parent >= m_nodeCount) return false;
        std::int64_t byte = static_cast<std::int64_t>(current) - base(parent) - 1;
        if (byte < 0 || byte > 255) return false;
        reversed[length++] = static_cast<std::uint8_t>(byte);
        current = parent;
    }
    key.assign(std::make_reverse_iterator(reversed + length), std::make_reverse_iterator(reversed));
    if (node != 1 && isTail(nodeBase)) {
        std::size_t tail = static_cast<std::uint32_t>(nodeBase) & ~TAIL_BIT;
        if (tail >= m_entrySize) return false;
        std::size_t n = m_entries[tail];
        if (n > m_entrySize - tail - 1) return false;
        key.insert(key.end(), m_entries + tail + 1, m_entries + tail + 1 + n);
    }
    return true;
}

}  // namespace quibo
