#include "analysis/SemanticNetwork.h"
#include "analysis/SemanticNetworkFile.h"
#include "analysis/SemanticNetworkQueries.h"
#include "platform/Clock.h"
#include "tests/analysis/NetworkFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace quibo {
namespace {

using testing_support::networkFile;

// Owns a malloc'd query text.
std::string take(char* text)
{
    if (!text) return "<null>";
    std::string copy(text);
    std::free(text);
    return copy;
}

class QuietStderr {
public:
    QuietStderr() { testing::internal::CaptureStderr(); }
    ~QuietStderr() { testing::internal::GetCapturedStderr(); }
};

std::unique_ptr<SemanticNetwork> openNetwork(const std::string& name, const char8_t* source)
{
    const std::string path = networkFile(name, source);
    QuietStderr quiet;
    return std::make_unique<SemanticNetwork>(path.c_str());
}

// Marks: Ａ has the P mark, Ｂ the N mark, Ｃ both.  語 lists both kinds, 片 none.
const char8_t* const RELATIONS = u8R"(word 語 pn
word 片 -
word 両 pn
word 素 pn
word Ａ P
word Ｂ N
word Ｃ PN
word 無印 n
relation 語 Ａ 0
relation 語 Ｂ 1
relation 語 Ｃ 1
relation 片 Ｂ 0
relation 両 Ｃ 0
relation 素 無印 0
)";

TEST(SemanticNetworkQueriesTest, RelationTextShowsMarkedTargetsWithPolarity)
{
    const auto network = openNetwork("semnet-relations", RELATIONS);
    EXPECT_EQ(take(network->listRelations("語")), "P0:Ａ, N1:Ｂ, P1N1:Ｃ");
    EXPECT_EQ(take(network->listRelations("片")), ":Ｂ");
    EXPECT_EQ(take(network->listRelations("両")), "P0N0:Ｃ");
    EXPECT_EQ(take(network->listRelations("素")), "<null>");
    EXPECT_EQ(take(network->listRelations("欠")), "<null>");
    EXPECT_EQ(take(network->listRelations("")), "<null>");
}

TEST(SemanticNetworkQueriesTest, RelationItemsBecomeSenseRecords)
{
    const std::string path = networkFile("semnet-records", RELATIONS);
    SemanticNetworkFile file;
    {
        QuietStderr quiet;
        ASSERT_EQ(file.open(path), 0);
    }
    const std::vector<SenseRecord> expected = {
        {'P', '0', "Ａ", "語"}, {'N', '1', "Ｂ", "語"}, {'N', '1', "Ｃ", "語"}, {'P', '1', "Ｃ", "語"}};
    EXPECT_EQ(file.relations("語"), expected);
    // A bare ":name" item stands in the text but makes no record.
    EXPECT_TRUE(file.relations("片").empty());
    EXPECT_EQ(file.relations("両"), (std::vector<SenseRecord>{{'N', '0', "Ｃ", "両"}, {'P', '0', "Ｃ", "両"}}));
    EXPECT_TRUE(file.relations("素").empty());

    // A given text is parsed (and released) instead of asking the network.
    char* text = static_cast<char*>(std::malloc(32));
    std::snprintf(text, 32, "%s", "N0:猫, x, P1:犬");
    EXPECT_EQ(file.relations("何", text), (std::vector<SenseRecord>{{'N', '0', "猫", "何"}, {'P', '1', "犬", "何"}}));
    EXPECT_TRUE(file.relations("何", nullptr).empty());
    EXPECT_TRUE(file.relations("何", nullptr).empty());
}

// 走る is a predicate sense with written forms, a synonym and an antonym; 犬
// a noun sense whose related words include another sense named 犬.
const char8_t* const RELATED = u8R"(word 走る/はしる PNpn*
word 駆ける/かける PNpn*
word 歩く/あるく PNpn*
word はしる pn
word 犬/いぬ Nn*
word 犬/けん Nn*
word いぬ n
word 猫/ねこ Nn*
word 狗 n
related 走る/はしる はしる 0
related 走る/はしる 駆ける/かける 0
related 走る/はしる 歩く/あるく 1
related 走る/はしる 走る/はしる 0
related 犬/いぬ いぬ 0
related 犬/いぬ 犬/けん 0
related 犬/いぬ 猫/ねこ 1
related 犬/いぬ 狗 0
)";

