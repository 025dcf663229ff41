#include "analysis/MorphemeList.h"

#include "knowledge/GradeClassifier.h"
#include "tests/support/InMemorySemanticNetwork.h"
#include "tests/support/Words.h"

#include <gtest/gtest.h>

namespace quibo {
namespace {

using test::keyForms;
using test::makeList;
using test::makeWord;
using test::ScopedSemanticNetwork;

constexpr std::uint32_t X = Morpheme::FLAG_X;
constexpr std::uint32_t Y = Morpheme::FLAG_Y;
constexpr std::uint32_t I = Morpheme::FLAG_I;
constexpr std::uint32_t E = Morpheme::FLAG_E;

Morpheme noun(const std::string& text, std::uint32_t flags = 0)
{
    return makeWord(text, pos::COMMON_NOUN, flags);
}

std::vector<std::uint8_t> flagsOf(const GradeClassifier& record)
{
    std::vector<std::uint8_t> flags;
    for (int n = 1; n <= 12; ++n)
        flags.push_back(record.getFlag(n));
    return flags;
}

class MorphemeListAlignmentTest : public ::testing::Test {
protected:
    ScopedSemanticNetwork network;
};

TEST_F(MorphemeListAlignmentTest, SequenceVerdicts)
{
    const MorphemeList a = makeList({noun("犬")});
    std::vector<int> map(1, -1);
    GradeClassifier record;
    EXPECT_EQ(a.matchSequence(a, map, record), 111);
    EXPECT_EQ(map, std::vector<int>{0});

    const MorphemeList ab = makeList({noun("犬"), noun("猫")});
    const MorphemeList ba = makeList({noun("猫"), noun("犬")});
    map.assign(2, -1);
    GradeClassifier swapped;
    EXPECT_EQ(ab.matchSequence(ba, map, swapped), 112);
    EXPECT_EQ(map, (std::vector<int>{1, 0}));

    // An optional word left over still aligns, out of the strict verdict.
    map.assign(2, -1);
    GradeClassifier optional;
    EXPECT_EQ(makeList({noun("犬"), noun("鳥", I)}).matchSequence(a, map, optional), 112);
}

TEST_F(MorphemeListAlignmentTest, SequenceFailsOnAnUnpairedRequiredWord)
{
    const MorphemeList ab = makeList({noun("犬"), noun("猫")});
    const MorphemeList ac = makeList({noun("犬"), noun("鳥")});
    std::vector<int> map(2, -1);
    GradeClassifier thisSide;
    EXPECT_EQ(ab.matchSequence(ac, map, thisSide), 313);
    EXPECT_EQ(thisSide.getEnabled(), 0);  // left untouched

    // This side pairs all its words; the other side's extra required word
    // fails the verdict after the record was filled.
    const MorphemeList a = makeList({noun("犬"), noun("鳥", I)});
    map.assign(2, -1);
    GradeClassifier otherSide;
    EXPECT_EQ(a.matchSequence(ab, map, otherSide), 313);
    EXPECT_EQ(otherSide.getEnabled(), 1);
    EXPECT_EQ(otherSide.getCountB(), 1);

    GradeClassifier empty;
    EXPECT_EQ(MorphemeList().matchSequence(ab, map, empty), 313);
}

TEST_F(MorphemeListAlignmentTest, SequenceGradingExample)
{
    const MorphemeList cat = makeList({noun("猫", X)});
    std::vector<int> map(1, -1);
    GradeClassifier record;
    ASSERT_EQ(cat.matchSequence(cat, map, record), 111);
    EXPECT_EQ(record.getPrimary(), 1);
    EXPECT_EQ(record.getSecondary(), 1);
    EXPECT_EQ(record.getCountA(), 0);
    EXPECT_EQ(record.getCountB(), 0);
    EXPECT_FLOAT_EQ(record.getScoreA(), 100.0f);
    EXPECT_FLOAT_EQ(record.getScoreB(), 100.0f);
    EXPECT_EQ(flagsOf(record), (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0}));
    EXPECT_EQ(record.getMarkA(), 0);
    EXPECT_EQ(record.getMarkB(), 0);
    EXPECT_EQ(record.getEnabled(), 1);
    EXPECT_EQ(record.gradeA(), 222);
    EXPECT_EQ(record.gradeB(), 311);
}

TEST_F(MorphemeListAlignmentTest, SequencePairsThroughTheNetwork)
{
    network->relate("犬", "柴犬", 1, 0);  // searched from the other list's word
    const MorphemeList title = makeList({noun("柴犬")});
    const MorphemeList sentence = makeList({noun("犬")});
    std::vector<int> map(1, -1);
    GradeClassifier record;
    EXPECT_EQ(title.matchSequence(sentence, map, record), 111);
    EXPECT_EQ(record.getSecondary(), 0);  // paired, but different base forms
    map.assign(1, -1);
    GradeClassifier reversed;
    EXPECT_EQ(sentence.matchSequence(title, map, reversed), 313);
}

TEST_F(MorphemeListAlignmentTest, NoteAlignmentReportsUnpairedAndLinkedWords)
{
    Morpheme linked = noun("塔", X);
    linked.setM(Morpheme::LINK_TO_PREVIOUS);
    const MorphemeList title = makeList({noun("猫", X), makeWord("走る", pos::VERB, Y), linked});
    const MorphemeList sentence = makeList({noun("猫", Y), noun("犬", X)});
    GradeClassifier record;
    title.noteAlignment(sentence, {0, -1, -1}, record);
    EXPECT_EQ(record.getPrimary(), 1);
    EXPECT_EQ(record.getCountA(), 2);
    EXPECT_EQ(record.getCountB(), 1);
    EXPECT_FLOAT_EQ(record.getScoreA(), 100.0f / 3.0f);
    EXPECT_FLOAT_EQ(record.getScoreB(), 50.0f);
    // 1: 猫 X paired with a word without X; 2: 走る unpaired without X;
    // 3: 塔 linked, unpaired, with X; 6: sentence 猫 Y paired with a word
    // without Y; 5: 犬 X unpaired; 9-12: both sides hold X and Y words.
    EXPECT_EQ(flagsOf(record), (std::vector<std::uint8_t>{1, 1, 1, 0, 1, 1, 0, 0, 1, 1, 1, 1}));
    EXPECT_EQ(record.gradeA(), 313);
}

TEST_F(MorphemeListAlignmentTest, HeadPairsMarkLinkedPairs)
{
    Morpheme a = noun("東京", X);
    a.setM(Morpheme::LINK_TO_NEXT);
    const MorphemeList title = makeList({a, noun("塔", X)});
    const MorphemeList sentence = makeList({a, noun("塔", X)});
    GradeClassifier record;
    title.noteHeadPairs(sentence, {0, 1}, record);
    EXPECT_EQ(record.getMarkA(), 1);  // both 東京 carry a link mark
    EXPECT_EQ(record.getMarkB(), 1);  // both 塔 are unlinked with a linked word before them

    GradeClassifier crossed;
    makeList({noun("猫", X)}).noteHeadPairs(makeList({noun("猫", Y)}), {0}, crossed);
    EXPECT_EQ(flagsOf(crossed), (std::vector<std::uint8_t>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0}));
}

