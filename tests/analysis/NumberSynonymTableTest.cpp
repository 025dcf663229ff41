#include "analysis/NumberSynonymTable.h"

#include "tests/support/TempRegistry.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace quibo {
namespace {

using test::utf8;
using Words = std::vector<std::string>;

TEST(IntervalWUnitTest, ParsesUnitBoundsAndBrackets)
{
    const IntervalWUnit interval("円:(0,100]");
    EXPECT_TRUE(interval.isWellFormed());
    EXPECT_EQ(interval.unit(), "円");
    EXPECT_EQ(interval.lower(), "0");
    EXPECT_TRUE(interval.lowerOpen());
    EXPECT_EQ(interval.upper(), "100");
    EXPECT_FALSE(interval.upperOpen());
}

TEST(IntervalWUnitTest, NonNumericBoundsBecomeNoBound)
{
    const IntervalWUnit interval(":[abc,12abc)trailing");
    EXPECT_TRUE(interval.isWellFormed());
    EXPECT_EQ(interval.unit(), "");
    EXPECT_EQ(interval.lower(), "");
    EXPECT_EQ(interval.upper(), "12abc");
    EXPECT_TRUE(interval.upperOpen());
    EXPECT_EQ(IntervalWUnit("x:[-0.0,0]").lower(), "-0.0");
}

TEST(IntervalWUnitTest, ContainsPointsWithinItsBounds)
{
    struct Case { const char* interval; const char* other; bool expected; };
    const Case cases[] = {
        {"個:[2,9]", "個:[3,3]", true},
        {"個:[2,9]", "個:[9,9]", true},
        {"個:[2,9)", "個:[9,9]", false},
        {"個:(2,9]", "個:[2,2]", false},
        {"個:(2,9]", "個:(2,9)", true},
        {"枚:[2,9]", "個:[3,3]", false},
        {"個:[,9]", "個:[0,0]", true},
        {"個:[2,]", "個:[99999,99999]", true},
        {"個:[2,9]", "個:[,5]", false},   // an unbounded side lies outside
        {"個:[2,9]", "個:[3,]", false},
        {":[,]", ":[7,7]", true},
        {":[,]", "個:[7,7]", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IntervalWUnit(c.interval).contains(IntervalWUnit(c.other)), c.expected)
            << c.interval << " contains " << c.other;
    }
}

TEST(IntervalWUnitTest, MalformedTextIsReportedAndNotWellFormed)
{
    const char* malformed[] = {"個[2,9]", "個:2,9]", "個:[29]", "個:[2,9", "個:", "個:[5,2]"};
    for (const char* text : malformed) {
        testing::internal::CaptureStdout();
        const IntervalWUnit interval(text);
        const std::string output = testing::internal::GetCapturedStdout();
        EXPECT_FALSE(interval.isWellFormed()) << text;
        EXPECT_NE(output.find("Error parsing in IntervalWUnit(\""), std::string::npos) << text;
    }
    testing::internal::CaptureStdout();
    IntervalWUnit reversed("個:[5,2]");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              utf8(u8"Error parsing in IntervalWUnit(\"個:[5,2]\")\n"));
}

TEST(IntervalWUnitTest, DigitRunsBeyondIntSaturate)
{
    const IntervalWUnit huge("個:[1,99999999999999999999]");
    EXPECT_TRUE(huge.isWellFormed());
    EXPECT_TRUE(huge.contains(IntervalWUnit::point("個", std::to_string(INT_MAX))));
    // Wrapping around would make the upper bound negative and the text malformed.
    testing::internal::CaptureStdout();
    const IntervalWUnit wide("個:[4294967297,99999999999999999999]");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(wide.isWellFormed());
}

class NumberSynonymTableTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "quibo-numsyn-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_folder = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    // Loads `contents` (EUC-JP) as the table's file; returns what load returned.
    short load(const std::string& contents)
    {
        const std::string path = (m_folder / "numsyn.txt").string();
        std::ofstream(path, std::ios::binary) << contents;
        return m_table.load(path);
    }

    std::filesystem::path m_folder;
    NumberSynonymTable m_table;
};

