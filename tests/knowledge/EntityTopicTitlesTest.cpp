#include "knowledge/Entity.h"

#include "knowledge/AnalyzedSentence.h"
#include "knowledge/CDictionary.h"
#include "knowledge/ReplyKind.h"
#include "knowledge/Topic.h"
#include "knowledge/TopicTitle.h"
#include "tests/support/InMemorySemanticNetwork.h"
#include "tests/support/Words.h"

#include <gtest/gtest.h>

namespace quibo {
namespace {

using test::makeList;
using test::makeWord;

constexpr std::uint32_t X = Morpheme::FLAG_X;
constexpr std::uint32_t Y = Morpheme::FLAG_Y;
constexpr std::uint32_t I = Morpheme::FLAG_I;

Morpheme noun(const std::string& text, std::uint32_t flags) { return makeWord(text, pos::COMMON_NOUN, flags); }

class EntityTopicTitlesTest : public testing::Test {
protected:
    EntityTopicTitlesTest()
    {
        MorphemeList name = makeList({noun("店", 0)});
        m_entity = m_dictionary.addEntity("店", std::make_unique<Entity>(m_dictionary.putParsedText("店", name, "店"), 1));
    }
    // A topic of the entity.
    Topic& topic()
    {
        m_topics.push_back(std::make_unique<Topic>());
        m_entity->addTopic(m_topics.back().get());
        return *m_topics.back();
    }
    static TopicTitle* title(Topic& topic, const std::string& source, const MorphemeList& words)
    {
        return topic.addXaaTitle(nullptr, source, words);
    }
    // The hits as "source:level" items.
    static std::string hits(const TopicTitleHits& found)
    {
        std::string text;
        for (const TopicTitleHit& hit : found)
            text += (text.empty() ? "" : " ") + hit.title->sourceText() + ":" + std::to_string(hit.level);
        return text;
    }