TEST_F(MorphemeListAlignmentTest, AlignWordsNeedsANetworkPair)
{
    const MorphemeList ab = makeList({noun("犬"), noun("猫")});
    std::vector<int> map(2, -1);
    GradeClassifier record;
    EXPECT_EQ(ab.alignWords(ab, map, record), 313);
    EXPECT_EQ(map, (std::vector<int>{0, 1}));
    EXPECT_EQ(record.getEnabled(), 1);
    EXPECT_EQ(record.getPrimary(), 2);
}

TEST_F(MorphemeListAlignmentTest, AlignWordsGradesByDistance)
{
    struct Case {
        int depth;
        bool heads;
        int expected;
    };
    const Case cases[] = {
        {1, false, 122}, {1, true, 121}, {-1, false, 132}, {-1, true, 131},
        {2, false, 142}, {2, true, 141}, {-2, false, 313},
    };
    for (const Case& c : cases) {
        ScopedSemanticNetwork local;
        local->ignoreLimits();
        local->relate("動物", "犬", 1, c.depth);
        const MorphemeList title = makeList({noun("犬")});
        const MorphemeList sentence = makeList({noun("動物")});
        std::vector<int> map(1, -1);
        GradeClassifier record;
        if (c.heads) {
            // A record that already holds an alignment is only read.
            record.setEnabled(1);
            record.setMarkA(1);
        }
        EXPECT_EQ(title.alignWords(sentence, map, record), c.expected) << c.depth;
        EXPECT_EQ(map, std::vector<int>{-1}) << "a network pair is no map entry";
    }
}

