#include "tools/DoskWriter.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <unordered_map>

#include "analysis/DoskCodeUnits.h"
#include "analysis/DoskFormat.h"

namespace quibo {

using namespace dosk;

namespace {

void putLE16(std::vector<std::uint8_t>& out, int value)
{
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}
void putLE24(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int i = 0; i < 3; ++i) out.push_back(static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF));
}
void putLE32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF));
}

// Units of a text, or false when the text does not come back unchanged.
bool unitsOf(const std::string& text, std::string& units)
{
    CodeUnits converted = toCodeUnits(text, CODE_TYPE_EUC);
    if (toText(converted, CODE_TYPE_EUC) != text) return false;
    units.assign(converted.begin(), converted.end());
    return true;
}

int skippedFieldCount(int k)
{
    int count = (k >> 4) & 3;
    if (k & 0x30) count += ((k >> 2) & 3) + (k & 3);
    return count;
}

// Double-array trie over byte keys (node 1 the root).  A key's entries hang
// from the slot base[node] + 0 of the node where it ends; a key alone in its
// subtree becomes a tail node carrying the rest of its bytes; keys without
// entries (base forms that are no word) only get a node to be spelled from.
class TrieBuilder {
    const std::vector<std::string>& m_keys;
    const std::vector<bool>& m_hasEntries;

public:
    TrieBuilder(const std::vector<std::string>& keys, const std::vector<bool>& hasEntries)
        : m_keys(keys), m_hasEntries(hasEntries), endNode(keys.size(), -1),
          terminal(keys.size(), -1), tailDepth(keys.size(), -1)
    {
        grow(1024);
        m_used[0] = m_used[1] = 1;
        if (!keys.empty()) place(1, 0, keys.size(), 0, false);
        std::size_t count = m_base.size();
        while (count > 2 && !m_used[count - 1]) --count;
        m_base.resize(count);
        m_check.resize(count);
    }

    std::vector<std::int32_t> m_base, m_check;
    std::vector<std::int32_t> endNode;   // node whose key is the key
    std::vector<std::int32_t> terminal;  // slot holding the entry offset, or -1
    std::vector<int> tailDepth;          // -1: no tail; else bytes taken before the tail

private:
    void grow(std::size_t size)
    {
        if (m_base.size() >= size) return;
        std::size_t n = std::max(size, m_base.size() * 2);
        m_base.resize(n, 0);
        m_check.resize(n, 0);
        m_used.resize(n, 0);
    }

    std::int32_t findBase(const std::vector<int>& labels)
    {
        std::size_t pos = std::max<std::size_t>(m_nextCheck, static_cast<std::size_t>(labels[0]) + 1);
        std::size_t nonzero = 0;
        bool first = true;
        for (;; ++pos) {
            grow(pos + 258);
            if (m_used[pos]) {
                ++nonzero;
                continue;
            }
            if (first) {
                m_nextCheck = pos;
                first = false;
            }
            std::size_t b = pos - static_cast<std::size_t>(labels[0]);
            if (b < 1) continue;
            bool fits = true;
            for (int label : labels)
                if (m_used[b + static_cast<std::size_t>(label)]) {
                    fits = false;
                    break;
                }
            if (!fits) continue;
            if (static_cast<double>(nonzero) / static_cast<double>(pos - m_nextCheck + 1) >= 0.95)
                m_nextCheck = pos;
            return static_cast<std::int32_t>(b);
        }
    }

    void place(std::int32_t node, std::size_t lo, std::size_t hi, std::size_t depth, bool viaTransition)
    {
        if (hi - lo == 1 && viaTransition && m_hasEntries[lo]) {
            endNode[lo] = node;
            tailDepth[lo] = static_cast<int>(depth);
            return;
        }
        std::vector<int> labels;
        std::vector<std::pair<std::size_t, std::size_t>> children;
        std::size_t i = lo;
        bool hasTerminal = false;
        if (m_keys[lo].size() == depth) {
            endNode[lo] = node;
            if (m_hasEntries[lo]) {
                labels.push_back(0);
                hasTerminal = true;
            }
            i = lo + 1;
        }
        while (i < hi) {
            auto byte = static_cast<std::uint8_t>(m_keys[i][depth]);
            std::size_t j = i;
            while (j < hi && static_cast<std::uint8_t>(m_keys[j][depth]) == byte) ++j;
            labels.push_back(byte + 1);
            children.emplace_back(i, j);
            i = j;
        }
        if (labels.empty()) {
            m_base[node] = 0;
            return;
        }
        std::int32_t b = findBase(labels);
        m_base[node] = b;
        for (int label : labels) {
            m_used[b + label] = 1;
            m_check[b + label] = node;
        }
        if (hasTerminal) terminal[lo] = b;
        std::size_t child = 0;
        for (std::size_t k = hasTerminal ? 1 : 0; k < labels.size(); ++k, ++child)
            place(b + labels[k], children[child].first, children[child].second, depth + 1, true);
    }

