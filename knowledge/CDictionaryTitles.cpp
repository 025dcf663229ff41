// The index build of a knowledge base's topic titles: their centres.
#include "knowledge/CDictionary.h"

#include "knowledge/CategoryNames.h"
#include "knowledge/Entity.h"
#include "knowledge/Topic.h"
#include "knowledge/TopicTitle.h"

#include <unordered_set>

namespace quibo {

void CDictionary::collectTitleCentres()
{
    Entity* fallback = findByName(std::string(COMPLEMENTARY_DISCOURSE), false);
    CentreOrder order;
    std::unordered_set<const TopicTitle*> done;
    auto index = [&](const Topic* topic, const KnowledgeObject* object) {
        if (!topic)
            return;
        for (TopicTitle* title : topic->titles().titles()) {
            if (!title || !done.insert(title).second)
                continue;
            title->collectCentres(fallback, order);
            title->chooseMainCentre(object, order);
        }
    };
    for (const auto& [name, entity] : m_entities) {
        if (!entity)
            continue;
        for (const Topic* topic : entity->topics())
            index(topic, entity);
    }
    for (const auto& [name, topic] : m_topics)
        index(topic, nullptr);
}

const CDictionary::TitleVocabulary& CDictionary::titleVocabulary() const
{
    std::vector<const Topic*> topics;
    std::unordered_set<const Topic*> seen;
    auto add = [&](const Topic* topic) {
        if (topic && seen.insert(topic).second)
            topics.push_back(topic);
    };
    for (const auto& [name, topic] : m_topics)
        add(topic);
    for (const auto& [name, entity] : m_entities)
        if (entity)
            for (const Topic* topic : entity->topics())
                add(topic);
    std::size_t count = 0;
    for (const Topic* topic : topics)
        count += topic->titles().titles().size();
    if (count == m_titleVocabularyFrom)
        return m_titleVocabulary;
    std::vector<Morpheme> words;
    std::unordered_set<std::string> forms;
    std::string texts;
    for (const Topic* topic : topics) {
        for (const TopicTitle* title : topic->titles().titles()) {
            if (!title)
                continue;
            texts += title->sourceText() + "\n";
            for (const Morpheme& word : title->getWords().words())
                if (forms.insert(std::string(word.keyFormRef())).second)
                    words.push_back(word);
        }
    }
    for (auto term = m_termIndex.begin(); term != m_termIndex.end(); term = m_termIndex.upper_bound(term->first))
        texts += term->first + "\n";
    m_titleVocabulary = {MorphemeList(std::move(words)), std::move(texts)};
    m_titleVocabularyFrom = count;
    return m_titleVocabulary;
}

}  // namespace quibo