TEST_F(MorphemeListAlignmentTest, AlignWordsPairsAtDepthZeroAndRespectsFlagE)
{
    network->relate("動物", "犬", 1, 0);
    std::vector<int> map(1, -1);
    GradeClassifier record;
    EXPECT_EQ(makeList({noun("犬")}).alignWords(makeList({noun("動物")}), map, record), 313);
    EXPECT_EQ(map, std::vector<int>{0});

    network->relate("動物", "猫", 1, 1);
    map.assign(1, -1);
    GradeClassifier excluded;
    EXPECT_EQ(makeList({noun("猫", E)}).alignWords(makeList({noun("動物")}), map, excluded), 313);
    EXPECT_EQ(excluded.getEnabled(), 0);
}

TEST_F(MorphemeListAlignmentTest, AlignLooselyReadsAFilledRecord)
{
    const MorphemeList cat = makeList({noun("猫", X)});
    std::vector<int> map(1, -1);
    GradeClassifier record;
    ASSERT_EQ(cat.matchSequence(cat, map, record), 111);
    std::vector<int> untouched(1, -1);
    EXPECT_EQ(cat.alignLoosely(cat, untouched, record), 222);
    EXPECT_EQ(untouched, std::vector<int>{-1});
    EXPECT_EQ(cat.gradeWithLimit(cat, record), 311);
    EXPECT_EQ(cat.gradeWithLimit(MorphemeList(), record), 313);
}

TEST_F(MorphemeListAlignmentTest, AlignLooselyCostsTwoPerUnpairedRequiredWord)
{
    const MorphemeList title = makeList({noun("猫", X), noun("犬"), noun("鳥", X)});
    std::vector<int> map(3, -1);
    GradeClassifier tooFew;
    EXPECT_EQ(title.alignLoosely(makeList({noun("鳥", X)}), map, tooFew), 313);
    EXPECT_EQ(tooFew.getEnabled(), 0);

    map.assign(3, -1);
    GradeClassifier enough;
    const MorphemeList sentence = makeList({noun("鳥", X), noun("猫", X)});
    const int grade = title.alignLoosely(sentence, map, enough);
    EXPECT_EQ(map, (std::vector<int>{1, -1, 0}));
    EXPECT_EQ(enough.getEnabled(), 1);
    EXPECT_EQ(grade, enough.gradeA());
    EXPECT_EQ(grade, 212);  // B side fully paired, A side short of 犬
}

TEST_F(MorphemeListAlignmentTest, IndexMapsAreSizedToTheLists)
{
    const MorphemeList ab = makeList({noun("犬"), noun("猫")});
    std::vector<int> shortMap;
    GradeClassifier record;
    EXPECT_EQ(ab.matchSequence(ab, shortMap, record), 111);
    EXPECT_EQ(shortMap, (std::vector<int>{0, 1}));

    // An entry naming no word of the other list is refused, not followed.
    std::vector<int> bad = {500, -1};
    GradeClassifier refused;
    EXPECT_EQ(ab.alignWords(ab, bad, refused), 313);
    EXPECT_EQ(ab.alignLoosely(ab, bad, refused), 313);
    std::vector<int> negative = {-7, -1};
    EXPECT_EQ(ab.alignWords(ab, negative, refused), 313);
    EXPECT_EQ(refused.getEnabled(), 0);
}

TEST_F(MorphemeListAlignmentTest, LongListsAlign)
{
    MorphemeList words;
    MorphemeList reversed;
    for (int i = 0; i < 200; ++i)
        words.push_back(noun("語" + std::to_string(i), X));
    for (int i = 199; i >= 0; --i)
        reversed.push_back(noun("語" + std::to_string(i), X));
    std::vector<int> map(200, -1);
    GradeClassifier record;
    EXPECT_EQ(words.matchSequence(words, map, record), 111);
    EXPECT_EQ(map[199], 199);
    EXPECT_EQ(record.getPrimary(), 200);

    map.assign(200, -1);
    GradeClassifier swapped;
    EXPECT_EQ(words.matchSequence(reversed, map, swapped), 112);
    EXPECT_EQ(map[0], 199);
    map.assign(200, -1);
    GradeClassifier loose;
    EXPECT_EQ(words.alignLoosely(reversed, map, loose), 222);
}

