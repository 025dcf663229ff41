#include "analysis/PhraseSet.h"
#include "knowledge/CDictionary.h"
#include "knowledge/Entity.h"
#include "tests/support/InMemorySemanticNetwork.h"
#include "tests/support/Words.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quibo {
namespace {

using test::makeWord;
using test::sense;

Morpheme wordWithKey(const std::string& surface, const std::string& key, PosCode code)
{
    Morpheme word = makeWord(surface, code);
    word.setKeyForm(key);
    return word;
}

std::string attachedKeys(const PhraseRecord& phrase)
{
    std::string text;
    for (const VariantWord& word : phrase.getAttachedWords())
        text += (text.empty() ? "" : " ") + std::string(word.keyFormRef()) + "/" + std::to_string(word.getLevelVari());
    return text;
}

class PhraseBuilderTest : public ::testing::Test {
protected:
    PhraseBuilderTest() { node.setLimit(2); }

    PhraseRecord build(const std::vector<Morpheme>& words, int option = 0)
    {
        ::testing::internal::CaptureStdout();
        PhraseRecord phrase = node.buildPhrase(words, dictionary, option);
        ::testing::internal::GetCapturedStdout();
        return phrase;
    }

    test::ScopedSemanticNetwork network;
    CDictionary dictionary;
    WordNode node;
    const Morpheme cat = makeWord("猫", pos::COMMON_NOUN);
    const Morpheme dog = makeWord("犬", pos::COMMON_NOUN);
};

TEST_F(PhraseBuilderTest, TheRelatedNounsOfTheJoinedRunBecomeAttachedWords)
{
    network->addSense("猫犬", sense("犬猫"));
    network->addSense("猫犬", sense("動く", '0', 'P'));  // only N relations name a word
    network->addSense("猫犬", sense("猫"));
    network->addSense("猫犬", sense("ペット"));
    const PhraseRecord phrase = build({cat, dog});
    EXPECT_EQ(attachedKeys(phrase), "犬猫/1 猫/1 ペット/1");
    EXPECT_FALSE(PhraseRecord::isPresent(phrase.getMainWord()));
    for (const VariantWord& word : phrase.getAttachedWords()) {
        EXPECT_EQ(word.getSpareMark(), 1) << "made by the builder";
        EXPECT_TRUE(word.hasFlagG());
    }
    EXPECT_EQ(dictionary.phraseCache().count("猫-猫:犬-犬"), 1u);
}

TEST_F(PhraseBuilderTest, ARelatedWordNamingTheRunsOnlyContentWordIsLeftOut)
{
    const Morpheme suffix = makeWord("ちゃん", pos::COUNTER_SUFFIX);
    network->addSense("猫ちゃん", sense("猫"));
    network->addSense("猫ちゃん", sense("子猫"));
    EXPECT_EQ(attachedKeys(build({cat, suffix})), "子猫/1");
}

TEST_F(PhraseBuilderTest, ThreeWordRunsAreJoinedAsWrittenOnly)
{
    const std::vector<Morpheme> words{wordWithKey("甲", "子", pos::COMMON_NOUN),
                                      wordWithKey("乙", "丑", pos::COMMON_NOUN),
                                      wordWithKey("丙", "寅", pos::COMMON_NOUN)};
    network->addSense("子丑寅", sense("十二支"));
    EXPECT_TRUE(build(words).isEmpty()) << "key forms are not tried";
    EXPECT_EQ(network->calls(), 1) << "one look-up of the joined surfaces, no neighbours";

    dictionary.phraseCache().clear();
    network->addSense("甲乙丙", sense("十干"));
    EXPECT_EQ(attachedKeys(build(words)), "十干/1");
}

TEST_F(PhraseBuilderTest, ARunInTheCacheCostsNoNetworkQuestion)
{
    network->addSense("猫犬", sense("犬猫"));
    const PhraseRecord first = build({cat, dog});
    const int asked = network->calls();
    EXPECT_GT(asked, 0);
    network->addSense("猫犬", sense("ペット"));  // not seen: the cache answers
    EXPECT_EQ(attachedKeys(build({cat, dog})), attachedKeys(first));
    EXPECT_EQ(network->calls(), asked);

    // Empty answers are remembered too.
    const Morpheme bird = makeWord("鳥", pos::COMMON_NOUN);
    EXPECT_TRUE(build({bird, dog}).isEmpty());
    const int afterEmpty = network->calls();
    EXPECT_TRUE(build({bird, dog}).isEmpty());
    EXPECT_EQ(network->calls(), afterEmpty);
    EXPECT_EQ(dictionary.phraseCache().count("鳥-鳥:犬-犬"), 1u);

    // No words: nothing is asked and nothing cached.
    const std::size_t cached = dictionary.phraseCache().size();
    EXPECT_TRUE(build({}).isEmpty());
    EXPECT_EQ(dictionary.phraseCache().size(), cached);
}

TEST_F(PhraseBuilderTest, OnlyOppositeRelationsMakeNoPhrase)
{
    network->addSense("猫犬", sense("犬猫", '1'));
    EXPECT_TRUE(build({cat, dog}).isEmpty());
}

TEST_F(PhraseBuilderTest, TwoNounsAreJoinedForwardOnlyAndOtherPairsBothWays)
{
    network->addSense("犬猫", sense("ペット"));
    EXPECT_TRUE(build({cat, dog}).isEmpty());

    const Morpheme run = makeWord("走る", pos::VERB);
    network->addSense("走る猫", sense("駆け猫"));
    EXPECT_EQ(attachedKeys(build({cat, run})), "駆け猫/1");
}

// A loose neighbour (level 5) of one word that the other word proposes too
// says nothing about the run and is dropped; proposed by one word only, it
// may still join.
TEST_F(PhraseBuilderTest, ALooseNeighbourTheOtherWordProposesIsLeftOut)
{
    network->reach("猫", -1, 0, "動物");
    network->reach("猫", -2, 0, "動物犬");  // puts the joined text among the known texts
    network->addSense("動物犬", sense("獣"));
    EXPECT_EQ(attachedKeys(build({cat, dog})), "獣/5");

    dictionary.phraseCache().clear();
    network->reach("犬", 0, 0, "動物");
    EXPECT_EQ(attachedKeys(build({cat, dog})), "");
}

TEST_F(PhraseBuilderTest, NeighboursAndTheirRelatedWordsAreVariantsAtTheirLevels)
{
    network->reach("猫", 0, 0, "ネコ");
    network->relateWords("ネコ", 1, "にゃんこ,ねこ");
    network->addSense("ねこ犬", sense("猫犬"));
    network->addSense("ネコ犬", sense("ネコイヌ"));
    // Level 2 texts are asked about only when the network reaches them.
    EXPECT_EQ(attachedKeys(build({cat, dog})), "");

    dictionary.phraseCache().clear();
    network->reach("犬", 1, 0, "ねこ犬, ネコ犬");
    // Matches of one level go in byte order of their texts: ねこ犬 first.
    EXPECT_EQ(attachedKeys(build({cat, dog})), "猫犬/2 ネコイヌ/2");
}

TEST_F(PhraseBuilderTest, AboveFiveRequiredWordsTwoWordRunsAreJoinedAsWrittenOnly)
{
    network->reach("猫", 0, 0, "ネコ");
    network->addSense("ネコ犬", sense("ネコイヌ"));
    network->addSense("猫犬", sense("犬猫"));
    node.setLimit(6);
    EXPECT_EQ(attachedKeys(build({cat, dog})), "犬猫/1");
    EXPECT_EQ(network->calls(), 1);
}

TEST_F(PhraseBuilderTest, WithTheOptionSetTheRunBecomesOneEntityWord)
{
    network->addSense("猫犬", sense("ペット"));
    const PhraseRecord phrase = build({cat, dog}, 1);
    EXPECT_TRUE(phrase.getAttachedWords().empty());
    const VariantWord main = phrase.getMainWord();
    EXPECT_EQ(main.keyFormRef(), "ペット");
    EXPECT_EQ(main.getPosCode(), pos::ENTITY);
    EXPECT_EQ(main.getLevelVari(), 1);
    EXPECT_EQ(main.getSpareMark(), 1);
    EXPECT_NE(dictionary.findByName("ペット", false), nullptr) << "the synonym was made an entity";
    EXPECT_EQ(phrase.getSecondWord().getLevelVari(), 1);
    EXPECT_FALSE(PhraseRecord::isPresent(phrase.getSecondWord()));

    // A run whose only match names its one content word gives no main word.
    const Morpheme suffix = makeWord("ちゃん", pos::COUNTER_SUFFIX);
    network->addSense("猫ちゃん", sense("猫"));
    EXPECT_TRUE(build({cat, suffix}, 1).isEmpty());
}

}  // namespace
}  // namespace quibo
