#include "knowledge/Entity.h"

#include "analysis/ConsoleLine.h"
#include "knowledge/Thesaurus.h"
#include "knowledge/Topic.h"

#include <algorithm>
#include <stdexcept>

namespace quibo {

Entity::Entity(ParsedText* title, std::int32_t flags)
    : KnowledgeObject(knowledge_type::ENTITY, title), m_flags(flags)
{
    makeReading();
}

void Entity::setThesaurus(Thesaurus* thesaurus)
{
    if (thesaurus && thesaurus->getTypeId() == knowledge_type::ENTITY_SYNONYMS) {
        m_thesauri.push_back(thesaurus);
        return;
    }
    writeConsoleErrorLine("Entity::setThesaurus: Illegal TarnML Type");
}

void Entity::addTopic(Topic* topic)
{
    std::vector<Topic*>& list = topics();
    if (std::find(list.begin(), list.end(), topic) == list.end())
        list.push_back(topic);
}

void Entity::addRelated(KnowledgeObject* object)
{
    if (object != this)
        m_sets[5].insert(object);
}

void Entity::dump(const std::string& prefix) const
{
    if (!prefix.empty())
        writeConsoleLine(prefix);
    writeConsoleLine("Entity title=" + getTitleText() + ",yomi=" + getReading());
    TopicRefList::dump("");
}

void TopicRefList::dump(const std::string& header) const
{
    if (!header.empty())
        writeConsoleLine(header);
    // A loaded list may hold the null pointers its file stated.
    for (const Topic* topic : m_topics)
        if (topic)
            topic->dump("");
}

std::string TopicRefList::toString(const std::string& header) const
{
    std::string text = "DEBUG:\t";
    if (!header.empty())
        text += header + "\n";
    for (const Topic* topic : m_topics)
        if (topic)
            text += topic->toString(header);
    return text;
}

EntitySet& Entity::entitySet(int n)
{
    if (n < 1 || n > SET_COUNT)
        throw std::out_of_range("Entity::entitySet: no such set");
    return m_sets[n - 1];
}

const EntitySet& Entity::entitySet(int n) const
{
    if (n < 1 || n > SET_COUNT)
        throw std::out_of_range("Entity::entitySet: no such set");
    return m_sets[n - 1];
}

}  // namespace quibo