TEST_F(MorphemeListAlignmentTest, CountsDifferOnlyBeyondOptionalWords)
{
    auto listOf = [](int required, int optional) {
        MorphemeList list;
        for (int i = 0; i < required; ++i)
            list.push_back(noun("必"));
        for (int i = 0; i < optional; ++i)
            list.push_back(noun("任", I));
        return list;
    };
    const MorphemeList five = listOf(5, 0);
    for (int optional = 0; optional <= 4; ++optional)
        EXPECT_EQ(listOf(2, optional).countsDiffer(five, 100), optional < 3) << optional;
    EXPECT_TRUE(five.countsDiffer(listOf(2, 2), 100));
    EXPECT_FALSE(five.countsDiffer(listOf(2, 3), 100));
    EXPECT_FALSE(listOf(2, 0).countsDiffer(listOf(2, 9), 100));
    EXPECT_FALSE(listOf(2, 0).countsDiffer(five, 200));
}

TEST_F(MorphemeListAlignmentTest, CoverPercentages)
{
    const MorphemeList list;
    GradeClassifier none;
    none.setCountB(4);
    none.setScoreA(7.0f);
    list.setCoverPercentages(none);
    EXPECT_EQ(none.getScoreA(), 0.0f);
    EXPECT_EQ(none.getScoreB(), 0.0f);

    GradeClassifier some;
    some.setPrimary(1);
    some.setCountA(1);
    some.setCountB(3);
    list.setCoverPercentages(some);
    EXPECT_FLOAT_EQ(some.getScoreA(), 50.0f);
    EXPECT_FLOAT_EQ(some.getScoreB(), 25.0f);
}

TEST_F(MorphemeListAlignmentTest, ZigzagCost)
{
    const MorphemeList list;
    const std::pair<int, int> cases[] = {{0, -1}, {1, 1}, {-1, 2}, {2, 3}, {-2, 4}};
    for (const auto& [distance, cost] : cases)
        EXPECT_EQ(list.zigzagCost(distance), cost) << distance;
}

// 犬 is a short noun (searched two levels, distances clamped to -1..1);
// 動物園 is not (one level).
TEST_F(MorphemeListAlignmentTest, CoverCostsOverEachDepth)
{
    struct Case {
        const char* word;
        int depth;
        bool covered;
        int cost;
    };
    const Case cases[] = {
        {"犬", -2, true, 2}, {"犬", -1, true, 2}, {"犬", 0, true, -1}, {"犬", 1, true, 1},
        {"犬", 2, true, 1},
        {"動物園", -2, false, 99999}, {"動物園", -1, true, 2}, {"動物園", 0, true, -1},
        {"動物園", 1, true, 1}, {"動物園", 2, false, 99999},
    };
    for (const Case& c : cases) {
        ScopedSemanticNetwork local;
        local->relate(c.word, "生き物", 1, c.depth);
        const MorphemeList mine = makeList({noun(c.word), makeWord("の", 0x1000001, I)});
        const MorphemeList theirs = makeList({noun("生き物")});
        CoverResult result;
        EXPECT_EQ(mine.coverWith(theirs, false, result), c.covered) << c.word << " " << c.depth;
        EXPECT_EQ(result.cost, c.cost) << c.word << " " << c.depth;
        if (c.covered) {
            EXPECT_EQ(result.uncoveredIgnorable, 1);
        }
        EXPECT_EQ(mine.isCoveredBy(theirs), c.covered);
        EXPECT_FALSE(theirs.isCoveredBy(mine));
    }
}

TEST_F(MorphemeListAlignmentTest, MutualCoverSearchesFromTheOtherList)
{
    struct Case {
        int depth;
        bool covered;
        int cost;
    };
    // The other list's word is the short noun here.
    const Case cases[] = {{-2, true, 2}, {-1, true, 2}, {0, true, -1}, {1, true, 1}, {2, true, 1}};
    for (const Case& c : cases) {
        ScopedSemanticNetwork local;
        local->relate("犬", "生き物", 1, c.depth);
        const MorphemeList mine = makeList({noun("生き物")});
        const MorphemeList theirs = makeList({noun("犬"), makeWord("の", 0x1000001, I)});
        CoverResult result;
        EXPECT_EQ(mine.coverBothWays(theirs, result), c.covered) << c.depth;
        EXPECT_EQ(result.cost, c.cost) << c.depth;
        EXPECT_EQ(result.uncoveredIgnorable, 0);  // only this list's words are counted
        EXPECT_EQ(mine.isMutuallyCovered(theirs), c.covered);
    }
    EXPECT_FALSE(MorphemeList().isMutuallyCovered(makeList({noun("犬")})));
    CoverResult failed;
    failed.cost = 3;
    EXPECT_FALSE(makeList({noun("犬")}).coverBothWays(makeList({noun("猫")}), failed));
    EXPECT_EQ(failed.cost, 99999);
}

