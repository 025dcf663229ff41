// The utterance title of a visitor's question, built from the real
// analyser's words and judgement, graded against every title of the sample
// knowledge base of the install tree.
#include "analysis/LanguageAnalyzer.h"
#include "knowledge/CDictionary.h"
#include "knowledge/Entity.h"
#include "knowledge/KnowledgeFile.h"
#include "knowledge/Topic.h"
#include "knowledge/TopicTitle.h"
#include "meaning/MeanEntry.h"
#include "tests/support/InstallTree.h"
#include "tests/support/KnowledgeSamples.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <bit>

namespace quibo {
namespace {

class SampleUtteranceGradingTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_tree = new test::BuildInstallTree;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        s_started = LanguageAnalyzer::instance()->init(test::rcPathIn(test::BuildInstallTree::root()), true);
        s_dictionary = new CDictionary;
        s_loaded = loadKnowledgeFile(*s_dictionary, test::sampleKnowledgePath());
        testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
    }
    static void TearDownTestSuite()
    {
        delete s_dictionary;
        s_dictionary = nullptr;
        LanguageAnalyzer::deleteInstance();
        delete s_tree;
        s_tree = nullptr;
    }
    void SetUp() override
    {
        ASSERT_EQ(s_started, 0);
        ASSERT_EQ(s_loaded, 0);
    }

    static test::BuildInstallTree* s_tree;
    static CDictionary* s_dictionary;
    static int s_started;
    static int s_loaded;
};

test::BuildInstallTree* SampleUtteranceGradingTest::s_tree = nullptr;
CDictionary* SampleUtteranceGradingTest::s_dictionary = nullptr;
int SampleUtteranceGradingTest::s_started = -1;
int SampleUtteranceGradingTest::s_loaded = -1;

// How much a grade says for its title: the match and agreement bits count
// for it, the disagreement bits against it.
int gradeScore(std::uint64_t grade)
{
    const auto low = static_cast<std::uint32_t>(grade);
    const auto high = static_cast<std::uint32_t>(grade >> 32);
    return std::popcount(low & (0x1u | 0x4u | 0x80u | 0x100u | 0x400000u | 0x2000000u | 0x4000000u)) -
           std::popcount(low & 0x80000000u) - std::popcount(high & (0x4u | 0x8u));
}

TEST_F(SampleUtteranceGradingTest, AVisitorsQuestionFindsAndGradesTheTopicAPersonWouldPick)
{
    struct Case {
        const char* question;
        const char* topic;
        const char* title;
    };
    const Case cases[] = {
        {"営業時間を教えて", "営業時間", "営業時間を教えて"},
        {"駐車場はありますか", "駐車場", "駐車場はありますか"},
        {"お休みはいつですか", "定休日", "定休日はいつですか"},
    };
    // The search of the dialogue layer's global entity: every topic.
    Entity everything(nullptr, Entity::FLAG_GLOBAL_DUMMY);
    for (const auto& [name, topic] : s_dictionary->topics())
        everything.addTopic(topic);

    for (const Case& c : cases) {
        std::string surfaces;
        MeanEntry judgement;
        std::vector<TermSpan> spans;
        const MorphemeList words =
            s_dictionary->mergeTerms(LanguageAnalyzer::instance()->analyze(c.question, surfaces, &judgement), spans);
        Topic work;
        std::string message;
        TopicTitle* utterance = work.buildUtteranceTitle(c.question, message, words, *s_dictionary, &judgement);
        ASSERT_NE(utterance, nullptr) << c.question;
        EXPECT_EQ(message, "") << c.question;
        EXPECT_TRUE(utterance->isSearchAble()) << c.question;

        const TopicTitleHits hits = everything.matchTopicTitles(utterance->slotWords(0), nullptr, 4);
        // The search may find more titles of the same words ("駐車場ある？"
        // beside "駐車場はありますか"); the grading below picks one.
        auto hit = std::find_if(hits.begin(), hits.end(),
                                [&](const auto& h) { return h.title->sourceText() == c.title; });
        ASSERT_NE(hit, hits.end()) << c.question;
        const TopicTitle* found = hit->title;
        EXPECT_EQ(found->getOwner(), s_dictionary->topics().at(c.topic)) << c.question;
        EXPECT_EQ(hit->level, 0) << c.question;
        // The compiled title's main centre is the topic's entity.
        ASSERT_FALSE(found->getCentres().empty()) << c.question;
        EXPECT_EQ(found->getCentres().front()->getTitleText(), c.topic) << c.question;

        // No title of the base grades higher than the one found.
        const std::uint64_t best = found->gradeMatch(utterance->getWords(), &judgement);
        EXPECT_EQ(static_cast<std::uint32_t>(best) & 0x11u, 0x11u) << c.question;
        for (const auto& [name, topic] : s_dictionary->topics()) {
            for (const TopicTitle* title : topic->titles().titles())
                EXPECT_LE(gradeScore(title->gradeMatch(utterance->getWords(), &judgement)), gradeScore(best))
                    << c.question << " against " << title->sourceText();
        }
    }
}

}  // namespace
}  // namespace quibo
