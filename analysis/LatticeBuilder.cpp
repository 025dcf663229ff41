#include "analysis/LatticeBuilder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>

#include "analysis/DoskFormat.h"

namespace quibo {

using namespace dosk;

namespace {

constexpr int MAX_UNITS = 16383;

// Characters between which a dictionary word that starts inside a run of one
// character class is penalised: kana, ideographs, full-width digits and
// letters.
bool isRunCharacter(int unit)
{
    return (unit >= 0x3041 && unit <= 0x3093) || (unit >= 0x30A1 && unit <= 0x30F3) ||
           (unit >= 0x4E00 && unit <= 0xFAFF) || (unit >= 0xFF10 && unit <= 0xFF19) ||
           (unit >= 0xFF21 && unit <= 0xFF3A) || (unit >= 0xFF41 && unit <= 0xFF5A);
}

// A node of the current cell as the predecessor scan needs it: its cost, its
// index and the byte offset of its matrix row (-1 outside the matrix).
struct Candidate {
    std::int32_t cost;
    std::int32_t node;
    std::ptrdiff_t row;
};

struct Cell {
    std::int32_t first = -1;
    std::int32_t last = -1;
};

struct PlacedNode {
    LatticeNode node;
    std::int32_t next;
};

// The nodes of one search, each cell a list in insertion order (the
// tie-breaks depend on it), placed in storage kept from search to search.
class Lattice {
public:
    // An empty lattice of `width` + 1 cells.
    Lattice(std::vector<PlacedNode>& nodes, std::vector<Cell>& cells, int width)
        : m_storage(nodes), m_nodes(nodes.data()), m_capacity(nodes.size())
    {
        cells.assign(static_cast<std::size_t>(width) + 1, Cell());
        m_cells = cells.data();
    }
    void add(int cell, const LatticeNode& node)
    {
        if (m_count == m_capacity) grow();
        const auto index = static_cast<std::int32_t>(m_count);
        m_nodes[m_count++] = {node, -1};
        Cell& c = m_cells[cell];
        if (c.last < 0)
            c.first = index;
        else
            m_nodes[c.last].next = index;
        c.last = index;
    }
    bool empty(int cell) const { return m_cells[cell].first < 0; }
    std::int32_t first(int cell) const { return m_cells[cell].first; }
    std::int32_t next(std::int32_t node) const { return m_nodes[node].next; }
    const LatticeNode& node(std::int32_t index) const { return m_nodes[index].node; }

private:
    void grow()
    {
        m_storage.resize(m_capacity * 2 + 256);
        m_nodes = m_storage.data();
        m_capacity = m_storage.size();
    }

