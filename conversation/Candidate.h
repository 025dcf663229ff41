// A reply candidate: one analysed piece of the input paired with one topic of
// the knowledge base, the DCA values to try on the pair in priority order,
// the topic units that tie it to the input, and the verdicts the selection
// stages write into it.  The request of a conversation holds them in a
// CandidateList, with a one-entry cache of the last hit value looked up.
//
// Ownership: the analysed sentences are made for the turn and shared by the
// candidates that answer them (copies of a candidate share too); a sentence
// lives while some candidate holds it, so removing one candidate never frees
// a sentence another still answers.  Titles, the context and every other
// pointer are borrowed from the loaded knowledge base.
#pragma once

#include "analysis/MorphemeList.h"
#include "conversation/ReplyRecord.h"
#include "conversation/TopicRecord.h"
#include "conversation/TopicUnit.h"
#include "knowledge/EntitySet.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quibo {

class AnalyzedSentence;
class CandidateList;
class TopicTitle;

class Candidate {
public:
    Candidate() { reset(); }

    // Everything but the DCA values, the topic units, the reply record and
    // the two words returns to its starting value.
    void reset();

    // --- The sentence answered ----------------------------------------------
    AnalyzedSentence* getKnowledge() const { return m_knowledge.get(); }
    void setKnowledge(std::shared_ptr<AnalyzedSentence> sentence) { m_knowledge = std::move(sentence); }
    // Lets go of this candidate's hold: the sentence is deleted when no
    // other candidate holds it.
    void releaseKnowledge() { m_knowledge.reset(); }
    // A copy of the sentence's second word list; empty without a sentence.
    MorphemeList getWordList() const;

    // --- Plain members ----------------------------------------------------------
    std::int32_t getState() const { return m_state; }
    Morpheme& firstWord() { return m_firstWord; }
    Morpheme& secondWord() { return m_secondWord; }
    std::string& handlerText() { return m_handlerText; }
    EntitySet& entitySet() { return m_entitySet; }
    std::string& secondText() { return m_secondText; }
    std::string& fullText() { return m_fullText; }
    const std::string& fullText() const { return m_fullText; }
    std::string getText() const { return m_text; }
    void setText(const std::string& text) { m_text = text; }
    std::int32_t getNumber() const { return m_number; }
    void setNumber(std::int32_t number) { m_number = number; }
    std::int32_t getMatchCode() const { return m_matchCode; }
    void setMatchCode(std::int32_t code) { m_matchCode = code; }
    ReplyRecord& replyRecord() { return m_replyRecord; }
    std::vector<std::uint64_t>& dcaValues() { return m_dcaValues; }
    const std::vector<std::uint64_t>& dcaValues() const { return m_dcaValues; }
    std::vector<TopicUnit>& topicUnits() { return m_topicUnits; }
    const std::vector<TopicUnit>& topicUnits() const { return m_topicUnits; }
    TopicTitle* getContext() const { return m_context; }
    void setContext(TopicTitle* context) { m_context = context; }
    std::int32_t& flagWord() { return m_flagWord; }
    std::int32_t flagWord() const { return m_flagWord; }
    std::int32_t& ruleFeatureWord() { return m_ruleFeatureWord; }
    std::int32_t& hitLevel() { return m_hitLevel; }
    TopicRecord getTopicRecord() const { return m_topicRecord; }
    void setTopicRecord(TopicRecord record) { m_topicRecord = std::move(record); }
    void setHitValue(std::int32_t value) { m_topicRecord.hitValue = value; }
    TopicTitle* getRelated() const { return m_related; }
    void setRelated(TopicTitle* title) { m_related = title; }
    std::int32_t& grade() { return m_grade; }
    std::int32_t& topicLevel() { return m_topicLevel; }
    CandidateList* getHitValueCache() const { return m_owner; }
    void setHitValueCache(CandidateList* owner) { m_owner = owner; }

    // --- Tests ----------------------------------------------------------------------
    bool hasFocus() const { return m_topicRecord.focus || m_topicRecord.secondTitle; }
    // The sentence may hold a context; otherwise the title (null: the focus)
    // must carry the "＿Ｃ＿" mark.
    bool isActive(const TopicTitle* title = nullptr) const;
    bool hasFocusFeature(std::int32_t mask) const;
    bool hasSentenceFeature(std::int32_t mask) const;
    bool hasDcaValue(std::uint64_t mask) const;

    // --- Per unit: any index is safe; outside the vector the answer is the
    // fixed default (-1 names the candidate without a unit where stated) ---
    // -1: the focus title; null outside the vector.
    TopicTitle* getUnitTarget(int index) const;
    bool hasHitValueSix(int index) const;
    std::int32_t getCorrelation(int index) const;
    bool isKatsuyoukeiSame(int index) const;
    bool isYougenPairKatsuyoukeiSame(int index) const;
    std::int32_t getUnitStatus(int index) const;
    bool hasStrongCorrelation(int index) const;
    bool isUnitUncorrelated(int index) const;
    std::int32_t unitScore(int index) const;
    // -1: no hit (7).
    std::int32_t unitHitValue(int index) const;
    std::vector<WordPair> unitWordPairs(int index) const;

