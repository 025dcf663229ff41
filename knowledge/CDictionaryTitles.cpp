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

}  // namespace quibo