TEST_F(MorphemeListAlignmentTest, NumeralRunsMergeIntoOneWord)
{
    Morpheme one = makeWord("１", pos::NUMERAL);
    one.setReading("いち");
    Morpheme comma = makeWord("，", 0x10002);
    comma.setReading("、");
    Morpheme rest = makeWord("２３４", pos::NUMERAL);
    rest.setReading("にさんよん");
    one.setFlags(Morpheme::FLAG_X);
    MorphemeList list = makeList({one, comma, rest});
    list.setListNumber(4);
    const MorphemeList merged = list.mergeNumerals();
    ASSERT_EQ(merged.size(), 1u);
    EXPECT_EQ(merged.at(0).surfaceRef(), "１２３４");
    EXPECT_EQ(merged.at(0).keyFormRef(), "１，２３４");
    EXPECT_EQ(merged.at(0).baseFormRef(), "１，２３４");
    EXPECT_EQ(merged.at(0).readingRef(), "いち、にさんよん");
    EXPECT_EQ(merged.at(0).getFlags(), Morpheme::FLAG_X);  // a copy of the first numeral
    EXPECT_EQ(merged.getListNumber(), 4);

    const MorphemeList kanji = makeList({makeWord("二十三", pos::NUMERAL)}).mergeNumerals();
    EXPECT_EQ(kanji.at(0).surfaceRef(), "２３");
    EXPECT_EQ(kanji.at(0).keyFormRef(), "二十三");
}

TEST_F(MorphemeListAlignmentTest, NumeralListsAndRangesJoinInTheSecondPass)
{
    struct Case {
        std::vector<Morpheme> words;
        const char* expected;  // key forms after the merge
    };
    const Case cases[] = {
        // "１２，３" is no number: the words stay apart in the first pass and
        // are joined as a list in the second.
        {{makeWord("１２", pos::NUMERAL), makeWord("，", 0x10002), makeWord("三", pos::NUMERAL)}, "１２，３"},
        {{makeWord("１２", pos::NUMERAL), makeWord("、", 0x10002), makeWord("３", pos::NUMERAL)}, "１２，３"},
        {{makeWord("３", pos::NUMERAL), makeWord("〜", 0x10010), makeWord("５", pos::NUMERAL),
          makeWord("冊", pos::COUNTER_SUFFIX)},
         "３〜５冊"},
        {{makeWord("三", pos::NUMERAL), makeWord("冊", pos::COUNTER_SUFFIX), makeWord("の", 0x1000001)},
         "３冊 の"},
        {{makeWord("３", pos::NUMERAL), makeWord("〜", 0x10010)}, "３ 〜"},
    };
    for (const Case& c : cases) {
        const MorphemeList merged = MorphemeList(c.words).mergeNumerals();
        EXPECT_EQ(keyForms(merged), c.expected);
    }
}

TEST_F(MorphemeListAlignmentTest, MergeWithoutNumeralsRaisesLatinLetters)
{
    Morpheme keyed = makeWord("ｐｃ", pos::UNDEFINED_OTHER);
    keyed.setKeyForm("パソコン");
    const MorphemeList list = makeList({makeWord("ａｂｃ", pos::UNKNOWN_ALPHABET), makeWord("ｘ", pos::UNKNOWN_ALPHABET),
                                        keyed, makeWord("カメラ", pos::UNKNOWN_KATAKANA),
                                        makeWord("ネ", pos::UNKNOWN_KATAKANA)});
    const MorphemeList merged = list.mergeNumerals();
    ASSERT_EQ(merged.size(), 5u);
    EXPECT_EQ(merged.at(0).surfaceRef(), "ＡＢＣ");
    EXPECT_EQ(merged.at(0).baseFormRef(), "ＡＢＣ");
    EXPECT_EQ(merged.at(0).getPosCode(), pos::PROPER_NOUN);
    EXPECT_EQ(merged.at(0).getOriginalPosCode(), pos::PROPER_NOUN);
    EXPECT_EQ(merged.at(1).surfaceRef(), "Ｘ");
    EXPECT_EQ(merged.at(1).getPosCode(), pos::UNKNOWN_ALPHABET);  // 2 bytes: too short
    EXPECT_EQ(merged.at(2).surfaceRef(), "ｐｃ");  // its key form differs: left as it is
    EXPECT_EQ(merged.at(3).getPosCode(), pos::PROPER_NOUN);
    EXPECT_EQ(merged.at(4).getPosCode(), pos::UNKNOWN_KATAKANA);
    EXPECT_TRUE(MorphemeList().mergeNumerals().empty());
}

}  // namespace
}  // namespace quibo
