// A numeric interval with a unit word (a counter such as 個 or 円), written
// unit:[lower,upper] with "(" or ")" for an exclusive bound and an empty
// bound for no bound, for example 個:[2,9] or 円:(0,100].
#pragma once

#include <cstdint>
#include <string>

namespace quibo {

class IntervalWUnit {
public:
    IntervalWUnit() = default;
    // Parses the text form.  A malformed text is reported on the console
    // ("Error parsing in IntervalWUnit(\"text\")"), keeps the fields parsed
    // before the fault and is not well formed.
    explicit IntervalWUnit(const std::string& text);
    // The closed interval [value,value] of `unit`; `value` is a decimal text.
    static IntervalWUnit point(const std::string& unit, const std::string& value);

    // True when `other` has the same unit and lies within this interval.  A
    // missing or non-numeric bound of this interval constrains nothing; a
    // missing or non-numeric bound of `other` lies outside any bound.
    bool contains(const IntervalWUnit& other) const;

    bool isWellFormed() const { return m_wellFormed; }
    const std::string& unit() const { return m_unit; }
    const std::string& lower() const { return m_lower; }
    bool lowerOpen() const { return m_lowerOpen != 0; }
    const std::string& upper() const { return m_upper; }
    bool upperOpen() const { return m_upperOpen != 0; }

private:
    std::string m_unit;
    std::string m_lower;  // as written; empty means no lower bound
    std::int16_t m_lowerOpen = 0;
    std::string m_upper;  // as written; empty means no upper bound
    std::int16_t m_upperOpen = 0;
    bool m_wellFormed = true;
};

}  // namespace quibo