    // --- Main operations ----------------------------------------------------------
    // One kind-2 unit per hit whose title is neither empty nor already a
    // unit's (by name), each with a copy of the words; any hit at all stamps
    // the flag word with the DCA value and, when the rule tables know the
    // value, caches the first hit's value in the owning list.
    void addHits(TopicTitleHits hits, const std::uint64_t& dcaValue, const MorphemeList& words);
    // base + weight + value, held within the int range.
    static std::int32_t computeScore(std::int32_t base, std::int32_t weight, std::int32_t value);
    // The one reply-kind bit of the candidate's verdict (unit -1: none).
    std::uint64_t getReplyKind(int index) const;
    std::int32_t lookupHitValue(std::uint64_t dcaValue) const;
    // mode 1: the unit becomes its hit when it leads to the exit entity;
    // mode 2: the candidate drops to hit level 3 instead.
    void applyExit(int index, int mode, const Entity* exitEntity);
    void dropToLevel3()
    {
        m_flagWord = 0;
        m_hitLevel = 3;
    }
    // The sentence's words and the target's (-1: the focus) words are the
    // same words, and neither side is a variant reading.
    bool isFullTitleMatch(int index) const;
    // The sentence's content words and the target's are the same words;
    // strict compares key forms, otherwise relations count too.
    bool isFullWordMatch(int index, bool strict) const;

private:
    const TopicUnit* unitAt(int index) const;
    bool hasUnitWithTitle(const TopicTitle& title) const;

    std::int32_t m_state = 0;
    std::shared_ptr<AnalyzedSentence> m_knowledge;
    CandidateList* m_owner = nullptr;
    Morpheme m_firstWord;
    Morpheme m_secondWord;
    std::string m_handlerText;
    EntitySet m_entitySet;
    std::string m_secondText;
    std::string m_fullText;
    std::string m_text;
    std::int32_t m_number = 0;
    std::int32_t m_matchCode = 0;
    ReplyRecord m_replyRecord;
    std::vector<std::uint64_t> m_dcaValues;
    std::vector<TopicUnit> m_topicUnits;
    TopicTitle* m_context = nullptr;
    std::int32_t m_flagWord = 0;
    std::int32_t m_ruleFeatureWord = 0;
    std::int32_t m_hitLevel = 0;
    TopicRecord m_topicRecord;
    TopicTitle* m_related = nullptr;
    std::int32_t m_grade = 0;
    std::int32_t m_topicLevel = 4;
};

class CandidateList {
public:
    std::vector<Candidate>& candidates() { return m_candidates; }
    const std::vector<Candidate>& candidates() const { return m_candidates; }
    std::size_t size() const { return m_candidates.size(); }
    bool empty() const { return m_candidates.empty(); }
    Candidate& operator[](std::size_t index) { return m_candidates[index]; }
    const Candidate& operator[](std::size_t index) const { return m_candidates[index]; }

    // The hit value last looked up for a DCA value; key 0 is empty.
    std::uint64_t cacheKey() const { return m_cacheKey; }
    std::int32_t cacheValue() const { return m_cacheValue; }
    void setCache(std::uint64_t key, std::int32_t value)
    {
        m_cacheKey = key;
        m_cacheValue = value;
    }

    // Each distinct sentence loses its first holder's hold, once: the
    // sentences go with the candidates when the list is emptied.
    void releaseKnowledgeObjects();
    bool anyHasDcaValue(std::uint64_t mask) const;

private:
    std::vector<Candidate> m_candidates;
    std::uint64_t m_cacheKey = 0;
    std::int32_t m_cacheValue = TopicUnit::NO_HIT;
};

// One (candidate, topic unit) pair of the selection: indexes into the
// request's candidates and into that candidate's units (-1: the candidate
// without a unit), and the 1-based number of the candidate entry written for
// it to the session log (0: none).  (-1, -1, 0) means nothing was chosen.
struct SelectionEntry {
    std::int32_t candidate = -1;
    std::int32_t unit = -1;
    std::int32_t logEntry = 0;

    bool operator==(const SelectionEntry&) const = default;
};

// Words of a that each take matching words of b (b is a working copy): the
// same surface; mode 1 also the same key form; mode 2 also related words.
int countMatchingWords(const MorphemeList& a, MorphemeList b, int mode);
// The words without any of flags I, U and N (keepPlain), or with one of them.
MorphemeList filterWordsByFlags(const MorphemeList& list, bool keepPlain);
inline MorphemeList wordsWithSpecialFlags(const MorphemeList& list)
{
    return filterWordsByFlags(list, false);
}

}  // namespace quibo