TEST(SemanticNetworkQueriesTest, RelatedWordsByModeNeverListTheWordItself)
{
    const auto network = openNetwork("semnet-related", RELATED);
    struct Case {
        const char* word;
        int mode;
        const char* expected;
    } cases[] = {
        {"走る", 0, "はしる,駆ける,歩く"},  // predicate-listed, any polarity
        {"走る", 1, "はしる,駆ける"},       // same polarity only
        {"走る", 7, "はしる,駆ける"},
        {"犬", 1, "いぬ,狗"},
        {"犬", 0, "<null>"},  // 犬 has no P mark
        {"いぬ", 1, "<null>"},  // a written form has no N mark
        {"無い", 1, "<null>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(take(network->listRelatedWords(c.word, c.mode)), c.expected) << c.word << " mode " << c.mode;
}

// 甲 relates to the sense 乙, whose own relation list starts with 丙; 丁
// relates to 丙 (same polarity) and 戊 to 丙 (opposite polarity).
const char8_t* const DEPTH_ZERO = u8R"(word 甲 n
word 乙 Nn*
word 丙 Nn*
word 丁 n
word 戊 n
word 己 n
word 庚 Nn*
relation 甲 乙 0
relation 乙 丙 0
relation 丙 丙 0
relation 丁 丙 0
relation 戊 丙 1
relation 己 甲 0
relation 己 乙 1
relation 庚 庚 0
relation 庚 丙 1
)";

TEST(SemanticNetworkQueriesTest, PathAtDepthZeroThroughTheFirstRelationOfARelatedSense)
{
    const auto network = openNetwork("semnet-depth0", DEPTH_ZERO);
    int depth = 99;
    EXPECT_EQ(network->searchPath("甲", "丁", &depth, 0), 1);
    EXPECT_EQ(depth, 0);
    depth = 99;
    EXPECT_EQ(network->searchPath("甲", "戊", &depth, 0), 2);
    EXPECT_EQ(depth, 0);
    // A start link of opposite polarity turns the result over.
    depth = 99;
    EXPECT_EQ(network->searchPath("己", "丁", &depth, 0), 2);
    // An antonym further down the reached sense's list meets with q = 1.
    depth = 99;
    EXPECT_EQ(network->searchPath("庚", "丁", &depth, 0), 2);
    EXPECT_EQ(depth, 0);
    // Unrelated or absent words: 0, and the wrapper leaves the depth at 0.
    depth = 99;
    EXPECT_EQ(network->searchPath("丁", "甲", &depth, 0), 0);
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(network->searchPath("甲", "無い", &depth, 0), 0);
    EXPECT_EQ(network->searchPath("", "丁", &depth, 0), 0);
}

// A chain c0 -> c1 -> ... -> c55 of type-1 links, with type-2 links back.
std::u8string chainNetwork(int length)
{
    std::string text;
    for (int i = 0; i <= length; ++i) {
        const std::string c = "c" + std::to_string(i);
        text += "word " + c + " Nn*\nrelation " + c + " " + c + " 0\n";
        if (i > 0) {
            const std::string prev = "c" + std::to_string(i - 1);
            text += "link " + prev + " " + c + " 1\nlink " + c + " " + prev + " 2\n";
        }
    }
    return std::u8string(text.begin(), text.end());
}

TEST(SemanticNetworkQueriesTest, PathLimitBoundsTheLevelsSearched)
{
    const std::u8string source = chainNetwork(55);
    const auto network = openNetwork("semnet-chain", source.c_str());
    struct Case {
        const char* from;
        const char* to;
        int limit;
        int result;
        int depth;
    } cases[] = {
        {"c0", "c3", 3, 1, 3},    {"c0", "c3", 2, 0, 0},   {"c3", "c0", 3, 1, -3},
        {"c0", "c0", 0, 1, 0},    {"c0", "c1", 0, 0, 0},   {"c0", "c50", -1, 1, 50},
        {"c0", "c51", -1, 0, 0},  {"c0", "c51", 51, 1, 51}, {"c51", "c1", -1, 1, -50},
    };
    for (const Case& c : cases) {
        int depth = 99;
        EXPECT_EQ(network->searchPath(c.from, c.to, &depth, c.limit), c.result) << c.from << "->" << c.to;
        EXPECT_EQ(depth, c.depth) << c.from << "->" << c.to;
    }
}

TEST(SemanticNetworkQueriesTest, SearchOverADenseCyclicNetworkFinishesQuickly)
{
    // Every node links to every other in both directions: keeping every path
    // would hold 11^50 frontier entries by the last level.
    std::string text = "word far Nn*\nrelation far far 0\n";
    for (int i = 0; i < 12; ++i) text += "word k" + std::to_string(i) + " Nn*\nrelation k" + std::to_string(i) + " k" + std::to_string(i) + " 0\n";
    for (int i = 0; i < 12; ++i)
        for (int j = 0; j < 12; ++j)
            if (i != j)
                for (const char* type : {"1", "2"})
                    text += "link k" + std::to_string(i) + " k" + std::to_string(j) + " " + type + "\n";
    const std::u8string source(text.begin(), text.end());
    const auto network = openNetwork("semnet-cycle", source.c_str());
    const std::int64_t started = platform::clock().elapsedMillis();
    int depth = 0;
    EXPECT_EQ(network->searchPath("k0", "far", &depth, -1), 0);
    EXPECT_EQ(network->searchPath("k5", "k11", &depth, -1), 1);
    EXPECT_EQ(depth, 1);
    char* closure = network->listClosureWords("k0", 0);
    EXPECT_NE(closure, nullptr);
    std::free(closure);
    EXPECT_LT(platform::clock().elapsedMillis() - started, 2000);
}

// 犬 and 猫 are animals, animals living things; 生 has two senses.
const char8_t* const TAXONOMY = u8R"(word 犬/いぬ Nn*
word 猫/ねこ Nn*
word 動物/どうぶつ Nn*
word 生物/せいぶつ Nn*
word 料理/りょうり Nn*
word いぬ n
relation 犬/いぬ 犬/いぬ 0
relation 猫/ねこ 猫/ねこ 0
relation 動物/どうぶつ 動物/どうぶつ 0
relation 生物/せいぶつ 生物/せいぶつ 0
relation 料理/りょうり 料理/りょうり 0
relation いぬ 犬/いぬ 0
link 犬/いぬ 動物/どうぶつ 1
link 猫/ねこ 動物/どうぶつ 1
link 猫/ねこ 料理/りょうり 1
link 動物/どうぶつ 生物/せいぶつ 1
link 動物/どうぶつ 犬/いぬ 2
link 動物/どうぶつ 猫/ねこ 2
link 生物/せいぶつ 動物/どうぶつ 2
link 料理/りょうり 猫/ねこ 3
)";

