#include "knowledge/EntitySet.h"

namespace quibo {

bool EntitySet::intersects(const EntitySet& other) const
{
    for (KnowledgeObject* member : other.m_members) {
        if (m_members.contains(member))
            return true;
    }
    return false;
}

int EntitySet::countCommon(const EntitySet& other) const
{
    int count = 0;
    for (KnowledgeObject* member : other.m_members) {
        if (m_members.contains(member))
            ++count;
    }
    return count;
}

}  // namespace quibo
