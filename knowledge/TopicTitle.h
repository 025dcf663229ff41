// One title (word pattern) of a topic.  This holds what reply kinds and
// reply tables need of a title: its owning topic and its centres (the
// knowledge objects it is about).  The word slots, the judgement bytes and
// the grading join them when topic titles are built.
#pragma once

#include "knowledge/ReplyEntryGroup.h"

#include <set>
#include <string>
#include <vector>

namespace quibo {

class KnowledgeObject;
class Topic;

class TopicTitle {
public:
    // The owner and the object are borrowed; either may be null.  A given
    // object becomes the first centre.
    TopicTitle(Topic* owner, KnowledgeObject* object);
    TopicTitle(const TopicTitle&) = delete;
    TopicTitle& operator=(const TopicTitle&) = delete;
    virtual ~TopicTitle() = default;

    virtual Topic* getOwner() const { return m_owner; }
    virtual std::vector<KnowledgeObject*> getCentres() const { return m_centres; }
    virtual const std::set<std::string>& centreIndex() const { return m_centreIndex; }

    // Whether the owning topic offers the reply kind of the letter; false
    // without an owner and for a letter that is no reply kind.
    virtual bool hasReplyKind(int letter) const;
    // A copy of the owning topic's group under the letter.  When the topic
    // lacks the letter and fallback is 1, the letter becomes 'd'.  An empty
    // group when the topic lacks the letter or its table has no such group.
    virtual ReplyEntryGroup getReplyGroup(int letter, int fallback) const;
    // True when both owners point to the same reply table; false for null.
    virtual bool sameReplyTable(const TopicTitle* other) const;

private:
    Topic* m_owner;                           // borrowed
    std::vector<KnowledgeObject*> m_centres;  // borrowed, insertion order
    std::set<std::string> m_centreIndex;      // title texts of the centres
};

}  // namespace quibo