TEST(SemanticNetworkQueriesTest, ReachableWordsAreThoseFirstMetAtTheDepth)
{
    const auto network = openNetwork("semnet-taxonomy", TAXONOMY);
    struct Case {
        const char* word;
        int depth;
        int mode;
        const char* expected;
    } cases[] = {
        {"犬", 0, 0, "犬"},
        {"犬", 1, 0, "動物"},
        {"いぬ", 2, 0, "生物"},
        {"犬", 1, 1, "<null>"},  // mode 1 takes opposite-polarity starts only
        {"動物", -1, 0, "犬, 猫"},
        {"生物", -2, -1, "犬, 猫"},
        {"料理", -1, 0, "猫"},  // type-3 links are followed downwards
        {"猫", 1, 0, "動物, 料理"},
        {"犬", 3, 0, "<null>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(take(network->listReachableWords(c.word, c.depth, c.mode)), c.expected)
            << c.word << " depth " << c.depth;
}

TEST(SemanticNetworkQueriesTest, ClosureGrowsFromTheOwnSensesUntilNothingIsAdded)
{
    const auto network = openNetwork("semnet-closure", TAXONOMY);
    EXPECT_EQ(take(network->listClosureWords("犬", 0)), "犬, 動物, 生物");
    EXPECT_EQ(take(network->listClosureWords("生物", -1)), "動物, 犬, 猫");
    // A written form has no own sense to start from.
    EXPECT_EQ(take(network->listClosureWords("いぬ", 0)), "<null>");
}

TEST(SemanticNetworkQueriesTest, WalksReportTheirCodes)
{
    const auto network = openNetwork("semnet-walks", TAXONOMY);
    const SemanticNetworkStorage* s = network->storage();
    WalkContext* context = newWalkContext();
    const WalkCallbacks collect{nullptr, collectNode, nullptr};
    const WalkCallbacks noVisit{nullptr, nullptr, nullptr};
    const WalkCallbacks stopBefore{[](const SemanticNetworkStorage*, int, int, int, WalkContext*) { return 1; },
                                   collectNode, nullptr};
    const int dog = 0;  // nodes are in name order: 犬 B8A4 first
    EXPECT_EQ(walkSemanticNetwork(s, dog, 1, 2, &noVisit, context), -1);
    EXPECT_EQ(walkSemanticNetwork(s, s->nodeCount, 1, 2, &collect, context), -1);
    EXPECT_EQ(walkSemanticNetwork(s, -1, 1, 2, &collect, context), -1);
    EXPECT_EQ(walkSemanticNetwork(s, dog, 1, 2, &stopBefore, context), -2);
    EXPECT_EQ(walkSemanticNetwork(s, dog, 0, 2, &collect, context), -4);
    EXPECT_EQ(walkSemanticNetworkPostOrder(s, dog, 4, 1, &collect, context), -4);
    EXPECT_EQ(walkSemanticNetwork(s, dog, 3, 2, &collect, context), 0);
    EXPECT_EQ(walkSemanticNetwork(s, dog, 9, 0, &collect, context), 0);  // depth 0 needs no type
    EXPECT_EQ(walkLevel(s, dog, 1, 1, nullptr, context), -1);
    freeWalkContext(context);
}

}  // namespace
}  // namespace quibo
