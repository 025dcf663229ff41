#include "analysis/DoskSection.h"

#include "analysis/DoskCodeUnits.h"
#include "analysis/DoskFormat.h"

namespace quibo {
namespace {

constexpr int ENTRY_CLASS_COUNT = dosk::ENTRY_CLASS_MASK + 1;
static_assert(ENTRY_CLASS_COUNT == 0x1000, "one range cost per entry class id");

// Bounds-checked reader over one section.
class SectionReader {
public:
    SectionReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool has(std::size_t n) const { return n <= m_size - m_pos; }
    bool readInt16(int& value)
    {
        if (!has(2)) return false;
        value = dosk::readLE16s(m_data + m_pos);
        m_pos += 2;
        return true;
    }
    bool readUint16(int& value)
    {
        if (!has(2)) return false;
        value = dosk::readLE16(m_data + m_pos);
        m_pos += 2;
        return true;
    }
    bool readBytes(std::size_t n, std::vector<std::uint8_t>& out)
    {
        if (!has(n)) return false;
        out.assign(m_data + m_pos, m_data + m_pos + n);
        m_pos += n;
        return true;
    }
    // N names, each an int16 length in bytes and that many bytes of units.
    bool readNames(int count, std::vector<std::vector<std::uint8_t>>& names)
    {
        names.clear();
        for (int i = 0; i < count; ++i) {
            int length;
            if (!readInt16(length) || length < 0 || length % 2 != 0) return false;
            names.emplace_back();
            if (!readBytes(static_cast<std::size_t>(length), names.back())) return false;
        }
        return true;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

const std::string& emptyText()
{
    static const std::string empty;
    return empty;
}

}  // namespace

DoskClassTable::DoskClassTable() : DoskSection(dosk::CLASS_TABLE_TAG) { reset(); }

void DoskClassTable::reset()
{
    m_rawNames1.clear();
    m_rawNames2.clear();
    m_names1.clear();
    m_names2.clear();
    m_lastComponents.clear();
    m_ranges.clear();
    m_attributes.clear();
    m_rangeCostByClass.fill(NOT_A_RANGE_CLASS);
    m_firstRangeOf.clear();
    m_lastRangeOf.clear();
}

bool DoskClassTable::load(const std::uint8_t* data, std::size_t size)
{
    reset();
    SectionReader in(data, size);
    int count, rangeCount;
    if (!in.readInt16(count) || count < 0) return false;
    if (!in.readNames(count, m_rawNames1)) return false;
    if (!in.readInt16(rangeCount) || rangeCount < 0) return false;
    for (int i = 0; i < rangeCount; ++i) {
        DoskCharRange range;
        if (!in.readUint16(range.from) || !in.readUint16(range.to) || !in.readInt16(range.classId) ||
            !in.readInt16(range.cost))
            return false;
        m_ranges.push_back(range);
        if (range.classId >= 0 && range.classId < ENTRY_CLASS_COUNT &&
            m_rangeCostByClass[range.classId] == NOT_A_RANGE_CLASS)
            m_rangeCostByClass[range.classId] = range.cost;
    }
    if (m_ranges.size() <= 256) {
        m_firstRangeOf.assign(0x10000, 0);
        m_lastRangeOf.assign(0x10000, 0);
        for (std::size_t i = m_ranges.size(); i-- > 0;)
            for (int u = m_ranges[i].from; u <= m_ranges[i].to; ++u)
                m_firstRangeOf[u] = static_cast<std::uint16_t>(i + 1);
        for (std::size_t i = 0; i < m_ranges.size(); ++i)
            for (int u = m_ranges[i].from; u <= m_ranges[i].to; ++u)
                m_lastRangeOf[u] = static_cast<std::uint16_t>(i + 1);
    }
    if (!in.readNames(count, m_rawNames2)) return false;
    if (!in.readBytes(static_cast<std::size_t>(count) * 4, m_attributes)) return false;
    convertNames(CODE_TYPE_EUC);
    return true;
}

void DoskClassTable::convertNames(int codeType)
{
    m_names1.clear();
    m_names2.clear();
    m_lastComponents.clear();
    for (const auto& raw : m_rawNames1) m_names1.push_back(toText(raw, codeType));
    for (const auto& raw : m_rawNames2) {
        m_names2.push_back(toText(raw, codeType));
        const std::string& name = m_names2.back();
        auto comma = name.rfind(',');
        m_lastComponents.push_back(comma == std::string::npos ? name : name.substr(comma + 1));
    }
}

const std::string& DoskClassTable::className(int classId) const
{
    if (m_names2.empty()) return emptyText();
    if (classId < 0 || classId >= static_cast<int>(m_names2.size())) return m_names2.back();
    return m_names2[classId];
}

const std::string& DoskClassTable::firstName(int classId) const
{
    if (m_names1.empty()) return emptyText();
    if (classId < 0 || classId >= static_cast<int>(m_names1.size())) return m_names1.back();
    return m_names1[classId];
}

const std::string& DoskClassTable::lastNameComponentOutside() const
{
    return m_lastComponents.empty() ? emptyText() : m_lastComponents.back();
}

// Without the index (more than 256 ranges) the ranges are searched; a unit
// outside 0..FFFF is in none of the indexed ones.
const DoskCharRange* DoskClassTable::firstRangeUnindexed(int unit) const
{
    if (!m_firstRangeOf.empty()) return nullptr;
    for (const auto& range : m_ranges)
        if (range.from <= unit && unit <= range.to) return &range;
    return nullptr;
}

const DoskCharRange* DoskClassTable::lastRangeUnindexed(int unit) const
{
    if (!m_lastRangeOf.empty()) return nullptr;
    for (auto it = m_ranges.rbegin(); it != m_ranges.rend(); ++it)
        if (it->from <= unit && unit <= it->to) return &*it;
    return nullptr;
}

int DoskClassTable::charClass(int unit) const
{
    const DoskCharRange* range = firstRange(unit);
    return range ? range->classId : classCount() - 1;
}

int DoskClassTable::charCost(int unit) const
{
    const DoskCharRange* range = firstRange(unit);
    return range ? range->cost : dosk::UNLISTED_WORD_COST;
}

bool DoskClassTable::isRangeClassOutsideIndex(int classId) const
{
    for (const auto& range : m_ranges)
        if (range.classId == classId) return true;
    return false;
}

int DoskClassTable::rangeClassCost(int classId) const
{
    if (classId >= 0 && classId < ENTRY_CLASS_COUNT) {
        int cost = m_rangeCostByClass[classId];
        return cost == NOT_A_RANGE_CLASS ? dosk::UNLISTED_WORD_COST : cost;
    }
    for (const auto& range : m_ranges)
        if (range.classId == classId) return range.cost;
    return dosk::UNLISTED_WORD_COST;
}

DoskConnectionMatrix::DoskConnectionMatrix() : DoskSection(dosk::CONNECTION_MATRIX_TAG) {}

void DoskConnectionMatrix::reset()
{
    m_size = 0;
    m_costs = nullptr;
}

bool DoskConnectionMatrix::load(const std::uint8_t* data, std::size_t size)
{
    reset();
    if (size < 2) return false;
    int count = dosk::readLE16s(data);
    if (count < 0) return false;
    std::size_t need = static_cast<std::size_t>(count) * count * 2;
    if (need > size - 2) return false;
    m_size = count;
    m_costs = data + 2;
    return true;
}

}  // namespace quibo