    std::vector<PlacedNode>& m_storage;
    PlacedNode* m_nodes;
    std::size_t m_capacity;
    std::size_t m_count = 0;
    Cell* m_cells = nullptr;
};

// The best predecessor of a word of class c at a position, when no run rule
// applies, depends on c alone: remembered per class for the position.
struct Remembered {
    std::uint32_t stamp = 0;
    std::int32_t best = -1;
    std::int32_t cost = 0;
};

// Where the candidate of a class sits among the current cell's candidates.
struct ClassSlot {
    std::uint32_t stamp = 0;
    std::int32_t index = 0;
};

// Storage one search needs, reused from search to search (one per thread).
// A stamp tells which entries of the per-class tables are from the current
// position.
struct SearchScratch {
    std::vector<PlacedNode> nodes;
    std::vector<Cell> cells;
    std::vector<Remembered> remembered = std::vector<Remembered>(ENTRY_CLASS_MASK + 1);
    std::vector<ClassSlot> slots = std::vector<ClassSlot>(ENTRY_CLASS_MASK + 1);
    std::uint32_t stamp = 0;
    std::vector<Candidate> here;
};

}  // namespace

LatticeBuilder::LatticeBuilder()
{
    m_sections.push_back(&m_classTable);
    m_sections.push_back(&m_matrix);
}

LatticeBuilder::~LatticeBuilder() { release(); }

void LatticeBuilder::release()
{
    for (DoskSection* section : m_sections) section->reset();
    m_extraHeader.clear();
    m_trie = DoskTrie();
    m_header.fill(0);
    m_block0Size = 0;
    m_sectionCount = 0;
    std::fill(std::begin(m_sectionSizes), std::end(m_sectionSizes), 0);
    m_mapping.reset();
}

bool LatticeBuilder::load(const std::string& filePath, int codeType, const std::string& mappingName)
{
    release();
    m_codeType = codeType;
    try {
        m_mapping = std::make_unique<platform::SharedFileMapping>();
        if (!m_mapping->open(filePath, mappingName) || !parse()) {
            release();
            return false;
        }
        return true;
    } catch (const std::exception&) {
        release();
        return false;
    }
}

bool LatticeBuilder::parse()
{
    const std::uint8_t* data = m_mapping->data();
    const std::size_t size = m_mapping->size();
    if (size < HEADER_AREA_OFFSET + 12) return false;
    std::memcpy(m_header.data(), data, HEADER_BLOCK_SIZE);
    std::int32_t headerArea = readLE32s(data + 32);
    std::int32_t block0 = readLE32s(data + 36);
    std::int32_t sections = readLE32s(data + 40);
    if (headerArea < DEFAULT_HEADER_AREA_SIZE || block0 < 2 || sections < 0) return false;
    m_headerAreaSize = headerArea;
    m_block0Size = block0;
    m_sectionCount = std::min<int>(static_cast<int>(m_sections.size()), sections);

    std::size_t pos = HEADER_AREA_OFFSET + 12;
    if (pos + 4 * static_cast<std::size_t>(m_sectionCount) > size) return false;
    for (int i = 0; i < m_sectionCount; ++i, pos += 4) {
        m_sectionSizes[i] = readLE32s(data + pos);
        if (m_sectionSizes[i] < 0) return false;
    }
    std::int64_t extra = static_cast<std::int64_t>(headerArea) - (m_sectionCount * 4 + 12);
    if (extra > 0) {
        if (static_cast<std::uint64_t>(extra) > size - pos) return false;
        m_extraHeader.assign(data + pos, data + pos + extra);
    }

    if (static_cast<std::uint64_t>(block0) > size - BLOCK0_OFFSET || size < BLOCK0_OFFSET) return false;
    if (!m_trie.attach(data + BLOCK0_OFFSET, static_cast<std::size_t>(block0))) return false;

    std::size_t at = BLOCK0_OFFSET + static_cast<std::size_t>(block0);
    for (int i = 0; i < m_sectionCount; ++i) {
        std::size_t sectionSize = static_cast<std::size_t>(m_sectionSizes[i]);
        if (sectionSize == 0) break;
        if (sectionSize > size - at) return false;
        DoskSection* reader = m_sections[i];
        reader->reset();
        if (sectionSize > 2 && readLE16(data + at) == reader->tag() &&
            !reader->load(data + at + 2, sectionSize - 2))
            return false;
        at += sectionSize;
    }
    m_classTable.convertNames(m_codeType);
    for (std::size_t code = 0; code < m_codeText.size(); ++code) {
        const std::uint16_t unit = m_trie.codeUnit(code);
        const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(unit >> 8), static_cast<std::uint8_t>(unit & 0xFF)};
        const std::string text = toText(bytes, 2, m_codeType);
        CodeText& entry = m_codeText[code];
        entry.size = static_cast<std::uint8_t>(std::min<std::size_t>(text.size(), 2));
        std::copy_n(text.data(), entry.size, entry.bytes);
    }
    return true;
}

bool LatticeBuilder::build(const CodeUnits& units, std::vector<DoskWord>& words) const
{
    words.clear();
    if (units.size() / 2 > MAX_UNITS) return false;
    if (search(units, words, false)) return true;
    // A path can die where a dictionary word ends inside a run of one
    // character class whose first cell nobody reached: then nothing extends
    // the run.  Only then search again, starting a fresh one-character word
    // where the run cannot be extended, so that every other sentence keeps
    // exactly the segmentation of the plain rules.
    return search(units, words, true);
}

