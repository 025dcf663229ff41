// A set of knowledge objects that relates an entity to others, ordered by
// address and unique.  The objects are borrowed from the knowledge base.
#pragma once

#include <set>

namespace quibo {

class KnowledgeObject;

class EntitySet {
public:
    EntitySet() = default;
    EntitySet(const EntitySet&) = default;
    EntitySet& operator=(const EntitySet&) = default;
    virtual ~EntitySet() = default;

    // True as soon as a member of other is a member here.
    bool intersects(const EntitySet& other) const;
    // Members of other that are members here.
    int countCommon(const EntitySet& other) const;

    bool insert(KnowledgeObject* object) { return m_members.insert(object).second; }
    bool contains(KnowledgeObject* object) const { return m_members.count(object) != 0; }
    void clear() { m_members.clear(); }
    std::size_t size() const { return m_members.size(); }
    bool empty() const { return m_members.empty(); }
    const std::set<KnowledgeObject*>& members() const { return m_members; }

private:
    std::set<KnowledgeObject*> m_members;
};

}  // namespace quibo