TEST_F(NumberSynonymTableTest, NumeralMatchesWordsWhoseIntervalHoldsIt)
{
    ASSERT_EQ(load("# counters\n"
                   "数個\t個:[2,9]\n"
                   "何個\t個:[,]\n"
                   "数枚\t枚:[2,9]\n"
                   "十数\t:[11,19]\n"),
              0);
    EXPECT_EQ(m_table.lookup("３個"), (Words{"何個", "数個"}));
    EXPECT_EQ(m_table.lookup("１０個"), (Words{"何個"}));
    EXPECT_EQ(m_table.lookup("個"), Words{});
    EXPECT_EQ(m_table.lookup("１２"), (Words{"十数"}));
    EXPECT_EQ(m_table.lookup("3個"), Words{});  // ASCII digits are no numeral word here
}

TEST_F(NumberSynonymTableTest, SpacesAreRemovedAndTheFirstLineForAWordHolds)
{
    ASSERT_EQ(load("数 個\t個: [2, 9]\n"
                   "数個\t個:[100,200]\n"
                   "no tab here\n"
                   "\t個:[1,1]\n"),
              0);
    ASSERT_EQ(m_table.entries().size(), 1u);
    EXPECT_EQ(m_table.entries().begin()->first, "数個");
    EXPECT_EQ(m_table.lookup("５個"), (Words{"数個"}));
    EXPECT_EQ(m_table.lookup("１５０個"), Words{});
}

// A half-parsed interval would have no bounds and hold every numeral of its
// unit; such a line is reported and left out.
TEST_F(NumberSynonymTableTest, MalformedIntervalLinesAreReportedAndSkipped)
{
    testing::internal::CaptureStdout();
    ASSERT_EQ(load("壊れ\t個\n"
                   "逆\t個:[5,2]\n"
                   "数個\t個:[2,9]\n"),
              0);
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(output, utf8(u8"Error parsing in IntervalWUnit(\"個\")\n"
                           u8"Error parsing in IntervalWUnit(\"個:[5,2]\")\n"));
    EXPECT_EQ(m_table.lookup("３個"), (Words{"数個"}));
    EXPECT_EQ(m_table.entries().size(), 1u);
}

TEST_F(NumberSynonymTableTest, OverLongLineIsSkippedAndReadingGoesOn)
{
    const std::string longWord(1100, 'w');
    ASSERT_EQ(load(longWord + "\t個:[1,1]\n"
                   "数個\t個:[2,9]\n"
                   "最後\t個:[100,100]"),  // last line without LF
              0);
    EXPECT_EQ(m_table.entries().size(), 2u);
    EXPECT_EQ(m_table.lookup("１００個"), (Words{"最後"}));
}

TEST_F(NumberSynonymTableTest, LineOfTheLongestLengthIsKept)
{
    const std::string interval = "\t個:[1,1]";
    const std::string word(1023 - interval.size(), 'w');
    ASSERT_EQ(load(word + interval + "\n" + word + "x" + interval + "\n"), 0);
    ASSERT_EQ(m_table.entries().size(), 1u);
    EXPECT_EQ(m_table.entries().begin()->first, word);
}

TEST_F(NumberSynonymTableTest, HugeDigitRunSaturatesInsteadOfWrapping)
{
    ASSERT_EQ(load("大量\t個:[1000,]\n少し\t個:[1,3]\n"), 0);
    // 2^32 + 2 would wrap to 2 in 32-bit arithmetic.
    EXPECT_EQ(m_table.lookup("４２９４９６７２９８個"), (Words{"大量"}));
    EXPECT_EQ(m_table.lookup("９９９９９９９９９９９９９９９９９９９９９個"), (Words{"大量"}));
}

TEST_F(NumberSynonymTableTest, MissingFileIsReportedAndLeavesTheTableEmpty)
{
    const std::string path = (m_folder / "absent.txt").string();
    testing::internal::CaptureStdout();
    EXPECT_EQ(m_table.load(path), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Cannot open " + path + "!\n");
    EXPECT_EQ(m_table.lookup("３個"), Words{});
}

TEST_F(NumberSynonymTableTest, WordEndingInHalfACharacterIsNeverReadPast)
{
    ASSERT_EQ(load("数\t:[1,9]\n"), 0);
    EXPECT_EQ(m_table.lookup("３\xA3"), Words{});
    EXPECT_EQ(m_table.lookup("\xA3"), Words{});
}

}  // namespace
}  // namespace quibo
