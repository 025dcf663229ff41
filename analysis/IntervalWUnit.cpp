#include "analysis/IntervalWUnit.h"

#include "analysis/ConsoleLine.h"
#include "analysis/EucString.h"

namespace quibo {
namespace {

// atoi's value of a bound; digit runs beyond int's range saturate.
int boundValue(const std::string& text) { return EucString(text).toInt(); }

// A bound whose value is 0 although it holds more than zeros, points and
// signs is no number: it bounds nothing.
bool isNumeric(const std::string& bound)
{
    return boundValue(bound) != 0 || bound.find_first_not_of("0.-") == std::string::npos;
}

bool constrains(const std::string& bound) { return !bound.empty() && isNumeric(bound); }

std::string normalizedBound(const std::string& bound)
{
    return isNumeric(bound) ? bound : std::string();
}

}  // namespace

IntervalWUnit::IntervalWUnit(const std::string& text)
{
    const auto fail = [&] {
        m_wellFormed = false;
        writeConsoleLine("Error parsing in IntervalWUnit(\"" + text + "\")");
    };
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos) {
        fail();
        return;
    }
    m_unit = text.substr(0, colon);
    std::string rest = text.substr(colon + 1);
    if (rest.empty() || (rest[0] != '(' && rest[0] != '[')) {
        fail();
        return;
    }
    m_lowerOpen = rest[0] == '(' ? 1 : 0;
    const std::size_t comma = rest.find(',');
    if (comma == std::string::npos) {
        fail();
        return;
    }
    m_lower = normalizedBound(rest.substr(1, comma - 1));
    rest.erase(0, comma + 1);
    std::size_t closing = rest.find(')');
    m_upperOpen = closing != std::string::npos ? 1 : 0;
    if (closing == std::string::npos) {
        closing = rest.find(']');
    }
    if (closing == std::string::npos) {
        fail();
        return;
    }
    m_upper = normalizedBound(rest.substr(0, closing));
    if (!m_lower.empty() && !m_upper.empty() && boundValue(m_upper) < boundValue(m_lower)) {
        fail();
        return;
    }
}

IntervalWUnit IntervalWUnit::point(const std::string& unit, const std::string& value)
{
    IntervalWUnit interval;
    interval.m_unit = unit;
    interval.m_lower = normalizedBound(value);
    interval.m_upper = interval.m_lower;
    return interval;
}

bool IntervalWUnit::contains(const IntervalWUnit& other) const
{
    if (m_unit != other.m_unit) {
        return false;
    }
    bool lowerHolds = true;
    if (constrains(m_lower)) {
        if (!constrains(other.m_lower)) {
            lowerHolds = false;
        } else if (!m_lowerOpen || other.m_lowerOpen) {
            lowerHolds = boundValue(other.m_lower) >= boundValue(m_lower);
        } else {
            lowerHolds = boundValue(other.m_lower) > boundValue(m_lower);
        }
    }
    bool upperHolds = true;
    if (constrains(m_upper)) {
        if (!constrains(other.m_upper)) {
            upperHolds = false;
        } else if (!m_upperOpen || other.m_upperOpen) {
            upperHolds = boundValue(m_upper) >= boundValue(other.m_upper);
        } else {
            upperHolds = boundValue(m_upper) > boundValue(other.m_upper);
        }
    }
    return lowerHolds && upperHolds;
}

}  // namespace quibo
