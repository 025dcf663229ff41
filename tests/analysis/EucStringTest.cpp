#include "analysis/EucString.h"

#include <gtest/gtest.h>

#include <climits>

namespace quibo {
namespace {

using Items = std::vector<std::string>;

TEST(EucStringTest, SubStringIsEmptyOutsideTheText)
{
    const EucString text("abcdef");
    struct Case { int from, to; const char* expected; };
    const Case cases[] = {
        {1, 0, ""}, {3, 2, ""}, {0, 3, ""}, {-1, 2, ""},
        {1, 6, "abcdef"}, {2, 7, ""}, {2, 4, "bcd"}, {6, 6, "f"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text.subString(c.from, c.to), c.expected) << c.from << ".." << c.to;
    }
}

TEST(EucStringTest, FindMatchesOnlyAtCharacterStarts)
{
    // "あ" is A4 A2; the one-byte pattern A2 is its second byte.
    const EucString text("xあ");
    EXPECT_EQ(text.find("\xA2", 0), -1);
    EXPECT_EQ(text.find("あ", 0), 1);
    EXPECT_EQ(text.find("x", 0), 0);
    EXPECT_EQ(EucString("いあい").find("い", 2), 4);
}

TEST(EucStringTest, FindGivesMinusOneOutOfRange)
{
    const EucString text("abc");
    EXPECT_EQ(text.find("c", 3), -1);
    EXPECT_EQ(text.find("bcd", 1), -1);
    EXPECT_EQ(text.find("", 0), -1);
    EXPECT_EQ(EucString().find("a", 0), -1);
    EXPECT_EQ(text.find("a", -1), -1);
}

TEST(EucStringTest, IndexIsOneBasedAndZeroWhenAbsent)
{
    EXPECT_EQ(EucString("猫と犬").index("犬"), 5);
    EXPECT_EQ(EucString("猫と犬").index("猫"), 1);
    EXPECT_EQ(EucString("猫と犬").index("鳥"), 0);
}

TEST(EucStringTest, CountIncludesOverlappingMatches)
{
    EXPECT_EQ(EucString("ああ\x61ああ\x61").count("ああ"), 2);
    EXPECT_EQ(EucString("あああ").count("ああ"), 2);
    EXPECT_EQ(EucString("aaa").count("aa"), 2);
    EXPECT_EQ(EucString("abc").count("x"), 0);
}

TEST(EucStringTest, ReplaceAllNeverSearchesInsertedText)
{
    EXPECT_EQ(EucString("aa").replaceAll("a", "aa"), "aaaa");
    EXPECT_EQ(EucString("猫と猫").replaceAll("猫", "犬"), "犬と犬");
    EXPECT_EQ(EucString("abc").replaceAll("x", "y"), "abc");
    EXPECT_EQ(EucString("abc").replaceAll("", "y"), "abc");
    EXPECT_EQ(EucString("a-b-").replaceAll("-", ""), "ab");
}

TEST(EucStringTest, ReplaceAllKeepsDoubleByteCharactersWhole)
{
    // A2 A4 occurs as bytes across "あ" (A4 A2) + "あ", but at no character start.
    EXPECT_EQ(EucString("ああ").replaceAll("\xA2\xA4", "X"), "ああ");
}

TEST(EucStringTest, TrimRemovesOnlyAsciiSpaces)
{
    EXPECT_EQ(EucString("  a b  ").trim(), "a b");
    EXPECT_EQ(EucString("\ta\t").trim(), "\ta\t");
    EXPECT_EQ(EucString("   ").trim(), "");
    EXPECT_EQ(EucString().trim(), "");
    EXPECT_EQ(EucString("　a　").trim(), "　a　");
}

TEST(EucStringTest, TrimSpacesRemovesAsciiAndFullWidthSpaces)
{
    EXPECT_EQ(EucString("　 x 　").trimSpaces(), "x");
    EXPECT_EQ(EucString("　 　").trimSpaces(), "");
    EXPECT_EQ(EucString(" あ い　").trimSpaces(), "あ い");
    EXPECT_EQ(EucString("").trimSpaces(), "");
    // A1 A1 straddling two characters ("ぁ" is A4 A1, "。" is A1 A3) is no space.
    EXPECT_EQ(EucString("\xA4\xA1\xA1\xA3").trimSpaces(), "\xA4\xA1\xA1\xA3");
}

TEST(EucStringTest, TrimSpacesLeavesLongTextUnchanged)
{
    const EucString long1024(" " + std::string(1022, 'x') + " ");
    ASSERT_EQ(long1024.size(), 1024u);
    EXPECT_EQ(long1024.trimSpaces(), long1024);
    const EucString long1023(" " + std::string(1021, 'x') + " ");
    EXPECT_EQ(long1023.trimSpaces(), std::string(1021, 'x'));
}

TEST(EucStringTest, StripNewlinesDropsEveryLineBreakByte)
{
    EucString text("a\r\nb\nc\r");
    text.stripNewlines();
    EXPECT_EQ(text, "abc");

    EucString untouched(std::string("a\0b", 3));
    untouched.stripNewlines();
    EXPECT_EQ(untouched, std::string("a\0b", 3));

    EucString rebuilt(std::string("a\n\0b", 4));
    rebuilt.stripNewlines();
    EXPECT_EQ(rebuilt, "a");
}

TEST(EucStringTest, ToIntReadsTheLeadingNumberAndSaturates)
{
    struct Case { const char* text; int expected; };
    const Case cases[] = {
        {"42", 42}, {" -7x", -7}, {"abc", 0}, {"", 0},
        {"99999999999999999999", INT_MAX}, {"-99999999999999999999", INT_MIN},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EucString(c.text).toInt(), c.expected) << c.text;
    }
}

TEST(EucStringTest, CutTokenAtComma)
{
    struct Case { const char* text; const char* token; const char* rest; };
    const Case cases[] = {
        {" a ,b", "a", "b"},
        {"abc", "abc", ""},
        {",x", "", "x"},
        {"x,", "x", ""},
        {" abc ", " abc ", ""},  // no separator: untrimmed
        {"", "", ""},
        {"a, b ", "a", " b "},
    };
    for (const Case& c : cases) {
        EucString text(c.text);
        EXPECT_EQ(text.cutToken(","), c.token) << c.text;
        EXPECT_EQ(text, c.rest) << c.text;
    }
}

TEST(EucStringTest, CutTrimmedTokenTrimsTheRestOnlyWhenCut)
{
    EucString text("a,　b ");
    EXPECT_EQ(text.cutTrimmedToken(","), "a");
    EXPECT_EQ(text, "b");

    EucString whole(" x ");
    EXPECT_EQ(whole.cutTrimmedToken(","), " x ");
    EXPECT_EQ(whole, "");
}

TEST(EucStringTest, CutTokenIgnoresSeparatorBytesInsideCharacters)
{
    // "｜" is A1 C3; the separator C3 alone must not cut inside it.
    EucString text("｜\xC3z");
    EXPECT_EQ(text.cutToken("\xC3"), "｜");
    EXPECT_EQ(text, "z");
}

TEST(EucStringTest, TokenizeCutsAtEverySeparator)
{
    struct Case { const char* text; const char* separator; Items expected; };
    const Case cases[] = {
        {"a, b", ",", {"a", " b"}},
        {"a,,b,", ",", {"a", "", "b"}},
        {",a", ",", {"", "a"}},
        {" a ; b ", ";", {"a", " b "}},
        {"", ",", {}},
        {"a,b", "", {"a,b"}},
        {"猫／犬", "／", {"猫", "犬"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(tokenize(c.text, c.separator), c.expected) << c.text;
    }
}

TEST(EucStringTest, SplitStringCutsAtEveryByteMatch)
{
    struct Case { const char* text; const char* separator; Items expected; };
    const Case cases[] = {
        {"a, b", ", ", {"a", "b"}},
        {"", ",", {}},
        {",a,,b,", ",", {"", "a", "", "b"}},
        {" a ", ",", {" a "}},
        {"a,b", "", {"a,b"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(splitString(c.text, c.separator), c.expected) << c.text;
    }
}

// Text that ends in half a character: nothing may be compared with bytes
// after the last one (a std::string's terminating NUL included).
TEST(EucStringTest, TextEndingInHalfACharacterIsNeverReadPast)
{
    const EucString half("x\xA4");
    EXPECT_EQ(half.find(std::string("\xA4\0", 2), 0), -1);
    EXPECT_EQ(half.find("\xA4", 0), 1);
    EXPECT_EQ(half.count(std::string("\xA4\0", 2)), 0);
    EXPECT_EQ(half.count("\xA4"), 1);
    EXPECT_EQ(half.index("x"), 1);
    EXPECT_EQ(EucString("\xA1").trimSpaces(), "\xA1");
    EXPECT_EQ(EucString(" x\xA1").trimSpaces(), "x\xA1");
    EXPECT_EQ(EucString("x \xA1").trimSpaces(), "x \xA1");
    EXPECT_EQ(tokenize(EucString("a,\xA4"), ","), (Items{"a", "\xA4"}));
    EXPECT_EQ(tokenize(EucString("a\xA4"), std::string(",")), (Items{"a\xA4"}));
    EXPECT_EQ(EucString("a\xA4").replaceAll(std::string("\xA4\0", 2), "z"), "a\xA4");
}

}  // namespace
}  // namespace quibo