bool LatticeBuilder::search(const CodeUnits& units, std::vector<DoskWord>& words,
                            bool mendDeadEnds) const
{
    words.clear();
    const int width = static_cast<int>(units.size() / 2);
    const DoskClassTable& classes = m_classTable;
    const int lastClass = classes.classCount() - 1;
    thread_local SearchScratch scratch;
    Lattice lattice(scratch.nodes, scratch.cells, width);
    Remembered* const remembered = scratch.remembered.data();
    ClassSlot* const slots = scratch.slots.data();
    std::uint32_t stamp = scratch.stamp;
    std::vector<Candidate>& hereStorage = scratch.here;
    const int matrixSize = m_matrix.size();
    const std::uint8_t* matrixCosts = m_matrix.costs();
    lattice.add(0, m_beginOfSentence);

    DoskEntry entry;
    // Keys are at most 255 bytes, and each length gives at most one.
    DoskMatch matches[255];
    int previousUnit = 0;
    const DoskCharRange* lastOfPrevious = classes.lastRange(0);
    for (int i = 0; i < width; ++i) {
        const int unit = readBE16(units.data() + 2 * i);
        const int v = previousUnit;
        previousUnit = unit;
        const DoskCharRange* lastOfV = lastOfPrevious;
        const DoskCharRange* lastOfU = classes.lastRange(unit);
        lastOfPrevious = lastOfU;
        const bool run = lastOfV && lastOfU && lastOfV->classId == lastOfU->classId;
        if (lattice.empty(i)) continue;
        if (++stamp == 0) {
            for (Remembered& r : scratch.remembered) r.stamp = 0;
            for (ClassSlot& slot : scratch.slots) slot.stamp = 0;
            stamp = 1;
        }

        // The nodes of cell i, gathered once: every word that starts here
        // scans them for its best predecessor.  The first ties win that
        // scan, and among nodes of one class (one matrix row) the first of
        // the least cost beats every other whatever follows, so only it is
        // kept, in its own place in the cell's order.
        std::size_t hereCount = 0;
        Candidate* hereData = hereStorage.data();
        std::size_t hereCapacity = hereStorage.size();
        bool allInMatrix = true;
        for (std::int32_t n = lattice.first(i); n >= 0; n = lattice.next(n)) {
            const LatticeNode& node = lattice.node(n);
            const bool inMatrix = static_cast<unsigned>(node.classId) < static_cast<unsigned>(matrixSize);
            allInMatrix = allInMatrix && inMatrix;
            ClassSlot* slot = nullptr;
            if (static_cast<unsigned>(node.classId) <= ENTRY_CLASS_MASK) {
                slot = &slots[node.classId];
                if (slot->stamp == stamp) {
                    const std::size_t kept = static_cast<std::size_t>(slot->index);
                    if (node.cost >= hereData[kept].cost) continue;
                    // A cheaper node of the class: it replaces the one kept,
                    // which leaves its place.
                    for (std::size_t k = kept + 1; k < hereCount; ++k) {
                        hereData[k - 1] = hereData[k];
                        const int moved = lattice.node(hereData[k].node).classId;
                        if (static_cast<unsigned>(moved) <= ENTRY_CLASS_MASK) --slots[moved].index;
                    }
                    --hereCount;
                }
                *slot = {stamp, static_cast<std::int32_t>(hereCount)};
            }
            if (hereCount == hereCapacity) {
                hereStorage.resize(hereCapacity * 2 + 16);
                hereData = hereStorage.data();
                hereCapacity = hereStorage.size();
            }
            hereData[hereCount++] = {node.cost, n,
                                     inMatrix ? 2 * static_cast<std::ptrdiff_t>(node.classId) * matrixSize : -1};
        }
        const Candidate* const here = hereData;
        const Candidate* const hereEnd = here + hereCount;
        // The longest node of class c that ends at the current position (the
        // first such in the cell on ties), or -1: a run of one class grows from it.
        auto longestOfClass = [&](int c) {
            std::int32_t longest = -1;
            for (std::int32_t n = lattice.first(i); n >= 0; n = lattice.next(n)) {
                const LatticeNode& node = lattice.node(n);
                if (node.classId == c && (longest < 0 || node.length > lattice.node(longest).length))
                    longest = n;
            }
            return longest;
        };
        // Least (cost + connection(node, c)) over the candidates; ties: the first.
        auto bestPredecessor = [&](int c, std::int32_t& bestCost) {
            std::int32_t best = -1;
            const bool columnInMatrix = static_cast<unsigned>(c) < static_cast<unsigned>(matrixSize);
            if (columnInMatrix && allInMatrix) {
                // Every connection is in the matrix: the common case, kept
                // tight.  The cell is never empty.
                const std::uint8_t* column = matrixCosts + 2 * static_cast<std::ptrdiff_t>(c);
                std::int32_t least = here->cost + readLE16s(column + here->row);
                best = here->node;
                for (const Candidate* h = here + 1; h != hereEnd; ++h) {
                    const std::int32_t total = h->cost + readLE16s(column + h->row);
                    if (total < least) {
                        least = total;
                        best = h->node;
                    }
                }
                bestCost = least;
                return best;
            }
            const std::uint8_t* column = columnInMatrix ? matrixCosts + 2 * static_cast<std::ptrdiff_t>(c) : nullptr;
            for (const Candidate* h = here; h != hereEnd; ++h) {
                std::int32_t total = h->cost;
                if (columnInMatrix && h->row >= 0) total += readLE16s(column + h->row);
                if (best < 0 || total < bestCost) {
                    best = h->node;
                    bestCost = total;
                }
            }
            return best;
        };
        // The same over every node of the cell, the last of the ties winning
        // (a word without entry).
        auto lastBestPredecessor = [&](int c, std::int32_t& bestCost) {
            std::int32_t best = -1;
            const bool columnInMatrix = static_cast<unsigned>(c) < static_cast<unsigned>(matrixSize);
            const std::uint8_t* column = columnInMatrix ? matrixCosts + 2 * static_cast<std::ptrdiff_t>(c) : nullptr;
            std::int64_t least = INT64_MAX;
            for (std::int32_t n = lattice.first(i); n >= 0; n = lattice.next(n)) {
                const LatticeNode& node = lattice.node(n);
                const std::ptrdiff_t row = 2 * static_cast<std::ptrdiff_t>(node.classId) * matrixSize;
                if (columnInMatrix && allInMatrix) {
                    const std::int64_t total = node.cost + readLE16s(column + row);
                    if (total <= least) {
                        least = total;
                        best = n;
                    }
                    continue;
                }
                std::int32_t total = node.cost;
                if (columnInMatrix && static_cast<unsigned>(node.classId) < static_cast<unsigned>(matrixSize))
                    total += readLE16s(column + row);
                if (best < 0 || total <= bestCost) {
                    best = n;
                    bestCost = total;
                }
            }
            if (columnInMatrix && allInMatrix) bestCost = static_cast<std::int32_t>(least);
            return best;
        };

        // Keys are whole code units; an odd length only comes from a damaged
        // trie.
        int matchCount = 0;
        m_trie.forEachMatch(units.data() + 2 * i, units.size() - 2 * static_cast<std::size_t>(i),
                            [&matches, &matchCount](std::int32_t entryOffset, int length) {
                                if (length % 2 == 0) matches[matchCount++] = {entryOffset, length};
                            });
        bool anyEntry = false;
        if (mendDeadEnds) {
            for (int m = 0; m < matchCount; ++m)
                if (m_trie.entry(matches[m].entry, entry)) anyEntry = true;
        } else {
            anyEntry = matchCount > 0;
        }

        const DoskCharRange* range = classes.firstRange(unit);
        if (!anyEntry || range) {
            const int c = range ? range->classId : lastClass;
            const int k = range ? range->cost : UNLISTED_WORD_COST;
            bool extended = false;
            if (i > 0 && run) {
                const std::int32_t longest = longestOfClass(c);
                if (longest >= 0 && lattice.node(longest).predecessor >= 0) {
                    const LatticeNode& node = lattice.node(longest);
                    const LatticeNode& p = lattice.node(node.predecessor);
                    LatticeNode added;
                    added.classId = static_cast<std::int16_t>(c);
                    added.length = static_cast<std::int16_t>(node.length + 2);
                    added.predecessor = node.predecessor;
                    added.cost = p.cost + connection(p.classId, c) + k;
                    lattice.add(i + 1, added);
                    extended = true;
                } else {
                    extended = !mendDeadEnds;
                }
            }
            if (!extended) {
                std::int32_t bestCost = 0;
                const std::int32_t best = lastBestPredecessor(c, bestCost);
                LatticeNode added;
                added.classId = static_cast<std::int16_t>(c);
                added.length = 2;
                added.predecessor = best;
                added.cost = bestCost + k;
                lattice.add(i + 1, added);
            }
        }

        const bool insideRun = run && isRunCharacter(v) && isRunCharacter(unit);
        for (int m = 0; m < matchCount; ++m) {
            const int length = matches[m].length;
            const int target = i + length / 2;
            for (std::int32_t offset = matches[m].entry; offset > 0;) {
                const std::int32_t entryOffset = offset;
                int c, w;
                if (!m_trie.entryHead(offset, c, w, offset)) break;

                if (length <= 4 && classes.isRangeClass(c)) {
                    const std::int32_t longest = longestOfClass(c);
                    if (longest >= 0 && lattice.node(longest).predecessor >= 0) {
                        const LatticeNode& node = lattice.node(longest);
                        const LatticeNode& p = lattice.node(node.predecessor);
                        LatticeNode added;
                        added.classId = static_cast<std::int16_t>(c);
                        added.length = static_cast<std::int16_t>(length + node.length);
                        added.predecessor = node.predecessor;
                        added.cost = p.cost + connection(p.classId, c) + classes.rangeClassCost(c);
                        lattice.add(target, added);
                    }
                }

                std::int32_t best = -1;
                std::int32_t bestCost = 0;
                Remembered* memo = insideRun ? nullptr : &remembered[static_cast<std::size_t>(c)];
                if (memo && memo->stamp == stamp) {
                    best = memo->best;
                    bestCost = memo->cost;
                }
                if (!insideRun && best < 0) best = bestPredecessor(c, bestCost);
                for (std::int32_t n = insideRun ? lattice.first(i) : -1; n >= 0; n = lattice.next(n)) {
                    const LatticeNode& node = lattice.node(n);
                    std::int32_t total;
                    if (length == 2)
                        total = node.cost;
                    else
                        total = node.cost + ((node.length == 2 || classes.isRangeClass(node.classId))
                                                 ? UNLISTED_WORD_COST
                                                 : connection(node.classId, c));
                    if (best < 0 || total < bestCost) {  // ties: the first
                        best = n;
                        bestCost = total;
                    }
                }
                if (memo) *memo = {stamp, best, bestCost};
                LatticeNode added;
                added.classId = static_cast<std::int16_t>(c);
                added.length = static_cast<std::int16_t>(length);
                added.entry = entryOffset;
                added.predecessor = best;
                added.cost = bestCost + w + (insideRun && length == 2 ? UNLISTED_WORD_COST : 0);
                lattice.add(target, added);
            }
        }
    }

    scratch.stamp = stamp;
    if (lattice.empty(width)) return false;
    std::int32_t best = -1;
    std::int32_t bestCost = 0;
    for (std::int32_t n = lattice.first(width); n >= 0; n = lattice.next(n)) {
        const LatticeNode& node = lattice.node(n);
        std::int32_t total = node.cost + connection(node.classId, 0);
        if (best < 0 || total < bestCost) {
            best = n;
            bestCost = total;
        }
    }

    std::vector<int> lengths, partClasses;
    std::vector<std::int32_t> partEntries;
    int position = 2 * width;
    for (std::int32_t n = best; n >= 0;) {
        const LatticeNode& node = lattice.node(n);
        if (node.length < 1) break;
        if (splitCompound(node.entry, node.length, lengths, partClasses, partEntries) == 1) {
            for (std::size_t p = lengths.size(); p-- > 0;) {
                position -= lengths[p];
                words.push_back({static_cast<std::int16_t>(position), static_cast<std::int16_t>(lengths[p]),
                                 partClasses[p], partEntries[p]});
            }
        } else {
            position -= node.length;
            words.push_back({static_cast<std::int16_t>(position), node.length, node.classId, node.entry});
        }
        n = node.predecessor;
    }
    std::reverse(words.begin(), words.end());
    return true;
}

