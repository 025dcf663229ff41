// Names of a reply entry: unique pointers to strings pooled by the knowledge
// base, in the order they were first inserted (see InsertionOrderedSet).  The
// strings are borrowed; the set never frees them.
#pragma once

#include "knowledge/InsertionOrderedSet.h"

#include <string>

namespace quibo {

class StringRefSet {
public:
    using Members = InsertionOrderedSet<const std::string>;

    StringRefSet() = default;
    StringRefSet(const StringRefSet&) = default;
    StringRefSet& operator=(const StringRefSet&) = default;
    virtual ~StringRefSet() = default;

    bool insert(const std::string* text) { return m_members.insert(text); }
    bool contains(const std::string* text) const { return m_members.contains(text); }
    void clear() { m_members.clear(); }
    std::size_t size() const { return m_members.size(); }
    bool empty() const { return m_members.empty(); }
    Members::const_iterator begin() const { return m_members.begin(); }
    Members::const_iterator end() const { return m_members.end(); }

    bool operator==(const StringRefSet& other) const { return m_members == other.m_members; }

private:
    Members m_members;
};

}  // namespace quibo
