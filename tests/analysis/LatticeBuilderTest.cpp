// Segmentations over hand-made dictionaries, one per lattice rule.
#include "analysis/LatticeBuilder.h"

#include <gtest/gtest.h>

#include "tests/analysis/DoskTestDictionary.h"

namespace quibo {
namespace {

using namespace testing;

struct Segment {
    std::string surface;
    int classId;
    bool listed;  // has an entry

    bool operator==(const Segment&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Segment& s)
{
    return out << "{" << s.classId << (s.listed ? " listed" : " unlisted") << "}";
}

// Segments `text` with a dictionary made from `source`.
std::vector<Segment> segment(const DoskSource& source, const std::string& text, bool* found = nullptr)
{
    TemporaryDictionary file("lattice", source);
    LatticeBuilder builder;
    EXPECT_TRUE(builder.load(file.path(), CODE_TYPE_EUC, "TEST_LATTICE"));
    CodeUnits units = toCodeUnits(text, CODE_TYPE_EUC);
    std::vector<DoskWord> words;
    bool ok = builder.build(units, words);
    if (found) *found = ok;
    std::vector<Segment> segments;
    for (const DoskWord& word : words)
        segments.push_back({toText(units.data() + word.offset, static_cast<std::size_t>(word.length), CODE_TYPE_EUC),
                            word.classId, word.entry > 0});
    return segments;
}

DoskSource withRanges()
{
    DoskSource source = baseSource();
    source.ranges = {{0x30A1, 0x30F6, KATAKANA, 1000},
                     {0xFF10, 0xFF19, NUMERAL, 500},
                     {0xFF21, 0xFF3A, ALPHABET, 700}};
    return source;
}

TEST(LatticeTest, DictionaryWordsAndConnectionsChooseThePath)
{
    DoskSource source = withRanges();
    addWord(source, "犬", NOUN, 100, "イヌ");
    addWord(source, "が", PARTICLE, 50, "ガ");
    addWord(source, "が", NOUN, 40, "ガ");
    addWord(source, "走る", VERB, 200, "ハシル");
    setConnection(source, NOUN, NOUN, 500);  // makes が a particle after 犬
    std::vector<Segment> expected = {{"犬", NOUN, true}, {"が", PARTICLE, true}, {"走る", VERB, true}};
    EXPECT_EQ(segment(source, "犬が走る"), expected);
}

TEST(LatticeTest, SingleUnlistedCharacterTakesItsRangeClassOrTheLastClass)
{
    DoskSource source = withRanges();
    addWord(source, "犬", NOUN, 100, "イヌ");
    struct Case {
        const char* text;
        int classId;
    } cases[] = {{"猫", OTHER}, {"ア", KATAKANA}, {"５", NUMERAL}, {"Ｑ", ALPHABET}};
    for (const Case& c : cases) {
        std::vector<Segment> expected = {{c.text, c.classId, false}};
        EXPECT_EQ(segment(source, c.text), expected) << c.classId;
    }
}

TEST(LatticeTest, UnlistedKatakanaRunIsOneWord)
{
    DoskSource source = withRanges();
    addWord(source, "が", PARTICLE, 50, "ガ");
    std::vector<Segment> expected = {{"テスト", KATAKANA, false}, {"が", PARTICLE, true}};
    EXPECT_EQ(segment(source, "テストが"), expected);
    // Unlisted ideographs have no range: each is a word of its own.
    expected = {{"猫", OTHER, false}, {"鳥", OTHER, false}};
    EXPECT_EQ(segment(source, "猫鳥"), expected);
}

TEST(LatticeTest, RangeCostOfARunIsPaidOnce)
{
    // The listed word costs 2000: it beats four characters at 1000 each but
    // not one run whose range cost is paid once.
    DoskSource source = withRanges();
    addWord(source, "テストア", NOUN, 2000, "テストア");
    std::vector<Segment> expected = {{"テストア", KATAKANA, false}};
    EXPECT_EQ(segment(source, "テストア"), expected);
}

TEST(LatticeTest, EqualTotalsKeepTheFirstDictionaryNodeButTheLastForUnlistedWords)
{
    DoskSource source = withRanges();
    addWord(source, "犬", NOUN, 100, "イヌ");
    addWord(source, "犬", PLACE, 100, "イヌ");
    addWord(source, "が", PARTICLE, 50, "ガ");
    // End of sentence and dictionary words: the first inserted wins.
    std::vector<Segment> expected = {{"犬", NOUN, true}};
    EXPECT_EQ(segment(source, "犬"), expected);
    expected = {{"犬", NOUN, true}, {"が", PARTICLE, true}};
    EXPECT_EQ(segment(source, "犬が"), expected);
    // A one-character unlisted word follows the last of the equal nodes.
    expected = {{"犬", PLACE, true}, {"猫", OTHER, false}};
    EXPECT_EQ(segment(source, "犬猫"), expected);
}

TEST(LatticeTest, OneCharacterWordInsideAnIdeographRunPaysThePenaltyAndNoConnection)
{
    struct Case {
        int rangeCost;
        std::vector<Segment> expected;
    } cases[] = {
        // 山 + 川 cost 100 + 100 + 20000 against the run's range cost.
        {3000, {{"山川", KANJI_RUN, false}}},
        // The connection PLACE -> PLACE (30000) is not charged inside the run.
        {25000, {{"山", PLACE, true}, {"川", PLACE, true}}},
    };
    for (const Case& c : cases) {
        DoskSource source = baseSource();
        source.ranges = {{0x4E00, 0x9FA0, KANJI_RUN, static_cast<std::int16_t>(c.rangeCost)}};
        addWord(source, "山", PLACE, 100, "ヤマ");
        addWord(source, "川", PLACE, 100, "カワ");
        setConnection(source, PLACE, PLACE, 30000);
        EXPECT_EQ(segment(source, "山川"), c.expected) << c.rangeCost;
    }
}

TEST(LatticeTest, CompoundSplitsOnlyForKBetween64And127)
{
    struct Case {
        int k;
        std::vector<Segment> expected;
    } cases[] = {
        {64, {{"東京", PLACE, true}, {"都", SUFFIX, true}}},
        {64 + 0x3F, {{"東京", PLACE, true}, {"都", SUFFIX, true}}},  // with skipped fields
        {128, {{"東京都", PLACE, true}}},
        {0x30, {{"東京都", PLACE, true}}},
    };
    for (const Case& c : cases) {
        DoskSource source = withRanges();
        addWord(source, "東京", PLACE, 3000, "トウキョウ");
        addWord(source, "都", SUFFIX, 3000, "ト");
        DoskSourceWord compound;
        compound.key = "東京都";
        compound.classId = PLACE;
        compound.cost = 100;
        compound.reading = "トウキョウト";
        compound.compound = c.k;
        if (c.k >= 64) compound.parts = {{"東京", PLACE}, {"都", SUFFIX}};
        compound.skippedFields = {1, 2, 3, 4, 5, 6, 7, 8, 9};
        source.words.push_back(compound);
        addWord(source, "が", PARTICLE, 50, "ガ");
        std::vector<Segment> expected = c.expected;
        expected.push_back({"が", PARTICLE, true});
        EXPECT_EQ(segment(source, "東京都が"), expected) << c.k;
    }
}

TEST(LatticeTest, DictionaryWordEndingInsideAnUnreachedRunStillReachesTheEnd)
{
    // 漢カ ends inside the katakana run カキ whose first cell nothing
    // reached, so no run node exists to extend at キ.
    DoskSource source = withRanges();
    addWord(source, "漢カ", NOUN, 100, "カンカ");
    bool found = false;
    std::vector<Segment> expected = {{"漢カ", NOUN, true}, {"キ", KATAKANA, false}};
    EXPECT_EQ(segment(source, "漢カキ", &found), expected);
    EXPECT_TRUE(found);
}

TEST(LatticeTest, EmptySentenceHasAnEmptyPath)
{
    bool found = false;
    EXPECT_TRUE(segment(withRanges(), "", &found).empty());
    EXPECT_TRUE(found);
}

TEST(LatticeTest, ComposeReadingSpellsUnlistedWordsFromWordsOfTheirClass)
{
    DoskSource source = withRanges();
    addWord(source, "東京", PLACE, 100, "トウキョウ");
    addWord(source, "京", NOUN, 100, "キョウ");
    addWord(source, "都", PLACE, 100, "ト");
    TemporaryDictionary file("compose", source);
    LatticeBuilder builder;
    ASSERT_TRUE(builder.load(file.path(), CODE_TYPE_EUC, "TEST_COMPOSE"));
    std::string reading;
    EXPECT_TRUE(builder.composeReading(reading, "東京都", PLACE));
    EXPECT_EQ(reading, "トウキョウト");
    // The second piece, 京, has no entry of class PLACE.
    EXPECT_FALSE(builder.composeReading(reading, "東京京", PLACE));
    EXPECT_EQ(reading, "トウキョウ");
    EXPECT_TRUE(builder.composeReading(reading, "", PLACE));
    EXPECT_EQ(reading, "");
}

}  // namespace
}  // namespace quibo
