#include "meaning/MeanEntry.h"

#include "MeanTestSupport.h"
#include "meaning/MeanRule.h"

#include <gtest/gtest.h>

namespace quibo {
namespace {

using test::utf8;

MeanContent placeContent()
{
    MeanContent content;
    content.dcaCode = 5;
    content.pcaCode = 0;
    content.unit = 1;
    content.dcaGate = 2;
    content.representativeWord = "駅";
    content.representativePosCode = 0x200001;
    content.meStartOffset = 4;
    content.matchedText = ";どこ;";
    content.spanStart = 4;
    content.spanEnd = 8;
    return content;
}

TEST(MeanEntryTest, DumpListsContentsThenNonEmptyTerms)
{
    MeanEntry entry;
    entry.getMeanContents().push_back(placeContent());
    MeanContent greeting;
    greeting.dcaCode = 120;
    greeting.pcaCode = 900;
    greeting.unit = 5;
    greeting.representativeWord = "＊";
    greeting.matchedText = "こんにちは";
    greeting.spanEnd = 10;
    entry.getMeanContents().push_back(greeting);
    entry.setTerms("駅", "", "東京");

    testing::internal::CaptureStdout();
    entry.dump("S1");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              utf8(u8"S1\tmean_contents[0] = 場所 2 ＊ 入力形 駅 普通名詞 4 ;どこ; 4 8\n"
                   u8"S1\tmean_contents[1] = 挨拶 0 任意 文字列 ＊ ＊ 0 こんにちは 0 10\n"
                   u8"S1\tterm_X = 駅\n"
                   u8"S1\tterm_Z = 東京\n"));
}

TEST(MeanEntryTest, EmptyResultDumpsOnlyItsTerms)
{
    MeanEntry entry;
    testing::internal::CaptureStdout();
    entry.dump("");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    entry.setTerms("", "行く", "");
    testing::internal::CaptureStdout();
    entry.dump("");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), utf8(u8"term_Y = 行く\n"));
}

TEST(MeanEntryTest, CopyCarriesEveryMember)
{
    MeanEntry entry;
    entry.getMeanContents().push_back(placeContent());
    entry.getMeanContents().back().meSurfaces = {"どこ"};
    entry.setTerms("x", "y", "z");
    entry.setPolarities(0x81, 0x40, 1);
    entry.judgementInts() = {-1, 0, -1, 0, 0};
    entry.setCodeBits(0x11);

    MeanEntry copy;
    copy = entry;
    entry.getMeanContents().clear();
    ASSERT_EQ(copy.getMeanContents().size(), 1u);
    EXPECT_EQ(copy.getMeanContents()[0].meSurfaces.at(0), "どこ");
    EXPECT_EQ(copy.getTermX() + copy.getTermY() + copy.getTermZ(), "xyz");
    EXPECT_EQ(copy.getPolarity(), 0x81);
    EXPECT_EQ(copy.getPolarityX(), 0x40);
    EXPECT_EQ(copy.getPolarityY(), 1);
    EXPECT_EQ(copy.judgementInts()[0], -1);
    EXPECT_EQ(copy.getCodeBits(), 0x11);
}

TEST(MeanRuleTest, BitNumbersWrapRoundThirtyTwoBits)
{
    const struct {
        int bitNumber;
        std::uint32_t mask;
    } cases[] = {{0, 0}, {-1, 0}, {-33, 0}, {1, 1}, {32, 0x80000000u}, {33, 1}, {34, 2}, {64, 0x80000000u},
                 {2147483647, 0x40000000u}};
    for (const auto& c : cases) {
        EXPECT_EQ(dcaBitMask(c.bitNumber), c.mask) << c.bitNumber;
    }
}

TEST(MeanRuleTest, AttributesOutsideOneToTwentyFourMarkNothing)
{
    const struct {
        int attribute;
        std::uint32_t mask;
    } cases[] = {{0, 0}, {-1, 0}, {1, 0x100}, {2, 0x200}, {24, 0x80000000u}, {25, 0}, {1000, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(attributeMask(c.attribute), c.mask) << c.attribute;
    }
}

}  // namespace
}  // namespace quibo
