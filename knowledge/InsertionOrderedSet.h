// A set of borrowed pointers that iterates in the order the members were
// first inserted.  The knowledge base's pointer sets (entity sets, reply
// names, reply tables) are streamed and printed in iteration order; ordering
// them by address would make a saved file and every printed list depend on
// where the heap happened to place the objects.  Membership is by pointer
// value, as for an address-ordered set.
#pragma once

#include <cstddef>
#include <unordered_set>
#include <vector>

namespace quibo {

template <class T>
class InsertionOrderedSet {
public:
    using value_type = T*;
    using const_iterator = typename std::vector<T*>::const_iterator;

    // False, changing nothing, when the pointer is already a member.
    bool insert(T* member)
    {
        if (!m_index.insert(member).second) return false;
        m_order.push_back(member);
        return true;
    }
    bool contains(const T* member) const { return m_index.count(const_cast<T*>(member)) != 0; }
    void clear()
    {
        m_order.clear();
        m_index.clear();
    }
    std::size_t size() const { return m_order.size(); }
    bool empty() const { return m_order.empty(); }
    const_iterator begin() const { return m_order.begin(); }
    const_iterator end() const { return m_order.end(); }
    // The members in insertion order.
    const std::vector<T*>& inOrder() const { return m_order; }

    bool operator==(const InsertionOrderedSet& other) const { return m_order == other.m_order; }

private:
    std::vector<T*> m_order;
    std::unordered_set<T*> m_index;
};

}  // namespace quibo
