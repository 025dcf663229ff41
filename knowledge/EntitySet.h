// A set of knowledge objects that relates an entity to others: unique
// members, visited in the order they were first inserted.  The objects are
// borrowed from the knowledge base.
#pragma once

#include "knowledge/InsertionOrderedSet.h"

#include <cstddef>

namespace quibo {

class KnowledgeObject;

class EntitySet {
public:
    using Members = InsertionOrderedSet<KnowledgeObject>;

    EntitySet() = default;
    EntitySet(const EntitySet&) = default;
    EntitySet& operator=(const EntitySet&) = default;
    virtual ~EntitySet() = default;

    // True as soon as a member of other (visited in order) is a member here;
    // false for an empty other set.
    bool intersects(const EntitySet& other) const;
    // Members of other that are members here.
    int countCommon(const EntitySet& other) const;

    // False when the object is already a member.
    bool insert(KnowledgeObject* object) { return m_members.insert(object); }
    bool contains(const KnowledgeObject* object) const { return m_members.contains(object); }
    void clear() { m_members.clear(); }
    // Room for that many members in all.
    void reserve(std::size_t count) { m_members.reserve(count); }
    std::size_t size() const { return m_members.size(); }
    bool empty() const { return m_members.empty(); }
    // Members in insertion order, the order in which a stream carries them.
    const Members& members() const { return m_members; }

private:
    Members m_members;
};

}  // namespace quibo
