#include "conversation/TopicUnit.h"

#include "knowledge/AnalyzedSentence.h"
#include "knowledge/KnowledgeFile.h"
#include "knowledge/Topic.h"
#include "knowledge/TopicTitle.h"
#include "tests/support/InstalledAnalyzer.h"
#include "tests/support/KnowledgeSamples.h"
#include "tests/support/Words.h"

#include <gtest/gtest.h>

namespace quibo {
namespace {

using test::makeList;
using test::makeWord;

// A verb carrying the conjugation-form attributes given by number.
Morpheme verb(const std::string& text, std::initializer_list<int> attributes = {})
{
    Morpheme word = makeWord(text, pos::VERB);
    std::uint32_t bits = 0;
    for (int attribute : attributes)
        bits |= std::uint32_t{1} << (7 + attribute);
    word.setAttributeWord(bits);
    return word;
}

struct CompareCase {
    const char* name;
    MorphemeList input;
    MorphemeList topic;
    std::int32_t correlation;
    bool sameForms;
    bool samePairForms;
};

TEST(TopicUnitTest, ComparisonFollowsTheFormRelationTable)
{
    const Morpheme noun = makeWord("パン", pos::COMMON_NOUN);
    const CompareCase cases[] = {
        {"nothing on either side", {}, {}, 2, true, false},
        {"no related topic word", makeList({verb("食べる", {1})}), makeList({verb("行く", {1})}), 1, false, false},
        // Only verbs, adjectives and sahen nouns are compared: the noun is not.
        {"a noun is no predicate", makeList({noun}), makeList({noun}), 2, true, false},
        // Attributes on one side only: code 4.
        {"attributes against none", makeList({verb("食べる", {1})}), makeList({verb("食べる")}), 1, false, false},
        // Row 4, column 3 is 5: the last input word ends it as unrelated,
        // although the first alone would have given 2.
        {"code 5 on the last word decides",
         makeList({verb("食べる", {1}), verb("行く", {3})}), makeList({verb("食べる", {1}), verb("行く", {4})}), 0,
         false, false},
        // Codes 1 (the diagonal) and 3 (row 7, column 1): the strongest wins.
        {"codes 1 and 3", makeList({verb("食べる", {1}), verb("行く", {1})}),
         makeList({verb("食べる", {1}), verb("行く", {7})}), 2, false, false},
        {"a topic word left over", makeList({verb("食べる", {1})}), makeList({verb("食べる", {1}), verb("行く", {1})}),
         2, false, true},
        {"every word paired alike", makeList({verb("行く", {2}), verb("食べる", {1})}),
         makeList({verb("食べる", {1}), verb("行く", {2})}), 2, true, true},
    };
    for (const CompareCase& c : cases) {
        SCOPED_TRACE(c.name);
        TopicTitle title(nullptr, nullptr);
        title.setWords(c.topic);
        TopicUnit unit;
        unit.evaluateWith(c.input, &title, false);
        EXPECT_EQ(unit.getCorrelation(), c.correlation);
        EXPECT_EQ(unit.isKatsuyoukeiSame(), c.sameForms);
        EXPECT_EQ(unit.isYougenPairKatsuyoukeiSame(), c.samePairForms);
    }
}

TEST(TopicUnitTest, WordPairsHoldTheLastRelatedPairOnly)
{
    TopicTitle title(nullptr, nullptr);
    title.setWords(makeList({verb("食べる"), verb("行く")}));
    TopicUnit unit;
    unit.kind() = TopicUnit::KIND_HIT;
    unit.setHit(&title, 3);
    unit.evaluate(makeList({verb("行く", {1}), verb("食べる")}), false);
    // The walk goes from the last input word to the first: 行く is compared
    // last, and its attributes face none on the topic side.
    const std::vector<WordPair> pairs = unit.getWordPairs();
    ASSERT_EQ(pairs.size(), 1u);
    EXPECT_EQ(pairs[0].inputWord, "行く");
    EXPECT_EQ(pairs[0].code, 4);

    // Cached: an unforced second evaluation changes nothing.
    unit.evaluate(makeList({verb("走る")}), false);
    EXPECT_EQ(unit.getWordPairs().size(), 1u);
    unit.evaluate(makeList({verb("走る")}), true);
    EXPECT_TRUE(unit.getWordPairs().empty());
}

TEST(TopicUnitTest, UnevaluatedQueriesSaySoAndAnswerTheDefaults)
{
    TopicUnit unit;
    unit.kind() = TopicUnit::KIND_ONE;  // no kind-1 target: evaluate leaves it alone
    unit.evaluate(makeList({verb("行く")}), true);
    testing::internal::CaptureStderr();
    EXPECT_EQ(unit.getCorrelation(), 0);
    EXPECT_FALSE(unit.isKatsuyoukeiSame());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Error! Call TopicUnit::evaluate() before calling TopicUnit::getCorrelation()\n"
              "Error! Call TopicUnit::evaluate() before calling TopicUnit::isKatsuyoukeiSame()\n");
}

TEST(TopicUnitTest, KindDecidesHitValueAndCoding)
{
    TopicTitle hit(nullptr, nullptr);
    TopicTitle third(nullptr, nullptr);
    TopicUnit unit;
    unit.setHit(&hit, 2);
    unit.setKind3Target(&third);
    unit.kind() = TopicUnit::KIND_ONE;
    EXPECT_EQ(unit.getHitValue(), TopicUnit::NO_HIT);

    // A kind-3 unit is coded from its kind-1 target, which it lacks.
    AnalyzedSentence sentence("行く", makeList({verb("行く")}));
    unit.kind() = TopicUnit::KIND_THREE;
    unit.matchCode() = match_code::DIRECT;
    unit.computeMatchCode(&sentence, 0);
    EXPECT_EQ(unit.matchCode(), match_code::NONE);
}

// The turn's input words (the knowledge base's reading of the utterance)
// against titles of the sample base.  Both sides are judged, so their words
// carry conjugation-form attributes (教える and 行く attribute 1 on both
// sides here, 開く and 予約 attribute 8); a related pair with the same
// attributes has relation code 1 (the form-relation table's diagonal).
class SampleTopicUnitTest : public test::InstalledAnalyzerTest {
protected:
    TopicTitle* titleOf(const std::string& source) const
    {
        for (const auto& [name, topic] : dictionary.topics())
            for (TopicTitle* title : topic->titles().titles())
                if (title->sourceText() == source)
                    return title;
        return nullptr;
    }

