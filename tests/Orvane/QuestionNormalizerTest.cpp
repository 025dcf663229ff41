#include "Orvane/QuestionNormalizer.h"

#include "tests/support/ShiftJis.h"

#include <gtest/gtest.h>

namespace quibo::orvane {
namespace {

using test::sjis;

TEST(QuestionNormalizerTest, SpacesFoldControlBytesGoAndTextWidens)
{
    const struct {
        std::string input;
        std::string expected;
    } cases[] = {
        // The tab goes as a control byte, so b and c meet.
        {sjis(u8"  Ａ  b\tc "), sjis(u8"Ａ　ｂｃ")},
        {sjis(u8" \t　 \x01\x1F "), ""},
        {sjis(u8"ｶﾞｲﾄﾞ ﾊﾟﾝは1個\\100?"), sjis(u8"ガイド　パンは１個＼１００？")},
        {sjis(u8"\"a'"), sjis(u8"”ａ’")},
        // Trail bytes are no characters of their own: 5C of ソ and 表, and
        // 81 of ＝ before an @ and a space (81 40 81 40 across characters).
        {sjis(u8"ソ表 ＝@ x"), sjis(u8"ソ表　＝＠　ｘ")},
        {std::string("ab\0cd", 5), sjis(u8"ａｂ")},
    };
    for (const auto& c : cases) {
        std::string text = c.input;
        EXPECT_TRUE(normalizeQuestion(text, 1024, false));
        EXPECT_EQ(text, c.expected) << c.input;
    }
}

TEST(QuestionNormalizerTest, LongTextIsCutAtACharacterBoundary)
{
    std::string a = sjis(u8"あ");
    std::string run;
    for (int i = 0; i < 512; ++i) {
        run += a;
    }
    // A0 is a one-byte character that no mapping changes.
    const struct {
        std::string input;
        bool clear;
        bool result;
        std::size_t length;
    } cases[] = {
        {run, false, true, 1024},
        {run + "\xA0", false, false, 1024},
        {"\xA0" + run, false, false, 1023},
        {"\xA0" + run, true, false, 0},
    };
    for (const auto& c : cases) {
        std::string text = c.input;
        EXPECT_EQ(normalizeQuestion(text, 1024, c.clear), c.result);
        EXPECT_EQ(text, c.input.substr(0, c.length));
    }
}

// Shift_JIS code of row `row`, cell `cell` (both from 1) of JIS X 0208.
std::string cellCode(int row, int cell)
{
    const int lead = (row + 1) / 2 + (row <= 62 ? 0x80 : 0xC0);
    int trail = row % 2 ? cell + 0x3F : cell + 0x9E;
    if (row % 2 && trail >= 0x7F) {
        ++trail;
    }
    return {static_cast<char>(lead), static_cast<char>(trail)};
}

TEST(QuestionNormalizerTest, EveryTwoByteCharacterSurvives)
{
    std::string text = " ";
    std::string expected;
    for (int row = 1; row <= 84; ++row) {
        for (int cell = 1; cell <= 94; ++cell) {
            if (row == 1 && cell == 1) {
                continue;  // the full-width space itself
            }
            text += cellCode(row, cell) + " ";
            expected += (expected.empty() ? "" : sjis(u8"　")) + cellCode(row, cell);
        }
    }
    EXPECT_TRUE(normalizeQuestion(text, 0, false));
    EXPECT_EQ(text, expected);
}

}  // namespace
}  // namespace quibo::orvane
