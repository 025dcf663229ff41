// A thing the visitor can talk about: its title, the synonym groups that name
// it, six sets relating it to other objects and the topics that speak about
// it.
#pragma once

#include "knowledge/EntitySet.h"
#include "knowledge/KnowledgeObject.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace quibo {

class AnalyzedSentence;
class MorphemeList;
class Thesaurus;
class Topic;
class TopicTitle;

// One title found by a search of an entity's titles, with its hit level:
// 0 best (words in order) to 7 (no match).
struct TopicTitleHit {
    TopicTitle* title;
    std::int32_t level;
};
using TopicTitleHits = std::vector<TopicTitleHit>;

// The topics that speak about an entity.  Topics are borrowed from the
// knowledge base's topic map.
class TopicRefList {
public:
    virtual ~TopicRefList() = default;
    // The header line when the header is not empty, then each topic's dump
    // with an empty header, on standard output.  Not virtual: Entity::dump
    // prints the entity before its topics, while topicRefs().dump prints
    // only the topics.
    void dump(const std::string& header) const;
    // "DEBUG:\t" [header "\n"], then each topic's string with the header.
    virtual std::string toString(const std::string& header) const;

    std::vector<Topic*>& topics() { return m_topics; }
    const std::vector<Topic*>& topics() const { return m_topics; }
    std::uint8_t getFlag() const { return m_flag; }
    void setFlag(std::uint8_t flag) { m_flag = flag; }

private:
    std::uint8_t m_flag = 0;
    std::vector<Topic*> m_topics;
};

class Entity : public KnowledgeObject, public TopicRefList {
    template <class T>
    friend struct CdrBody;

public:
    // Bits of the flag word.  Bits 1, 2, 4 and 8 choose the knowledge base's
    // entity sets the entity belongs to.
    static constexpr std::int32_t FLAG_SYNONYM_EXTENSION = 0x20;
    static constexpr std::int32_t FLAG_GLOBAL_DUMMY = 0x40;
    static constexpr int SET_COUNT = 6;

    // The reading is derived from the title words at once.
    Entity(ParsedText* title, std::int32_t flags);

    ParsedText* getTitle() const override { return KnowledgeObject::getTitle(); }
    // Links an entity synonym group; a group of another kind is refused with
    // a line on the error stream.
    virtual void setThesaurus(Thesaurus* thesaurus);
    // Appends the topic unless it is already there.
    virtual void addTopic(Topic* topic);
    virtual TopicRefList& topicRefs() { return *this; }
    virtual bool hasTopics() const { return !topics().empty(); }
    // Entity set 6; the entity itself is never its own relative.
    virtual void addRelated(KnowledgeObject* object);
    virtual void clearSet5() { m_sets[4].clear(); }
    virtual void clearSet4() { m_sets[3].clear(); }
    virtual std::vector<Thesaurus*>& thesauriRef() { return m_thesauri; }
    virtual EntitySet relatedEntities() const { return m_sets[5]; }
    // Whether some title of the entity's topics has the slot texts x, y and
    // z (its words joined) and offers the reply kind of the letter.
    virtual bool hasTopicTitle(const std::string& x, const std::string& y, const std::string& z, int letter) const;
    // The first title of the entity's topics whose slot texts ("＊" and
    // "ＮＵＬＬ" included) are x, y and z; null when none.
    virtual TopicTitle* findTopicTitle(const std::string& x, const std::string& y, const std::string& z) const;
    // The entity's topics become just the topic of the given title, whose
    // titles are then matched against the sentence's words, the sentence as
    // the exact text.  No sentence, no hits.  The global dummy entity
    // answers the dialogue layer's searches this way.
    virtual TopicTitleHits matchTopicTitlesOf(const AnalyzedSentence* sentence, TopicTitle* title, int mode);
    // The best-scoring titles of the entity's topics for the query words.
    // A title whose source text is the exact sentence's text (when one is
    // given) is the one hit, at level 0.  Otherwise the titles' content words
    // are aligned with the query in passes of growing looseness, and the
    // first pass that finds a hit ends the search: mode 0 runs only the
    // in-order pass, 1 to 3 also the network pass, 5 also the loose pass,
    // any other mode also the graded last one.
    virtual TopicTitleHits matchTopicTitles(const MorphemeList& query, const AnalyzedSentence* exact, int mode);

    // Prints the prefix line when it is not empty, then
    // "Entity title=<title>,yomi=<reading>", then the topics that speak
    // about it, on standard output.
    void dump(const std::string& prefix) const;

    bool hasFlag(std::int32_t mask) const { return (m_flags & mask) != 0; }
    std::int32_t getFlags() const { return m_flags; }
    void addFlags(std::int32_t bits) { m_flags |= bits; }
    // Entity set n, 1..6.  Throws std::out_of_range for any other n.
    EntitySet& entitySet(int n);
    const EntitySet& entitySet(int n) const;

private:
    std::int32_t m_flags;
    std::vector<Thesaurus*> m_thesauri;  // borrowed, entity synonym groups only
    std::array<EntitySet, SET_COUNT> m_sets;
};

template <>
struct CdrStoredBase<Entity> {
    using type = KnowledgeObject;
};

}  // namespace quibo