    CDictionary m_dictionary;
    Entity* m_entity = nullptr;
    std::vector<std::unique_ptr<Topic>> m_topics;
};

TEST_F(EntityTopicTitlesTest, EachModeStopsAfterItsLastPass)
{
    Topic& t = topic();
    // In order: the first pass.
    title(t, "inorder", makeList({noun("甲", X), noun("乙", X)}));
    // Left over: a Y word of the title; the loose pass grades it 232.
    title(t, "loose", makeList({noun("丙", X), noun("丁", X), noun("戊", Y)}));
    // An extra word of the query: only the graded last pass accepts it (311).
    title(t, "graded", makeList({noun("己", X), noun("庚", X | I)}));

    struct Case {
        MorphemeList query;
        int mode;
        std::string expected;
    };
    const Case cases[] = {
        {makeList({noun("甲", X), noun("乙", X)}), 0, "inorder:0"},
        {makeList({noun("乙", X), noun("甲", X)}), 0, "inorder:0"},  // 112, still level 0
        {makeList({noun("丙", X), noun("丁", X)}), 0, ""},
        {makeList({noun("丙", X), noun("丁", X)}), 3, ""},
        {makeList({noun("丙", X), noun("丁", X)}), 5, "loose:5"},
        {makeList({noun("丙", X), noun("丁", X)}), 4, "loose:5"},
        {makeList({noun("己", X), noun("辛", X)}), 5, ""},
        {makeList({noun("己", X), noun("辛", X)}), 4, "graded:6"},
        {makeList({noun("己", X), noun("辛", X)}), 6, "graded:6"},
        {makeList({noun("壬", X)}), 4, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(hits(m_entity->matchTopicTitles(c.query, nullptr, c.mode)), c.expected)
            << "mode " << c.mode << " query " << test::keyForms(c.query);
}

TEST_F(EntityTopicTitlesTest, TheNetworkPassGradesNearerPairsLower)
{
    test::ScopedSemanticNetwork network;
    network->relate("乙", "甲", 1, 1);   // one level away: 122
    network->relate("丁", "丙", 1, -1);  // a near pair: 132
    Topic& t = topic();
    title(t, "one", makeList({noun("甲", X)}));
    title(t, "near", makeList({noun("丙", X)}));
    struct Case {
        const char* query;
        int mode;
        std::string expected;
    };
    for (const Case& c : {Case{"乙", 0, ""}, Case{"乙", 1, "one:1"}, Case{"丁", 0, ""}, Case{"丁", 3, "near:2"}})
        EXPECT_EQ(hits(m_entity->matchTopicTitles(makeList({noun(c.query, X)}), nullptr, c.mode)), c.expected)
            << c.query << " mode " << c.mode;
}

TEST_F(EntityTopicTitlesTest, TiesAreKeptBelowCode200AndDecidedByEqualBaseFormsAbove)
{
    Topic& first = topic();
    title(first, "one", makeList({noun("甲", X)}));
    Topic& second = topic();
    title(second, "two", makeList({noun("甲", X)}));
    EXPECT_EQ(hits(m_entity->matchTopicTitles(makeList({noun("甲", X)}), nullptr, 0)), "one:0 two:0");

    // Code 232 for both; the title whose words share more base forms wins,
    // whatever the visiting order.
    Morpheme otherBase = noun("丁", X);
    otherBase.setBaseForm("てい");
    title(first, "fewer", makeList({noun("丙", X), otherBase, noun("戊", Y)}));
    title(second, "more", makeList({noun("丙", X), noun("丁", X), noun("戊", Y)}));
    EXPECT_EQ(hits(m_entity->matchTopicTitles(makeList({noun("丙", X), noun("丁", X)}), nullptr, 4)), "more:5");

    // More required pairs beat a better code.
    title(first, "pairs", makeList({noun("丙", X), noun("丁", X), noun("己", X), noun("戊", Y)}));
    EXPECT_EQ(hits(m_entity->matchTopicTitles(makeList({noun("丙", X), noun("丁", X), noun("己", X)}), nullptr, 4)),
              "pairs:5");
}

TEST_F(EntityTopicTitlesTest, TheExactTextEndsTheSearchAtOnce)
{
    Topic& t = topic();
    title(t, "甲です", makeList({noun("甲", X)}));
    title(t, "乙です", makeList({noun("乙", X)}));
    title(t, "甲も", makeList({noun("甲", X)}));
    const AnalyzedSentence exact("乙です", makeList({noun("乙", X)}));
    EXPECT_EQ(hits(m_entity->matchTopicTitles(makeList({noun("甲", X)}), &exact, 0)), "乙です:0");
    const AnalyzedSentence none("丙", makeList({noun("丙", X)}));
    EXPECT_EQ(hits(m_entity->matchTopicTitles(makeList({noun("甲", X)}), &none, 0)), "甲です:0 甲も:0");
}

TEST_F(EntityTopicTitlesTest, MatchingOfASentenceSearchesOnlyTheGivenTitlesTopic)
{
    Topic& one = topic();
    title(one, "one", makeList({noun("甲", X)}));
    Topic& two = topic();
    TopicTitle* target = title(two, "two", makeList({noun("甲", X)}));
    const AnalyzedSentence sentence("甲", makeList({noun("甲", X)}));
    EXPECT_EQ(hits(m_entity->matchTopicTitlesOf(&sentence, target, 0)), "two:0");
    ASSERT_EQ(m_entity->topics().size(), 1u);
    EXPECT_EQ(m_entity->topics().front(), &two);
    // The sentence's text is the exact text.
    const AnalyzedSentence named("two", makeList({noun("乙", X)}));
    EXPECT_EQ(hits(m_entity->matchTopicTitlesOf(&named, target, 0)), "two:0");

    EXPECT_TRUE(m_entity->matchTopicTitlesOf(nullptr, target, 4).empty());
    EXPECT_TRUE(m_entity->topics().empty());
}

TEST_F(EntityTopicTitlesTest, TitlesAreFoundByTheirSlotTexts)
{
    Topic& plain = topic();
    Topic& answered = topic();
    answered.setReplyKinds(replyKindFlag('d'));
    TopicTitle* first = plain.addXaaTitle(nullptr, "店", makeList({noun("店", X)}));
    TopicTitle* second = answered.addXaaTitle(nullptr, "店", makeList({noun("店", X)}));
    TopicTitle* soa = answered.addSoaTitle(nullptr, makeList({noun("店", X)}), makeList({noun("駅", X)}), MorphemeList());

    EXPECT_EQ(m_entity->findTopicTitle("店", "＊", "＊"), first);
    EXPECT_EQ(m_entity->findTopicTitle("店", "駅", ""), soa);
    EXPECT_EQ(m_entity->findTopicTitle("店", "", ""), nullptr);
    // The look-up with a reply kind compares the slots' own words.
    EXPECT_TRUE(m_entity->hasTopicTitle("店", "", "", 'd'));
    EXPECT_FALSE(m_entity->hasTopicTitle("店", "", "", 'i'));
    EXPECT_FALSE(m_entity->hasTopicTitle("店", "＊", "＊", 'd'));
    answered.removeTitle(second);
    EXPECT_FALSE(m_entity->hasTopicTitle("店", "", "", 'd'));
}

}  // namespace
}  // namespace quibo
