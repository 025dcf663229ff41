// The semantic network of the install tree, built from the JUMAN dictionary.
#include "analysis/SemanticNetworkFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace quibo {
namespace {

class InstalledSemanticNetworkTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_file = new SemanticNetworkFile;
        testing::internal::CaptureStderr();
        s_opened = s_file->open(QUIBO_INSTALL_TREE "/QUIBO3.1/data/pstorage");
        testing::internal::GetCapturedStderr();
    }
    static void TearDownTestSuite()
    {
        delete s_file;
        s_file = nullptr;
    }

    static std::string take(char* text)
    {
        if (!text) return "";
        std::string copy(text);
        std::free(text);
        return copy;
    }

    static SemanticNetworkFile* s_file;
    static int s_opened;
};

SemanticNetworkFile* InstalledSemanticNetworkTest::s_file = nullptr;
int InstalledSemanticNetworkTest::s_opened = -9;

TEST_F(InstalledSemanticNetworkTest, LoadsWithTheWholeDictionary)
{
    ASSERT_EQ(s_opened, 0);
    const SemanticNetworkStorage* s = s_file->network()->storage();
    // Tens of thousands of senses, each with a node, and more written forms.
    EXPECT_GT(s->nodeCount, 30000);
    EXPECT_GT(s->wordCount, s->nodeCount);
}

struct Path {
    const char* from;
    const char* to;
    int result;
    int depth;
};

TEST_F(InstalledSemanticNetworkTest, PathsFollowCategoriesSynonymsAndAntonyms)
{
    ASSERT_EQ(s_opened, 0);
    const Path paths[] = {
        {"犬", "動物", 1, 1},        // category, one level up
        {"いぬ", "動物", 1, 1},      // through the written form's sense
        {"動物", "犬", 1, -1},       // down again
        {"りんご", "食べ物", 1, 1},
        {"野球", "スポーツ", 1, 1},  // domain
        {"愛する", "愛す", 1, 0},    // synonyms
        {"愛す", "愛する", 1, 0},
        {"愛する", "憎む", 2, 0},    // antonyms: opposite polarity
        {"高い", "低い", 2, 0},
        {"犬", "政治", 0, 0},
    };
    for (const Path& p : paths) {
        int depth = 0;
        EXPECT_EQ(s_file->searchPath(p.from, p.to, &depth, 3), p.result) << p.from << " -> " << p.to;
        EXPECT_EQ(depth, p.depth) << p.from << " -> " << p.to;
    }
}

TEST_F(InstalledSemanticNetworkTest, WordsHaveTheirSensesAsRelations)
{
    ASSERT_EQ(s_opened, 0);
    EXPECT_EQ(s_file->relations("犬"), (std::vector<SenseRecord>{{'N', '0', "犬", "犬"}}));
    const std::vector<SenseRecord> love = s_file->relations("愛する");
    EXPECT_NE(std::find(love.begin(), love.end(), SenseRecord{'P', '1', "憎む", "愛する"}), love.end());
    EXPECT_NE(std::find(love.begin(), love.end(), SenseRecord{'N', '0', "愛す", "愛する"}), love.end());
    // A representative word's relation text names it.
    EXPECT_NE(take(s_file->listRelations("動物")).find("動物"), std::string::npos);
    EXPECT_NE(take(s_file->network()->listReachableWords("犬", 1, 0)).find("動物"), std::string::npos);
    const std::string kinds = take(s_file->network()->listReachableWords("動物", -1, 0));
    EXPECT_NE(kinds.find("犬, "), std::string::npos);
    EXPECT_NE(kinds.find("猫"), std::string::npos);
    EXPECT_EQ(take(s_file->network()->listRelatedWords("犬", 1)), "いぬ,イヌ");
}

}  // namespace
}  // namespace quibo
