#include "knowledge/TopicTitle.h"

#include "knowledge/KnowledgeObject.h"
#include "knowledge/ReplyKind.h"
#include "knowledge/ReplyTable.h"
#include "knowledge/Topic.h"

namespace quibo {

TopicTitle::TopicTitle(Topic* owner, KnowledgeObject* object) : m_owner(owner)
{
    if (object) {
        m_centres.push_back(object);
        m_centreIndex.insert(object->getTitleText());
    }
}

bool TopicTitle::hasReplyKind(int letter) const
{
    if (!m_owner)
        return false;
    return (m_owner->getReplyKinds() & replyKindFlag(letter)) != 0;
}

ReplyEntryGroup TopicTitle::getReplyGroup(int letter, int fallback) const
{
    if (!hasReplyKind(letter) && fallback == 1)
        letter = 'd';
    if (hasReplyKind(letter)) {
        if (const ReplyTable* table = m_owner->getReplyTable()) {
            if (const ReplyEntryGroup* group = table->findGroup(letter))
                return *group;
        }
    }
    return ReplyEntryGroup();
}

bool TopicTitle::sameReplyTable(const TopicTitle* other) const
{
    if (!other || !m_owner || !other->m_owner)
        return false;
    return m_owner->getReplyTable() == other->m_owner->getReplyTable();
}

}  // namespace quibo
