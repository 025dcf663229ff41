#include "tools/JumanNetworkSource.h"

#include "analysis/SemanticNetwork.h"
#include "tools/SemanticNetworkBuilder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace quibo::tools {
namespace {

std::string utf8(const char8_t* text)
{
    return reinterpret_cast<const char*>(text);
}

class JumanNetworkSourceTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::ifstream csv(QUIBO_TEST_DATA "/juman-sample.csv", std::ios::binary);
        ASSERT_TRUE(csv);
        m_source.addCsv(csv);
        std::ostringstream out;
        m_source.write(out);
        m_text = out.str();
    }

    bool has(const char8_t* line) const { return m_text.find(utf8(line) + "\n") != std::string::npos; }

    JumanNetworkSource m_source;
    std::string m_text;
};

TEST_F(JumanNetworkSourceTest, SensesWrittenFormsAndTheirRelations)
{
    const char8_t* expected[] = {
        u8"word\t犬/いぬ\tNn*",
        u8"word\tいぬ\tn",
        u8"word\t愛する/あいする\tPNpn*",
        u8"word\t生/なま\tNn*",
        u8"word\t生/せい\tNn*",
        u8"relation\tいぬ\t犬/いぬ\t0",
        // own sense first, then the other sense of the same name
        u8"relation\t生/せい\t生/せい\t0\nrelation\t生/せい\t生/なま\t0",
        // stated on one side, held on both
        u8"relation\t愛する/あいする\t愛す/あいす\t0\nrelation\t愛する/あいする\t憎む/にくむ\t1",
        u8"relation\t憎む/にくむ\t愛する/あいする\t1",
        u8"relation\t愛す/あいす\t愛する/あいする\t0",
        // a base verb holds its potential verb as its own sense
        u8"relation\t使う/つかう\t使う/つかう\t0\nrelation\t使う/つかう\t使える/つかえる\t0",
        u8"related\t犬/いぬ\tいぬ\t0",
        u8"link\t犬/いぬ\t動物/どうぶつ\t1",
        u8"link\t動物/どうぶつ\t犬/いぬ\t2",
        u8"link\t野球/やきゅう\t抽象/ちゅうしょう\t1\nlink\t野球/やきゅう\tスポーツ/すぽーつ\t1",
        u8"link\tスポーツ/すぽーつ\t野球/やきゅう\t3",
        u8"link\t食べ物/たべもの\t物/もの\t1",
    };
    for (const char8_t* line : expected) EXPECT_TRUE(has(line)) << utf8(line);
    // No self-links, no names without a representative form or outside EUC-JP,
    // no synonyms of senses the dictionary lacks.
    EXPECT_FALSE(has(u8"link\t動物/どうぶつ\t動物/どうぶつ\t1"));
    EXPECT_EQ(m_text.find(utf8(u8"鈴木")), std::string::npos);
    const std::string outsideEucJp = utf8(u8"한국");  // kept out of the macro's own text
    EXPECT_EQ(m_text.find(outsideEucJp), std::string::npos);
    EXPECT_EQ(m_text.find(utf8(u8"存在しない")), std::string::npos);
    EXPECT_FALSE(has(u8"relation\t使える/つかえる\t使う/つかう\t0"));
    EXPECT_EQ(m_source.report().lines, 14u);
    EXPECT_EQ(m_source.report().skippedNames, 1u);
    EXPECT_EQ(m_source.report().unknownReferences, 1u);
}

TEST_F(JumanNetworkSourceTest, BuiltNetworkAnswersAsTheDictionarySays)
{
    const std::string path = testing::TempDir() + "juman-sample-pstorage";
    SemanticNetworkBuildReport report;
    {
        std::ofstream source(path + ".txt", std::ios::binary);
        source << m_text;
    }
    ASSERT_EQ(buildSemanticNetworkFile(path + ".txt", path, report), 0);
    testing::internal::CaptureStderr();
    SemanticNetwork network(path.c_str());
    testing::internal::GetCapturedStderr();

    int depth = 0;
    EXPECT_EQ(network.searchPath("いぬ", "動物", &depth, 3), 1);
    EXPECT_EQ(depth, 1);
    EXPECT_EQ(network.searchPath("愛する", "憎む", &depth, 3), 2);
    EXPECT_EQ(network.searchPath("愛す", "愛する", &depth, 0), 1);
    // A visitor's 使える pairs with a title's 使う, and 使う with 使える, as the
    // same act; yet 使える has no relation of its own to 使う, so it is not
    // taken for a knowledge base's entity 使う.
    depth = -1;
    EXPECT_EQ(network.searchPath("使える", "使う", &depth, 0), 1);
    EXPECT_EQ(depth, 0);
    depth = -1;
    EXPECT_EQ(network.searchPath("使う", "使える", &depth, 0), 1);
    EXPECT_EQ(depth, 0);
    char* potential = network.listRelations("使える");
    ASSERT_NE(potential, nullptr);
    EXPECT_STREQ(potential, "P0N0:使える");
    std::free(potential);
    char* relations = network.listRelations("愛する");
    ASSERT_NE(relations, nullptr);
    EXPECT_STREQ(relations, "P0N0:愛する, P0N0:愛す, P1N1:憎む");
    std::free(relations);
    std::remove(path.c_str());
    std::remove((path + ".txt").c_str());
}

}  // namespace
}  // namespace quibo::tools
