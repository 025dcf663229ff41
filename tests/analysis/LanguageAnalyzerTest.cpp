#include "analysis/LanguageAnalyzer.h"

#include "knowledge/Entity.h"
#include "tests/support/InMemorySemanticNetwork.h"

#include <gtest/gtest.h>

#include <cstring>

namespace quibo {
namespace {

class LanguageAnalyzerTest : public ::testing::Test {
protected:
    ~LanguageAnalyzerTest() override { LanguageAnalyzer::deleteInstance(); }
};

TEST_F(LanguageAnalyzerTest, OneInstanceUntilDeleted)
{
    EXPECT_FALSE(LanguageAnalyzer::isInitialized());
    LanguageAnalyzer* first = LanguageAnalyzer::instance();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(LanguageAnalyzer::instance(), first);
    EXPECT_FALSE(LanguageAnalyzer::isInitialized());
    LanguageAnalyzer::deleteInstance();
    LanguageAnalyzer::deleteInstance();  // a second delete finds nothing to do
    LanguageAnalyzer* second = LanguageAnalyzer::instance();
    ASSERT_NE(second, nullptr);
    EXPECT_FALSE(LanguageAnalyzer::isInitialized());
}

TEST_F(LanguageAnalyzerTest, WithoutNetworkNothingIsRelated)
{
    LanguageAnalyzer* analyzer = LanguageAnalyzer::instance();
    int depth = 42;
    EXPECT_EQ(analyzer->searchPath("犬", "猫", depth, -1), 0);
    EXPECT_EQ(depth, 42);
    EXPECT_TRUE(analyzer->getRelations("犬").empty());
    EXPECT_EQ(analyzer->listRelations("犬"), nullptr);
    EXPECT_EQ(analyzer->collectWords("犬", 1), nullptr);
    EXPECT_EQ(analyzer->reachableWords("犬", 1, 0), nullptr);
    EXPECT_EQ(analyzer->relatedWords("犬", 0), nullptr);
}

TEST_F(LanguageAnalyzerTest, RelationTextIsSplitWithoutAnOpenNetwork)
{
    LanguageAnalyzer* analyzer = LanguageAnalyzer::instance();
    const auto relations = analyzer->getRelations("犬", strdup("P0:動物, :猫, P1N1:生き物"));
    ASSERT_EQ(relations.size(), 3u);
    EXPECT_EQ(relations[0].relatedWord, "動物");
    EXPECT_TRUE(relations[1].isNRelation());
    EXPECT_EQ(relations[2].kind, 'P');
    EXPECT_EQ(relations[2].queriedWord, "犬");
}

TEST_F(LanguageAnalyzerTest, MissingNetworkFileIsReported)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(LanguageAnalyzer::instance()->openSemanticNetwork("/nonexistent/pstorage"), -1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("can not open SemanticNetwork file"),
              std::string::npos);
    int depth = 0;
    EXPECT_EQ(LanguageAnalyzer::instance()->searchPath("犬", "猫", depth, -1), 0);
}

TEST_F(LanguageAnalyzerTest, QueriesGoToTheInstalledNetwork)
{
    test::ScopedSemanticNetwork network;
    network->relate("犬", "動物", 1, -1);
    network->addSense("犬", SenseRecord{'N', '1', "動物", ""});
    LanguageAnalyzer* analyzer = LanguageAnalyzer::instance();
    int depth = 0;
    EXPECT_EQ(analyzer->searchPath("犬", "動物", depth, 1), 1);
    EXPECT_EQ(depth, -1);
    const auto relations = analyzer->getRelations("犬");
    ASSERT_EQ(relations.size(), 1u);
    EXPECT_EQ(relations[0].queriedWord, "犬");
    EXPECT_TRUE(relations[0].isNRelation());
    analyzer->setSemanticNetwork(nullptr);
    EXPECT_EQ(analyzer->searchPath("犬", "動物", depth, 1), 0);
}

TEST_F(LanguageAnalyzerTest, DummyEntityIsFlaggedGlobal)
{
    Entity* dummy = LanguageAnalyzer::instance()->dummyEntity();
    ASSERT_NE(dummy, nullptr);
    EXPECT_EQ(dummy->getTitleText(), "ＧＬＯＢＡＬ＿ＤＵＭＭＹ＿ＥＮＴＩＴＹ");
    EXPECT_TRUE(dummy->hasFlag(Entity::FLAG_GLOBAL_DUMMY));
    EXPECT_TRUE(dummy->getTitleWords().empty());
}

TEST_F(LanguageAnalyzerTest, AnalysisOfEmptyTextLeavesSurfacesAlone)
{
    std::string surfaces = "前";
    EXPECT_TRUE(LanguageAnalyzer::instance()->analyze("", surfaces).empty());
    EXPECT_EQ(surfaces, "前");
}

}  // namespace
}  // namespace quibo