int LatticeBuilder::splitCompound(std::int32_t entryOffset, int wordLength, std::vector<int>& lengths,
                                  std::vector<int>& classes, std::vector<std::int32_t>& entries) const
{
    lengths.clear();
    classes.clear();
    entries.clear();
    if (!m_trie.mayBeCompound(entryOffset)) return 0;
    DoskEntry entry;
    if (!m_trie.entry(entryOffset, entry)) return 0;
    if (!(entry.flags & ENTRY_COMPOUND) || entry.compound < COMPOUND_PARTS_FROM) return 0;
    const int kind = entry.compound >> 6;
    if (kind != 1) return kind;
    if (entry.partCount == 0) return 0;
    int used = 0;
    for (int m = 0; m < entry.partCount; ++m) {
        int length;
        std::int32_t partOffset;
        DoskEntry part;
        if (!m_trie.compoundPart(entry, m, length, partOffset) || partOffset == 0 ||
            !m_trie.entry(partOffset, part))
            break;
        if (m == entry.partCount - 1) length = wordLength - used;
        // A part must be a whole number of units inside the word.
        if (length <= 0 || length % 2 != 0 || used + length > wordLength) break;
        used += length;
        lengths.push_back(length);
        classes.push_back(part.classId);
        entries.push_back(partOffset);
    }
    if (static_cast<int>(lengths.size()) != entry.partCount) {
        lengths.clear();
        classes.clear();
        entries.clear();
        return 0;
    }
    return kind;
}