    CDictionary dictionary;
};

TEST_F(SampleTopicUnitTest, UtterancesAgainstSampleTitles)
{
    ASSERT_EQ(loadKnowledgeFile(dictionary, test::sampleKnowledgePath()), 0);
    const struct {
        const char* utterance;
        const char* title;
        std::int32_t correlation;
        bool sameForms;
        bool samePairForms;
    } cases[] = {
        // 教える pairs with 教える, same attribute (code 1: correlation 2, a
        // pair); the term 営業時間 has no related title word (not the same).
        {"営業時間を教えてください", "営業時間を教えて", 2, false, true},
        // Colloquial 開いてます gives the title's one predicate 開く, same attribute.
        {"お店は何時まで開いてますか", "何時まで開いていますか", 2, true, true},
        // 予約 and 教える are unrelated: no code (1), no partner, no pair.
        {"パンを予約したいです", "営業時間を教えて", 1, false, false},
        // No selected word on either side: 2, nothing left over, no pair.
        {"定休日はいつですか", "定休日はいつですか", 2, true, false},
        // 行く and 教える pair off one to one, each with the same attribute.
        {"駅からの行き方を教えて", "駅からの行き方を教えて", 2, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.utterance);
        TopicTitle* title = titleOf(c.title);
        ASSERT_TRUE(title);
        const AnalyzedSentenceList sentences = dictionary.analyseText(c.utterance, {-1}, 0);
        ASSERT_EQ(sentences.size(), 1u);
        TopicUnit unit;
        unit.kind() = TopicUnit::KIND_HIT;
        unit.setHit(title, 3);
        unit.evaluate(sentences[0]->wordList(false), false);
        EXPECT_EQ(unit.getCorrelation(), c.correlation);
        EXPECT_EQ(unit.isKatsuyoukeiSame(), c.sameForms);
        EXPECT_EQ(unit.isYougenPairKatsuyoukeiSame(), c.samePairForms);
    }
}

// The rule-feature word against a sample title that answers in 'd', 'i' and
// 'n' (営業時間を教えて).  The sentence's one word, パン, is related to no
// title word and the rule bits keep it from counting as wordless, so the
// match word's bit 0x1 is clear and only rule bits 0x1 and 0x2 choose.
TEST_F(SampleTopicUnitTest, RuleFeaturesChooseTheLetterOfASampleTitle)
{
    ASSERT_EQ(loadKnowledgeFile(dictionary, test::sampleKnowledgePath()), 0);
    TopicTitle* title = titleOf("営業時間を教えて");
    ASSERT_TRUE(title);
    const AnalyzedSentence sentence("パン", makeList({makeWord("パン", pos::COMMON_NOUN)}));
    const struct {
        std::int32_t ruleFeatures;
        std::int32_t status;
        std::int32_t code;
    } cases[] = {
        // Rule bit 0x1 makes the first stage's 0x1, which with 'i' gives 'i'.
        {0x1, TopicUnit::NOT_JUDGED, match_code::INDEXED},
        // Rule bit 0x2 makes its 0x2, which with 'n' gives 'n' (picked first).
        {0x2, TopicUnit::NOT_JUDGED, match_code::NEXT},
        // Status 0 masks the rule bits away: no first-stage bit, and 'd'.
        {0x2, 0, match_code::DIRECT},
        {0x1, 0, match_code::DIRECT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.ruleFeatures << " status " << c.status);
        TopicUnit unit;
        unit.kind() = TopicUnit::KIND_HIT;
        unit.setHit(title, 3);
        unit.setStatus(c.status);
        unit.computeMatchCode(&sentence, c.ruleFeatures);
        EXPECT_EQ(unit.matchCode(), c.code);
    }
    // A sentence whose words the title holds (教える) is covered by it: the
    // match word's bit 0x1 answers 'd' whatever the rule bits.
    const AnalyzedSentence covered("教える", makeList({makeWord("教える", pos::VERB)}));
    for (const std::int32_t ruleFeatures : {0x1, 0x2}) {
        TopicUnit unit;
        unit.kind() = TopicUnit::KIND_HIT;
        unit.setHit(title, 3);
        unit.computeMatchCode(&covered, ruleFeatures);
        EXPECT_EQ(unit.matchCode(), match_code::DIRECT) << ruleFeatures;
    }
}

}  // namespace
}  // namespace quibo
