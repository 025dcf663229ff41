#include "analysis/MorphemeList.h"
#include "knowledge/CDictionary.h"
#include "tests/support/InMemorySemanticNetwork.h"
#include "tests/support/Words.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quibo {
namespace {

using test::keyForms;
using test::makeList;
using test::makeWord;
using test::sense;

Morpheme noun(const std::string& text) { return makeWord(text, pos::COMMON_NOUN); }
Morpheme particle(const std::string& text) { return makeWord(text, pos::PARTICLE); }
Morpheme symbol(const std::string& text) { return makeWord(text, pos::SPECIAL + 1); }

std::vector<std::string> readings(const std::vector<MorphemeList>& lists)
{
    std::vector<std::string> texts;
    for (const MorphemeList& list : lists)
        texts.push_back(keyForms(list) + " #" + std::to_string(list.getListNumber()));
    return texts;
}

class PhraseStructureTest : public ::testing::Test {
protected:
    std::vector<MorphemeList> build(const MorphemeList& words, int expandAll = 1)
    {
        ::testing::internal::CaptureStdout();
        std::vector<MorphemeList> result = words.buildPhraseStructure(dictionary, 0, expandAll);
        ::testing::internal::GetCapturedStdout();
        return result;
    }

    test::ScopedSemanticNetwork network;
    CDictionary dictionary;
};

TEST_F(PhraseStructureTest, ARunAcrossAParticleIsReadAsEachOfItsRelatedWords)
{
    network->addSense("甲乙", sense("子"));
    network->addSense("甲乙", sense("丑"));
    const MorphemeList words = makeList({makeWord("はい", pos::INTERJECTION), noun("甲"), particle("の"),
                                         noun("乙"), particle("を"), symbol("。")});
    EXPECT_EQ(readings(build(words)), (std::vector<std::string>{"はい 子 を 。 #1", "はい 丑 を 。 #1"}));
    const std::vector<MorphemeList> again = build(words);
    ASSERT_EQ(again.size(), 2u);
    EXPECT_EQ(again[0].at(1).getSpareMark(), 1) << "the phrase's word is marked as made";
    EXPECT_EQ(again[0].at(0).getSpareMark(), 0);
}

TEST_F(PhraseStructureTest, WordsBeforeTheRunStayBeforeItAndTheLevelsAddUp)
{
    network->reach("丙", 0, 0, "丁");
    network->reach("乙", 1, 0, "乙丁");
    network->addSense("乙丁", sense("寅"));
    const MorphemeList words =
        makeList({noun("甲"), particle("を"), makeWord("すし", pos::COMMON_NOUN), noun("乙"), particle("の"),
                  noun("丙")});
    // すし ends the first segment and leans on 乙 with を.
    EXPECT_EQ(readings(build(words)), (std::vector<std::string>{"甲 を すし 寅 #2"}));
}

TEST_F(PhraseStructureTest, NoRunSpansAWordThatEndsASegment)
{
    network->addSense("甲乙", sense("子"));
    Morpheme flagged = noun("刻");
    flagged.setFlags(Morpheme::FLAG_A);
    Morpheme filler = makeWord("ねえ", pos::COMMON_NOUN);
    const struct {
        const char* name;
        Morpheme breaker;
    } breakers[] = {
        {"short hiragana content word", filler},
        {"word with flag A", flagged},
        {"adjectival suffix", makeWord("らしい", 0x20000010)},
        {"na-adjectival suffix", makeWord("的", 0x20000020)},
        {"verbal suffix", makeWord("がる", 0x20000040)},
    };
    for (const auto& row : breakers) {
        const MorphemeList words = makeList({noun("甲"), row.breaker, noun("乙")});
        EXPECT_TRUE(build(words).empty()) << row.name;
    }
    // A pending word between them does not end the segment.
    EXPECT_EQ(readings(build(makeList({noun("甲"), particle("と"), noun("乙")}))),
              (std::vector<std::string>{"子 #1"}));
}

TEST_F(PhraseStructureTest, LongHiraganaWordsTheNetworkKnowsAreNodes)
{
    network->addSense("りんご", sense("林檎"));
    network->addSense("甲りんご", sense("子"));
    EXPECT_EQ(readings(build(makeList({noun("甲"), makeWord("りんご", pos::COMMON_NOUN)}))),
              (std::vector<std::string>{"子 #1"}));
    // Unknown to the network, the same kind of word ends the segment.
    EXPECT_TRUE(build(makeList({noun("甲"), makeWord("みかん", pos::COMMON_NOUN)})).empty());
}

TEST_F(PhraseStructureTest, NothingComesBackWithoutARunTheNetworkKnows)
{
    EXPECT_TRUE(build(MorphemeList()).empty());
    EXPECT_TRUE(build(makeList({particle("は"), symbol("。")})).empty());
    EXPECT_TRUE(build(makeList({noun("甲"), particle("の"), noun("乙")})).empty());
}

TEST_F(PhraseStructureTest, FiftyWordsAreReadAndFiftyOneAreNot)
{
    network->addSense("甲乙", sense("子"));
    std::vector<Morpheme> words{noun("甲"), particle("の"), noun("乙")};
    while (words.size() < 50)
        words.push_back(words.size() % 2 ? particle("と") : noun("丙"));
    ASSERT_EQ(build(MorphemeList(words)).size(), 1u);

    dictionary.phraseCache().clear();
    words.push_back(noun("丁"));
    const int asked = network->calls();
    EXPECT_TRUE(build(MorphemeList(words)).empty());
    EXPECT_EQ(network->calls(), asked);
    EXPECT_TRUE(dictionary.phraseCache().empty()) << "no phrase was built";
}

TEST_F(PhraseStructureTest, WithoutExpandAllOnlyRunsNextToMadeWordsAreLookedUp)
{
    network->addSense("甲乙", sense("子"));
    network->addSense("子丙", sense("丑"));
    MorphemeList words = makeList({noun("甲"), particle("の"), noun("乙"), particle("の"), noun("丙")});
    EXPECT_TRUE(build(words, 0).empty());
    EXPECT_TRUE(dictionary.phraseCache().empty());

    const std::vector<MorphemeList> first = build(words, 1);
    ASSERT_EQ(readings(first), (std::vector<std::string>{"子 の 丙 #1"}));
    EXPECT_EQ(readings(build(first[0], 0)), (std::vector<std::string>{"丑 #1"}));
}

TEST_F(PhraseStructureTest, PendingWordsAfterTheLastNodeComeBackUnchanged)
{
    network->addSense("甲乙", sense("子"));
    network->addSense("甲乙", sense("丑"));
    network->addSense("丙丁", sense("寅"));
    const MorphemeList words = makeList({noun("甲"), noun("乙"), makeWord("的", 0x20000020), noun("丙"),
                                         noun("丁"), particle("か"), symbol("？")});
    // Segments vary in sentence order, the first slowest.
    EXPECT_EQ(readings(build(words)), (std::vector<std::string>{"甲 乙 的 寅 か ？ #1", "子 的 丙 丁 か ？ #1",
                                                                "子 的 寅 か ？ #2", "丑 的 丙 丁 か ？ #1",
                                                                "丑 的 寅 か ？ #2"}));
}

TEST_F(PhraseStructureTest, AVisitThatStopsEarlyGetsTheSameFirstLists)
{
    for (const char* related : {"子", "丑", "寅", "卯", "辰"}) {
        network->addSense("甲乙", sense(related));
        network->addSense("丙丁", sense(related));
        network->addSense("戊己", sense(related));
    }
    const MorphemeList words = makeList({noun("甲"), noun("乙"), makeWord("的", 0x20000020), noun("丙"),
                                         noun("丁"), makeWord("的", 0x20000020), noun("戊"), noun("己")});
    const std::vector<MorphemeList> all = build(words);
    EXPECT_EQ(all.size(), 215u);  // 6 * 6 * 6 - 1
    for (const std::size_t wanted : {1u, 7u, 40u, 214u}) {
        std::vector<MorphemeList> first;
        words.forEachPhraseReading(dictionary, 0, 1, [&](MorphemeList& list) {
            first.push_back(list);
            return first.size() < wanted;
        });
        ASSERT_EQ(first.size(), wanted);
        EXPECT_EQ(readings(first), readings(std::vector<MorphemeList>(all.begin(), all.begin() + wanted)));
    }
}

// Segments are read lazily under a cap of 32 readings; a segment above it
// must still give every combination once, first segment slowest.
TEST_F(PhraseStructureTest, ASegmentAboveTheReadingCapGivesEveryCombinationOnce)
{
    network->addSense("甲乙", sense("子"));
    std::vector<std::string> second{"丙 丁"};
    for (int k = 0; k < 40; ++k) {
        second.push_back("語" + std::to_string(k));
        network->addSense("丙丁", sense(second.back()));
    }
    std::vector<std::string> expected;
    for (const std::string first : {"甲 乙", "子"}) {
        for (const std::string& other : second) {
            const int level = (first != "甲 乙") + (other != second[0]);
            if (level > 0)
                expected.push_back(first + " 的 " + other + " #" + std::to_string(level));
        }
    }
    const MorphemeList words =
        makeList({noun("甲"), noun("乙"), makeWord("的", 0x20000020), noun("丙"), noun("丁")});
    EXPECT_EQ(readings(build(words)), expected);  // 81 lists
}

}  // namespace
}  // namespace quibo
