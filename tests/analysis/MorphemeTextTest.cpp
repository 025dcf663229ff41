#include "analysis/MorphemeList.h"

#include "tests/support/TempRegistry.h"
#include "tests/support/Words.h"

#include <gtest/gtest.h>

namespace quibo {
namespace {

using test::makeList;
using test::makeWord;

TEST(MorphemeTextTest, EmptySentencesGiveNoLists)
{
    EXPECT_TRUE(parseMorphemeText("").empty());
    EXPECT_TRUE(parseMorphemeText("/").empty());
    EXPECT_TRUE(parseMorphemeText("//\n").empty());

    const auto one = parseMorphemeText("犬,犬,6,1,0,,いぬ/");
    ASSERT_EQ(one.size(), 1u);
    ASSERT_EQ(one[0].size(), 1u);
    EXPECT_EQ(one[0].getListNumber(), 0);
}

TEST(MorphemeTextTest, TwoWordSentence)
{
    const auto lists = parseMorphemeText("犬,犬,6,1,0,,いぬ;走る,走る,2,0,10,基本形,はしる");
    ASSERT_EQ(lists.size(), 1u);
    ASSERT_EQ(lists[0].size(), 2u);
    const Morpheme& dog = lists[0].at(0);
    EXPECT_EQ(dog.surfaceRef(), "犬");
    EXPECT_EQ(dog.keyFormRef(), "犬");
    EXPECT_EQ(dog.readingRef(), "いぬ");
    EXPECT_EQ(dog.getPosCode(), 0x200001u);
    EXPECT_EQ(dog.getConjugation(), 0);
    const Morpheme& run = lists[0].at(1);
    EXPECT_EQ(run.baseFormRef(), "走る");
    EXPECT_EQ(run.getPosCode(), 0x20000u);
    EXPECT_EQ(run.getConjugation(), 10 * 0x10000 + 45);
    EXPECT_EQ(run.readingRef(), "はしる");
    EXPECT_EQ(run.getFlags(), 0u);
    EXPECT_EQ(run.getKnowledgeObject(), nullptr);
}

TEST(MorphemeTextTest, FormNamesOutsideTheTableGiveFormZero)
{
    struct Case {
        const char* form;
        int expected;
    };
    const Case cases[] = {{"基本形", 45}, {"基本連体形", 59}, {"", 0}, {"無い形", 0}, {"タ形", 1}};
    for (const Case& c : cases) {
        const auto lists = parseMorphemeText(std::string("走る,走る,2,0,10,") + c.form + ",はしる");
        ASSERT_EQ(lists.size(), 1u);
        EXPECT_EQ(lists[0].at(0).getConjugation() & 0xFFFF, c.expected) << c.form;
    }
}

TEST(MorphemeTextTest, MissingFieldsAndBlanks)
{
    const auto lists = parseMorphemeText(" 犬 , いぬ ;;猫;  / 鳥,鳥,6,1,0,, とり ");
    ASSERT_EQ(lists.size(), 2u);
    ASSERT_EQ(lists[0].size(), 2u);  // the empty word between ";;" is skipped
    EXPECT_EQ(lists[0].at(0).surfaceRef(), "犬");
    // The last field keeps its blanks when no "," follows it.
    EXPECT_EQ(lists[0].at(0).baseFormRef(), " いぬ");
    EXPECT_EQ(lists[0].at(0).getPosCode(), pos::code(0, 0));
    EXPECT_EQ(lists[0].at(1).surfaceRef(), "猫");
    EXPECT_EQ(lists[1].at(0).readingRef(), " とり ");
}

TEST(MorphemeTextTest, OnlyOneTrailingLineFeedIsRemoved)
{
    const std::string text = "犬,犬,6,1,0,,いぬ";
    const auto plain = parseMorphemeText(text);
    const auto withFeed = parseMorphemeText(text + "\n");
    ASSERT_EQ(withFeed.size(), 1u);
    EXPECT_EQ(withFeed[0].at(0).readingRef(), plain[0].at(0).readingRef());
    const auto withTwo = parseMorphemeText(text + "\n\n");
    EXPECT_EQ(withTwo[0].at(0).readingRef(), "いぬ\n");
}

TEST(MorphemeTextTest, FormattedTextParsesBackToTheSameWords)
{
    const std::string text =
        "今日,今日,6,10,0,,きょう;は,は,9,2,0,,は;晴れ,晴れる,2,0,1,基本連用形,はれ/"
        "静かな,静かだ,3,0,21,ダ列基本連体形,しずかな;犬,犬,6,1,0,,いぬ;"
        "三,三,6,7,0,,さん;冊,冊,14,3,0,,さつ;。,。,1,1,0,,。";
    const auto lists = parseMorphemeText(text);
    ASSERT_EQ(lists.size(), 2u);
    const auto again = parseMorphemeText(formatMorphemeText(lists));
    ASSERT_EQ(again.size(), lists.size());
    for (std::size_t s = 0; s < lists.size(); ++s) {
        ASSERT_EQ(again[s].size(), lists[s].size());
        for (std::size_t w = 0; w < lists[s].size(); ++w) {
            const Morpheme& a = lists[s].at(w);
            const Morpheme& b = again[s].at(w);
            EXPECT_EQ(b.dump(0x1FF), a.dump(0x1FF));
            EXPECT_EQ(b.baseFormRef(), a.baseFormRef());
            EXPECT_EQ(b.getOriginalPosCode(), a.getOriginalPosCode());
        }
    }
    EXPECT_EQ(formatMorphemeText(again), formatMorphemeText(lists));
}

TEST(MorphemeTextTest, ListDumpJoinsWordDumps)
{
    const MorphemeList list = makeList({makeWord("犬", pos::COMMON_NOUN), makeWord("猫", pos::COMMON_NOUN)});
    EXPECT_EQ(list.dump("文", 0x1), "文\t( 犬 )( 猫 )\n");
    EXPECT_EQ(list.dump("", 0x1), "( 犬 )( 猫 )\n");
    EXPECT_EQ(MorphemeList().dump("", 0x1), "\n");
    EXPECT_EQ(list.getText(), "犬猫");
    EXPECT_EQ(MorphemeList().joinSurfaces(), "");
}

TEST(MorphemeTextTest, PrintWritesTheDumpsAsUtf8)
{
    MorphemeList list = makeList({makeWord("犬", pos::COMMON_NOUN), makeWord("塔", pos::ENTITY)});
    testing::internal::CaptureStdout();
    list.print("文", 0x1 | 0x8);
    list.print("", 0x1 | 0x200 | 0x80);
    // The variant's own dump is the one printed, then its level.
    VariantWord(makeWord("猫", pos::COMMON_NOUN), 4).print(0x1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              test::utf8(u8"文\t( 犬 普通名詞 )( 塔 ET )\n") + "\n" + test::utf8(u8"( 塔 )\n\n( 猫  levelVari=4)4\n"));
}

}  // namespace
}  // namespace quibo