    std::vector<std::uint8_t> m_used;
    std::size_t m_nextCheck = 2;
};

struct PreparedWord {
    const DoskSourceWord* source;
    std::string key;       // units
    std::string reading;   // code-table indexes
    std::string baseForm;  // units; empty: none
    std::vector<std::size_t> parts;  // indexes into the prepared words
    std::size_t offset = 0;          // in the entry area
    bool chained = false;
};

std::size_t entrySize(const PreparedWord& word)
{
    std::size_t size = 4 + 3;
    if (!word.baseForm.empty()) size += 3;
    int k = word.source->compound;
    if (k >= 0) {
        size += 1;
        if (k >= COMPOUND_PARTS_FROM) size += word.parts.empty() ? 1 : 4 * word.parts.size();
        size += static_cast<std::size_t>(skippedFieldCount(k));
    }
    return size;
}

void appendName(std::vector<std::uint8_t>& out, const std::string& name)
{
    CodeUnits units = toCodeUnits(name, CODE_TYPE_EUC);
    if (units.size() > 0x7FFE) units.resize(0x7FFE);
    putLE16(out, static_cast<int>(units.size()));
    out.insert(out.end(), units.begin(), units.end());
}

}  // namespace

std::vector<std::uint8_t> writeDoskImage(const DoskSource& source, DoskWriteReport& report)
{
    report = DoskWriteReport();
    if (source.classes.size() > 0x7FFF || source.ranges.size() > 0x7FFF || source.matrixSize < 0 ||
        source.matrixSize > 0x7FFF ||
        source.matrix.size() != static_cast<std::size_t>(source.matrixSize) * source.matrixSize) {
        report.error = "class table or matrix does not fit the format";
        return {};
    }

    // Keys, readings and base forms as stored; rows that do not fit are
    // dropped and counted.
    std::vector<std::uint16_t> codeTable;
    std::unordered_map<std::uint16_t, std::uint8_t> codeIndex;
    std::vector<PreparedWord> words;
    words.reserve(source.words.size());
    for (const DoskSourceWord& word : source.words) {
        PreparedWord prepared{&word, {}, {}, {}, {}, 0, false};
        std::string readingUnits;
        if (word.key.empty() || !unitsOf(word.key, prepared.key) || !unitsOf(word.reading, readingUnits) ||
            (!word.baseForm.empty() && word.baseForm != word.key &&
             !unitsOf(word.baseForm, prepared.baseForm))) {
            ++report.droppedText;
            continue;
        }
        if (prepared.key.size() > 255 || readingUnits.size() / 2 > 255 || prepared.baseForm.size() > 255) {
            ++report.droppedLength;
            continue;
        }
        std::vector<std::uint16_t> fresh;
        for (std::size_t i = 0; i < readingUnits.size(); i += 2) {
            auto unit = static_cast<std::uint16_t>((static_cast<std::uint8_t>(readingUnits[i]) << 8) |
                                                   static_cast<std::uint8_t>(readingUnits[i + 1]));
            if (!codeIndex.count(unit) && std::find(fresh.begin(), fresh.end(), unit) == fresh.end())
                fresh.push_back(unit);
        }
        if (codeTable.size() + fresh.size() > 256) {
            ++report.droppedReadingChars;
            continue;
        }
        for (std::uint16_t unit : fresh) {
            codeIndex[unit] = static_cast<std::uint8_t>(codeTable.size());
            codeTable.push_back(unit);
        }
        for (std::size_t i = 0; i < readingUnits.size(); i += 2) {
            auto unit = static_cast<std::uint16_t>((static_cast<std::uint8_t>(readingUnits[i]) << 8) |
                                                   static_cast<std::uint8_t>(readingUnits[i + 1]));
            prepared.reading.push_back(static_cast<char>(codeIndex[unit]));
        }
        words.push_back(std::move(prepared));
    }

    // Keys with their chains in input order, and compound parts resolved.
    std::map<std::string, std::vector<std::size_t>> chains;
    for (std::size_t i = 0; i < words.size(); ++i) chains[words[i].key].push_back(i);
    std::vector<bool> keep(words.size(), true);
    for (std::size_t i = 0; i < words.size(); ++i) {
        const DoskSourceWord& word = *words[i].source;
        if (word.compound < COMPOUND_PARTS_FROM) continue;
        for (const DoskSourcePart& part : word.parts) {
            std::string units;
            std::size_t found = words.size();
            if (unitsOf(part.key, units)) {
                auto chain = chains.find(units);
                if (chain != chains.end())
                    for (std::size_t candidate : chain->second)
                        if (words[candidate].source->classId == part.classId) {
                            found = candidate;
                            break;
                        }
            }
            if (found == words.size()) {
                keep[i] = false;
                break;
            }
            words[i].parts.push_back(found);
        }
        if (keep[i] && (word.parts.size() > 255 || words[i].parts.empty() != word.parts.empty())) keep[i] = false;
        if (!keep[i]) ++report.droppedParts;
    }
    for (auto& [key, chain] : chains)
        chain.erase(std::remove_if(chain.begin(), chain.end(), [&](std::size_t i) { return !keep[i]; }),
                    chain.end());

    std::map<std::string, bool> keySet;  // key units -> has entries
    for (const auto& [key, chain] : chains)
        if (!chain.empty()) keySet[key] = true;
    for (std::size_t i = 0; i < words.size(); ++i)
        if (keep[i] && !words[i].baseForm.empty()) keySet.emplace(words[i].baseForm, false);
    std::vector<std::string> keys;
    std::vector<bool> hasEntries;
    std::map<std::string, std::size_t> keyIndex;
    for (const auto& [key, entries] : keySet) {
        keyIndex[key] = keys.size();
        keys.push_back(key);
        hasEntries.push_back(entries);
    }

    TrieBuilder trie(keys, hasEntries);
    if (trie.m_base.size() > MAX_24BIT) {
        report.error = "too many trie nodes for 24-bit node indexes";
        return {};
    }

    // Entry area: byte 0 is never an entry; then, key by key, the tail
    // record (if any) and the key's chain.
    std::vector<std::uint8_t> area(1, 0);
    std::vector<std::size_t> tailAt(keys.size(), 0);
    std::vector<std::size_t> chainAt(keys.size(), 0);
    std::size_t cursor = 1;
    for (std::size_t k = 0; k < keys.size(); ++k) {
        if (!hasEntries[k]) continue;
        if (trie.tailDepth[k] >= 0) {
            tailAt[k] = cursor;
            cursor += 1 + keys[k].size() - static_cast<std::size_t>(trie.tailDepth[k]);
        }
        chainAt[k] = cursor;
        const auto& chain = chains[keys[k]];
        for (std::size_t c = 0; c < chain.size(); ++c) {
            PreparedWord& word = words[chain[c]];
            word.offset = cursor;
            word.chained = c + 1 < chain.size();
            cursor += entrySize(word);
        }
    }
    if (cursor > MAX_24BIT) {
        report.error = "entry area over 16 MB";
        return {};
    }

    // Reading pool, one copy of each reading.
    std::vector<std::uint8_t> pool;
    std::map<std::string, std::size_t> poolAt;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (!keep[i]) continue;
        auto [it, added] = poolAt.emplace(words[i].reading, pool.size());
        if (added) {
            pool.push_back(static_cast<std::uint8_t>(words[i].reading.size()));
            pool.insert(pool.end(), words[i].reading.begin(), words[i].reading.end());
        }
    }
    if (pool.size() > MAX_24BIT) {
        report.error = "reading pool over 16 MB";
        return {};
    }

    for (std::size_t k = 0; k < keys.size(); ++k) {
        if (!hasEntries[k]) continue;
        if (trie.tailDepth[k] >= 0) {
            std::size_t depth = static_cast<std::size_t>(trie.tailDepth[k]);
            area.push_back(static_cast<std::uint8_t>(keys[k].size() - depth));
            area.insert(area.end(), keys[k].begin() + static_cast<std::ptrdiff_t>(depth), keys[k].end());
            trie.m_base[trie.endNode[k]] = static_cast<std::int32_t>(TAIL_BIT | tailAt[k]);
        } else {
            trie.m_base[trie.terminal[k]] = static_cast<std::int32_t>(chainAt[k]);
        }
        for (std::size_t index : chains[keys[k]]) {
            const PreparedWord& word = words[index];
            const DoskSourceWord& src = *word.source;
            std::uint16_t flags = static_cast<std::uint16_t>(src.classId & ENTRY_CLASS_MASK);
            if (src.compound >= 0) flags |= ENTRY_COMPOUND;
            if (!word.baseForm.empty()) flags |= ENTRY_BASE_FORM;
            if (word.chained) flags |= ENTRY_CHAIN;
            putLE16(area, flags);
            putLE16(area, std::clamp(src.cost, -32768, 32767));
            if (!word.baseForm.empty())
                putLE24(area, static_cast<std::uint32_t>(trie.endNode[keyIndex[word.baseForm]]));
            putLE24(area, static_cast<std::uint32_t>(poolAt[word.reading]));
            if (src.compound >= 0) {
                area.push_back(static_cast<std::uint8_t>(src.compound));
                if (src.compound >= COMPOUND_PARTS_FROM) {
                    area.push_back(static_cast<std::uint8_t>(word.parts.size()));
                    for (std::size_t p = 0; p + 1 < word.parts.size(); ++p)
                        area.push_back(static_cast<std::uint8_t>(words[word.parts[p]].key.size()));
                    for (std::size_t part : word.parts)
                        putLE24(area, static_cast<std::uint32_t>(words[part].offset));
                }
                std::vector<std::uint8_t> skipped = src.skippedFields;
                skipped.resize(static_cast<std::size_t>(skippedFieldCount(src.compound)), 0);
                area.insert(area.end(), skipped.begin(), skipped.end());
            }
        }
    }
    for (std::size_t i = 0; i < words.size(); ++i)
        if (keep[i]) ++report.written;

    // Block 0.
    std::vector<std::uint8_t> block0;
    putLE32(block0, static_cast<std::uint32_t>(trie.m_base.size() * 8));
    putLE32(block0, static_cast<std::uint32_t>(area.size()));
    putLE32(block0, static_cast<std::uint32_t>(pool.size()));
    for (std::size_t n = 0; n < trie.m_base.size(); ++n) {
        putLE32(block0, static_cast<std::uint32_t>(trie.m_base[n]));
        putLE32(block0, static_cast<std::uint32_t>(trie.m_check[n]));
    }
    block0.insert(block0.end(), area.begin(), area.end());
    block0.insert(block0.end(), pool.begin(), pool.end());
    for (std::uint16_t unit : codeTable) {
        block0.push_back(static_cast<std::uint8_t>(unit >> 8));
        block0.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    }

    std::vector<std::uint8_t> classTable;
    putLE16(classTable, CLASS_TABLE_TAG);
    putLE16(classTable, static_cast<int>(source.classes.size()));
    for (const auto& c : source.classes) appendName(classTable, c.firstName);
    putLE16(classTable, static_cast<int>(source.ranges.size()));
    for (const auto& r : source.ranges) {
        putLE16(classTable, r.from);
        putLE16(classTable, r.to);
        putLE16(classTable, r.classId);
        putLE16(classTable, r.cost);
    }
    for (const auto& c : source.classes) appendName(classTable, c.name);
    for (const auto& c : source.classes) classTable.insert(classTable.end(), c.attributes.begin(), c.attributes.end());

    std::vector<std::uint8_t> matrix;
    matrix.reserve(4 + source.matrix.size() * 2);
    putLE16(matrix, CONNECTION_MATRIX_TAG);
    putLE16(matrix, source.matrixSize);
    for (std::int16_t cost : source.matrix) putLE16(matrix, cost);

    std::vector<std::uint8_t> image(source.headerBlock.begin(), source.headerBlock.end());
    putLE32(image, DEFAULT_HEADER_AREA_SIZE);
    putLE32(image, static_cast<std::uint32_t>(block0.size()));
    putLE32(image, 2);
    putLE32(image, static_cast<std::uint32_t>(classTable.size()));
    putLE32(image, static_cast<std::uint32_t>(matrix.size()));
    image.resize(BLOCK0_OFFSET, 0);  // extra header bytes
    image.insert(image.end(), block0.begin(), block0.end());
    image.insert(image.end(), classTable.begin(), classTable.end());
    image.insert(image.end(), matrix.begin(), matrix.end());
    return image;
}

bool writeDoskFile(const std::string& path, const DoskSource& source, DoskWriteReport& report)
{
    std::vector<std::uint8_t> image = writeDoskImage(source, report);
    if (image.empty()) return false;
    std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
        if (!out) {
            report.error = "cannot write " + temporary;
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        report.error = "cannot rename " + temporary;
        return false;
    }
    return true;
}

}  // namespace quibo