bool LatticeBuilder::composeReading(std::string& reading, std::string_view surface, int classId) const
{
    reading.clear();
    CodeUnits units = toCodeUnits(surface, m_codeType);
    std::vector<DoskMatch> matches;
    DoskEntry entry;
    std::size_t position = 0;
    while (position < units.size()) {
        m_trie.matches(units.data() + position, units.size() - position, matches);
        bool found = false;
        for (const DoskMatch& match : matches) {
            for (std::int32_t offset = match.entry; offset > 0 && !found; offset = entry.next) {
                if (!m_trie.entry(offset, entry)) break;
                if (entry.classId != classId) continue;
                std::string piece;
                readingOf(entry, piece);
                reading += piece;
                position += static_cast<std::size_t>(match.length);
                found = true;
            }
            if (found) break;
        }
        if (!found) return false;
    }
    return true;
}

bool LatticeBuilder::entryReading(std::int32_t entryOffset, std::string& reading) const
{
    reading.clear();
    DoskEntry entry;
    return m_trie.entry(entryOffset, entry) && readingOf(entry, reading);
}

bool LatticeBuilder::entryBaseForm(std::int32_t entryOffset, std::string& baseForm) const
{
    baseForm.clear();
    DoskEntry entry;
    return m_trie.entry(entryOffset, entry) && baseFormOf(entry, baseForm);
}

