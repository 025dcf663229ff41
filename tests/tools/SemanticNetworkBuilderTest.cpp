#include "tools/SemanticNetworkBuilder.h"

#include "analysis/SemanticNetworkQueries.h"
#include "analysis/SemanticNetworkStorage.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace quibo::tools {
namespace {

struct Built {
    bool ok;
    std::string plaintext;
    SemanticNetworkBuildReport report;
};

Built build(const std::string& utf8Source)
{
    Built b;
    std::istringstream in(utf8Source);
    b.ok = buildSemanticNetwork(in, b.plaintext, b.report);
    return b;
}

std::string utf8(const char8_t* text)
{
    return reinterpret_cast<const char*>(text);
}

std::string repeat(const std::string& line, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i) text += line;
    return text;
}

TEST(SemanticNetworkBuilderTest, MalformedSourcesAreRefusedWithTheirLine)
{
    struct Case {
        const char* name;
        std::string source;
        const char* message;
    } cases[] = {
        {"unknown word", "word\ta\tn\nrelation\ta\tb\t0\n", "line 2: no word b"},
        {"key twice", "word\ta\tn\nword\ta\tN\n", "line 2: the key a is declared twice"},
        {"bad flag", "word\ta\tnx\n", "line 1: unknown flag 'x'"},
        {"missing flags", "word\ta\n", "line 1: a word is: word, key, flags"},
        {"bad polarity", "word\ta\tn\nrelation\ta\ta\t2\n", "line 2: polarity is 0 or 1"},
        {"bad link type", "word\ta\t*\nlink\ta\ta\t4\n", "line 2: link type is 1, 2 or 3"},
        {"link without node", "word\ta\t*\nword\tb\tn\nlink\ta\tb\t1\n",
         "line 3: a link joins two words with nodes (flag *)"},
        {"unknown statement", "wort\ta\tn\n", "line 1: unknown statement wort"},
        {"256 relations", "word\ta\tn\n" + repeat("relation\ta\ta\t0\n", 256),
         "line 1: a has 256 relations, more than the format's 255"},
        {"256 related words", "word\ta\tn\n" + repeat("related\ta\ta\t0\n", 256),
         "line 1: a has 256 related words, more than the format's 255"},
        {"65536 links", "word\ta\t*\n" + repeat("link\ta\ta\t1\n", 65536),
         "line 1: a has 65536 links, more than the format's 65535"},
    };
    for (const auto& c : cases) {
        const Built b = build(c.source);
        EXPECT_FALSE(b.ok) << c.name;
        ASSERT_FALSE(b.report.errors.empty()) << c.name;
        EXPECT_EQ(b.report.errors.front(), c.message) << c.name;
    }
}

TEST(SemanticNetworkBuilderTest, MissingSourceIsAnError)
{
    SemanticNetworkBuildReport report;
    EXPECT_EQ(buildSemanticNetworkFile("/nonexistent/semnet.txt", "/nonexistent/pstorage", report), 1);
    ASSERT_EQ(report.errors.size(), 1u);
    EXPECT_EQ(report.errors.front(), "cannot read /nonexistent/semnet.txt");
}

TEST(SemanticNetworkBuilderTest, LimitsThemselvesAreAccepted)
{
    const Built b = build("word\ta\t*n\n" + repeat("relation\ta\ta\t0\n", 255) + repeat("related\ta\ta\t1\n", 255) +
                          repeat("link\ta\ta\t2\n", 65535));
    ASSERT_TRUE(b.ok);
    SemanticNetworkStorage* s = loadSemanticNetworkStorage(b.plaintext.data(), b.plaintext.size(), "t");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->sizeA, 65535 * 16);
    EXPECT_EQ(snetWordRecord(s, 0)[8], 255);
    EXPECT_EQ(snetWordRecord(s, 0)[16], 255);
    freeSemanticNetworkStorage(s);
}

TEST(SemanticNetworkBuilderTest, RecordsAreSortedByEucJpBytesAndSensesKeepTheirOrder)
{
    // EUC-JP: あ A4A2, ア A5A2, 亜 B0A1; the ASCII name "z" sorts first.
    const Built b = build(utf8(u8"word\t亜\tn\nword\tア\tn\nword\t生/せい\tN\nword\tあ\tn\nword\tz\tn\n"
                               u8"word\t生/なま\tP\nrelation\tz\t生/なま\t1\trelation\n"));
    EXPECT_FALSE(b.ok);  // a stray fifth field
    const Built good = build(utf8(u8"word\t亜\tn\nword\tア\tn\nword\t生/せい\tN\nword\tあ\tn\nword\tz\tn\n"
                                  u8"word\t生/なま\tP\nrelation\tz\t生/なま\t1\toff\n# note\n\n"));
    ASSERT_TRUE(good.ok) << (good.report.errors.empty() ? "" : good.report.errors.front());
    SemanticNetworkStorage* s = loadSemanticNetworkStorage(good.plaintext.data(), good.plaintext.size(), "t");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(findWord(s, "z"), 0);
    EXPECT_EQ(findWord(s, "あ"), 1);
    EXPECT_EQ(findWord(s, "ア"), 2);
    EXPECT_EQ(findWord(s, "亜"), 3);
    // 生 (C0B8): せい was declared first.
    EXPECT_EQ(snetWordRecord(s, 4)[4], SNET_N_MARK);
    EXPECT_EQ(snetWordRecord(s, 5)[4], SNET_P_MARK);
    // z's one relation: to なま, polarity set, disabled.
    const std::uint32_t link = snetRead32(s->blockC + snetRead32(snetWordRecord(s, 0) + 12));
    EXPECT_EQ(link & ~SNET_OFFSET_MASK, SNET_POLARITY_BIT | SNET_DISABLED_BIT);
    EXPECT_EQ(snetEntryWord(s, link & SNET_OFFSET_MASK), 5);
    freeSemanticNetworkStorage(s);
    EXPECT_EQ(good.report.words, 6u);
    EXPECT_EQ(good.report.relations, 1u);
}

}  // namespace
}  // namespace quibo::tools
