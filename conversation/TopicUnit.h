// One way in which a reply candidate is tied to the input: a topic title of
// the knowledge base, and what comparing that title's words with the input
// words found out - how strongly they correlate, whether their conjugation
// forms agree, and the one-letter match code under which the title answers.
//
// The titles are borrowed from the loaded knowledge base.
#pragma once

#include "analysis/MorphemeList.h"
#include "knowledge/Entity.h"

#include <climits>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace quibo {

class AnalyzedSentence;
class TopicTitle;

// Match codes: the letters of the sentence forms a title answers in, held as
// ints; the same numbers are the forms the knowledge base files replies under.
namespace match_code {
inline constexpr std::int32_t DIRECT = 'd';    // 100
inline constexpr std::int32_t INDEXED = 'i';   // 105
inline constexpr std::int32_t NEXT = 'n';      // 110
inline constexpr std::int32_t NONE = 'z';      // 122: not coded, or no unit
}  // namespace match_code

// An input word and the topic word found related to it, with the relation
// code of their conjugation-form attributes (1 same ... 5 unrelated).
struct WordPair {
    std::string inputWord;
    std::string topicWord;
    std::int32_t code = 0;
};

class TopicUnit {
public:
    // Kinds: which target is live.
    static constexpr std::int32_t KIND_NONE = 0;
    static constexpr std::int32_t KIND_ONE = 1;  // the kind-1 target
    static constexpr std::int32_t KIND_HIT = 2;  // the hit target
    static constexpr std::int32_t KIND_THREE = 3;  // the kind-3 target
    static constexpr std::int32_t NO_HIT = 7;
    static constexpr std::int32_t NOT_JUDGED = 4;
    // Option bits with which a handler asks for the rule-feature bits to be
    // kept in the match word.
    static constexpr std::int32_t OPTION_KEEP_RULE_FEATURES = 0x300;

    std::int32_t& kind() { return m_kind; }
    std::int32_t kind() const { return m_kind; }
    TopicTitleHit getHit() const { return {m_hitTarget, m_hitValue}; }
    void setHit(TopicTitle* title, std::int32_t value)
    {
        m_hitTarget = title;
        m_hitValue = value;
    }
    TopicTitle* getKind1Target() const { return m_kind1Target; }
    void setKind1Target(TopicTitle* title) { m_kind1Target = title; }
    TopicTitle* getKind3Target() const { return m_kind3Target; }
    void setKind3Target(TopicTitle* title) { m_kind3Target = title; }
    // The target of the unit's kind; null for any other kind.
    TopicTitle* getTarget() const;
    std::int32_t& optionWord() { return m_optionWord; }
    std::int32_t& matchCode() { return m_matchCode; }
    std::int32_t matchCode() const { return m_matchCode; }
    std::int32_t getStatus() const { return m_status; }
    void setStatus(std::int32_t status) { m_status = status; }
    // The hit value of a kind-2 unit; NO_HIT for any other kind.
    std::int32_t getHitValue() const { return m_kind == KIND_HIT ? m_hitValue : NO_HIT; }
    std::int32_t& score() { return m_score; }
    std::int32_t score() const { return m_score; }
    void setWordList(const MorphemeList& words) { m_words = words; }
    MorphemeList getWordList() const { return m_words; }
    std::vector<WordPair> getWordPairs() const { return m_wordPairs; }

    // Compares the input words with the live target's title words, once:
    // a later call does nothing unless forced.  A unit without a live target
    // stays unevaluated.
    void evaluate(const MorphemeList& input, bool force);
    // The same against the given title's words (none for null); the unit's
    // targets are not touched.
    void evaluateWith(const MorphemeList& input, const TopicTitle* title, bool force);
    bool isEvaluated() const { return m_evaluated; }
    bool hasTopicWords() const { return m_hasTopicWords; }

    // 0 unrelated, 1 related, 2 strongly related.  Asked before any
    // evaluation, each of these three says so on standard error and answers
    // the unevaluated value.
    std::int32_t getCorrelation() const;
    // Every input predicate has a related topic predicate of the same
    // conjugation-form attributes, and none is left over.
    bool isKatsuyoukeiSame() const;
    // Some related predicate pair was found, and every such pair agrees in
    // its attributes.
    bool isYougenPairKatsuyoukeiSame() const;

    // Sets the match code from the sentence the candidate answers and the
    // candidate's rule feature word.
    void computeMatchCode(const AnalyzedSentence* sentence, std::int32_t ruleFeatures);

    // A kind-3 unit whose target is made from the entity (its first link).
    bool isExitTo(const Entity* entity) const;
    // Turns the unit into its hit when the hit title answers in 'd'; whether
    // it did.
    bool switchToHit();

private:
    void compare(const MorphemeList& input, const MorphemeList& topic);
    bool formRelation(const Morpheme& inputWord, const MorphemeList& topicWords);

    std::int32_t m_kind = KIND_NONE;
    TopicTitle* m_hitTarget = nullptr;
    std::int32_t m_hitValue = NO_HIT;
    TopicTitle* m_kind1Target = nullptr;
    TopicTitle* m_kind3Target = nullptr;
    std::int32_t m_optionWord = 0;
    std::int32_t m_matchCode = match_code::NONE;
    std::int32_t m_status = NOT_JUDGED;
    std::int32_t m_correlation = 0;
    bool m_isKatsuyoukeiSame = false;
    bool m_isYougenPairKatsuyoukeiSame = false;
    bool m_hasTopicWords = false;
    std::int32_t m_score = INT_MAX;
    bool m_evaluated = false;
    MorphemeList m_words;
    std::vector<WordPair> m_wordPairs;
};

// The relation code of two conjugation-form attribute sets: 1 when both are
// empty, 4 when one is, else the smallest code the form-relation table gives
// for a pair of their attributes (5 when none is smaller).
std::int32_t formRelationCode(const std::set<int>& input, const std::set<int>& topic);

}  // namespace quibo