bool LatticeBuilder::entryForms(std::int32_t entryOffset, std::string& baseForm, std::string& reading) const
{
    baseForm.clear();
    reading.clear();
    DoskEntry entry;
    if (!m_trie.entry(entryOffset, entry)) return false;
    readingOf(entry, reading);
    return baseFormOf(entry, baseForm);
}

bool LatticeBuilder::readingOf(const DoskEntry& entry, std::string& reading) const
{
    const std::uint8_t* codes;
    std::size_t count;
    if (!m_trie.readingCodes(entry.readingOffset, codes, count)) return false;
    std::size_t length = 0;
    for (std::size_t i = 0; i < count; ++i) length += m_codeText[codes[i]].size;
    reading.resize(length);
    char* out = reading.data();
    for (std::size_t i = 0; i < count; ++i) {
        const CodeText& piece = m_codeText[codes[i]];
        for (std::uint8_t k = 0; k < piece.size; ++k) *out++ = piece.bytes[k];
    }
    return true;
}

bool LatticeBuilder::baseFormOf(const DoskEntry& entry, std::string& baseForm) const
{
    if (entry.baseFormNode <= 0) return false;
    // Kept from word to word (one per thread): most base forms are spelled
    // this way.
    thread_local CodeUnits key;
    if (!m_trie.spellKey(entry.baseFormNode, key) || key.empty()) return false;
    baseForm = toText(key, m_codeType);
    return true;
}

}  // namespace quibo
