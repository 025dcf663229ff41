// A set of borrowed pointers that iterates in the order the members were
// first inserted.  The knowledge base's pointer sets (entity sets, reply
// names, reply tables) are streamed and printed in iteration order; ordering
// them by address would make a saved file and every printed list depend on
// where the heap happened to place the objects.  Membership is by pointer
// value, as for an address-ordered set.
#pragma once

#include <algorithm>
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
        if (contains(member)) return false;
        m_order.push_back(member);
        if (!m_index.empty())
            m_index.insert(member);
        else if (m_order.size() > LINEAR_LIMIT)
            m_index.insert(m_order.begin(), m_order.end());
        return true;
    }
    bool contains(const T* member) const
    {
        if (m_index.empty())
            return std::find(m_order.begin(), m_order.end(), member) != m_order.end();
        return m_index.count(const_cast<T*>(member)) != 0;
    }
    // Room for that many members in all; a set that will hold more than a
    // few builds its index at once.
    void reserve(std::size_t count)
    {
        m_order.reserve(count);
        if (count > LINEAR_LIMIT)
            m_index.reserve(count);
    }
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
    // Most sets (an entity's relatives, an entry's names) hold a few
    // members: up to this many, membership is a scan of the order, and a set
    // costs no hash table at all.
    static constexpr std::size_t LINEAR_LIMIT = 8;

    std::vector<T*> m_order;
    std::unordered_set<T*> m_index;  // empty while the set is small
};

}  // namespace quibo
