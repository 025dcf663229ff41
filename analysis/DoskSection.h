// The sections of the Dosk dictionary that follow the lexicon: the word-class
// table and the connection matrix.  Each reader checks every count and length
// against the section it is given; a section that does not hold what it
// claims makes the whole dictionary unusable (load returns false).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quibo {

class DoskSection {
public:
    explicit DoskSection(std::uint16_t tag) : m_tag(tag) {}
    virtual ~DoskSection() = default;
    virtual void reset() = 0;
    // `data` is the section after its tag.  False when the section is
    // inconsistent (a count or length runs past its end).
    virtual bool load(const std::uint8_t* data, std::size_t size) = 0;
    std::uint16_t tag() const { return m_tag; }

private:
    std::uint16_t m_tag;
};

struct DoskCharRange {
    int from = 0;
    int to = 0;
    int classId = 0;
    int cost = 0;
};

class DoskClassTable : public DoskSection {
public:
    DoskClassTable();
    void reset() override;
    bool load(const std::uint8_t* data, std::size_t size) override;

    // Converts both name tables to host text (done by the loader once the
    // code type is known).
    void convertNames(int codeType);

    int classCount() const { return static_cast<int>(m_attributes.size() / 4); }
    // Attribute k (0 POS class, 1 subclass, 2 conjugation type, 3 form).
    int attribute(int classId, int k) const
    {
        if (classId < 0 || classId >= classCount() || k < 0 || k > 3) return 0;
        return m_attributes[static_cast<std::size_t>(classId) * 4 + static_cast<std::size_t>(k)];
    }
    // Name of the class; outside the table the last name ("" when none).
    const std::string& className(int classId) const;
    const std::string& firstName(int classId) const;
    // The text after the last ',' of the class name (the whole name when it
    // has none).
    const std::string& lastNameComponent(int classId) const
    {
        if (classId >= 0 && static_cast<std::size_t>(classId) < m_lastComponents.size())
            return m_lastComponents[static_cast<std::size_t>(classId)];
        return lastNameComponentOutside();
    }

    const std::vector<DoskCharRange>& ranges() const { return m_ranges; }
    // First range that holds the unit, or null.
    const DoskCharRange* firstRange(int unit) const
    {
        if (m_firstRangeOf.empty() || unit < 0 || unit > 0xFFFF) return firstRangeUnindexed(unit);
        const std::uint16_t index = m_firstRangeOf[static_cast<std::size_t>(unit)];
        return index ? &m_ranges[index - 1u] : nullptr;
    }
    // Last range that holds the unit, or null.
    const DoskCharRange* lastRange(int unit) const
    {
        if (m_lastRangeOf.empty() || unit < 0 || unit > 0xFFFF) return lastRangeUnindexed(unit);
        const std::uint16_t index = m_lastRangeOf[static_cast<std::size_t>(unit)];
        return index ? &m_ranges[index - 1u] : nullptr;
    }
    // Class of a unit: its first range's class, else N - 1.
    int charClass(int unit) const;
    // Unlisted-word cost of a unit: its first range's cost, else 20000.
    int charCost(int unit) const;
    // True when some range has this class.
    bool isRangeClass(int classId) const
    {
        if (static_cast<unsigned>(classId) < m_rangeCostByClass.size())
            return m_rangeCostByClass[static_cast<std::size_t>(classId)] != NOT_A_RANGE_CLASS;
        return isRangeClassOutsideIndex(classId);
    }
    // Cost of the first range of the class (20000 when none).
    int rangeClassCost(int classId) const;

private:
    static constexpr int NOT_A_RANGE_CLASS = -0x7FFFFFFF;
    bool isRangeClassOutsideIndex(int classId) const;
    const std::string& lastNameComponentOutside() const;
    const DoskCharRange* firstRangeUnindexed(int unit) const;
    const DoskCharRange* lastRangeUnindexed(int unit) const;

    std::vector<std::vector<std::uint8_t>> m_rawNames1;
    std::vector<std::vector<std::uint8_t>> m_rawNames2;
    std::vector<std::string> m_names1;
    std::vector<std::string> m_names2;
    std::vector<std::string> m_lastComponents;
    std::vector<DoskCharRange> m_ranges;
    std::vector<std::uint8_t> m_attributes;
    // Cost of the first range of each entry class id (0..4095), or
    // NOT_A_RANGE_CLASS; the lattice asks this for every candidate word.
    std::array<int, 0x1000> m_rangeCostByClass;
    // For each code unit, 1 + the index of its first and of its last range
    // (0: none).  Built when the table has at most 256 ranges; the lattice
    // asks for every character.
    std::vector<std::uint16_t> m_firstRangeOf;
    std::vector<std::uint16_t> m_lastRangeOf;
};

class DoskConnectionMatrix : public DoskSection {
public:
    DoskConnectionMatrix();
    void reset() override;
    bool load(const std::uint8_t* data, std::size_t size) override;

    int size() const { return m_size; }
    // The D x D little-endian int16 costs, row = left class (in the mapping).
    const std::uint8_t* costs() const { return m_costs; }
    // Cost of a word of class `left` followed by one of class `right`; 0 when
    // either lies outside the matrix.
    int cost(int left, int right) const
    {
        if (left < 0 || right < 0 || left >= m_size || right >= m_size) return 0;
        const std::uint8_t* p = m_costs + 2 * (static_cast<std::size_t>(left) * m_size + right);
        return static_cast<std::int16_t>(p[0] | (p[1] << 8));
    }

private:
    int m_size = 0;
    const std::uint8_t* m_costs = nullptr;  // in the mapping
};

}  // namespace quibo
