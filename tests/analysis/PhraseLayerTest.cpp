#include "analysis/PhraseAlternatives.h"
#include "analysis/PhraseRecord.h"
#include "analysis/PhraseSet.h"
#include "tests/support/Words.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quibo {
namespace {

using test::makeWord;

VariantWord variant(const std::string& text, PosCode code = pos::COMMON_NOUN, int level = 0)
{
    return VariantWord(makeWord(text, code), level);
}

PhraseRecord phraseOf(const std::string& text)
{
    PhraseRecord phrase;
    phrase.setMainWord(variant(text));
    return phrase;
}

std::string heads(const PhraseSequence& path)
{
    std::string text;
    for (const PhraseRecord& phrase : path)
        text += (text.empty() ? "" : " ") + std::string(phrase.getHeadWord().keyFormRef());
    return text;
}

TEST(PhraseRecordTest, HeadWordFallsBackOnTheSecondWord)
{
    PhraseRecord phrase;
    phrase.setSecondWord(variant("走る", pos::VERB));
    EXPECT_EQ(phrase.getHeadWord().keyFormRef(), "走る");
    phrase.setMainWord(variant("犬"));
    EXPECT_EQ(phrase.getHeadWord().keyFormRef(), "犬");

    // A main word without a key form does not count, whatever its surface.
    VariantWord blank = variant("猫");
    blank.setKeyForm("");
    phrase.setMainWord(blank);
    EXPECT_EQ(phrase.getHeadWord().keyFormRef(), "走る");
}

TEST(PhraseRecordTest, AttachedWordsAloneMakeARecordNonEmpty)
{
    PhraseRecord phrase;
    EXPECT_TRUE(phrase.isEmpty());
    phrase.addAttachedWord(variant("犬"));
    EXPECT_FALSE(phrase.isEmpty());
}

TEST(PhraseRecordTest, ToStringWritesAttachedWordsOnlyWhenAsked)
{
    PhraseRecord phrase = phraseOf("犬");
    phrase.addAttachedWord(variant("狗", pos::COMMON_NOUN, 2));
    phrase.setSecondWord(variant("が", pos::PARTICLE));
    EXPECT_EQ(phrase.toString(false, Morpheme::DUMP_SURFACE),
              "main=( 犬  levelVari=0)( が  levelVari=0)");
    EXPECT_EQ(phrase.toString(true, Morpheme::DUMP_SURFACE),
              "sub=( 狗  levelVari=2)main=( 犬  levelVari=0)( が  levelVari=0)");
    EXPECT_EQ(PhraseRecord().toString(false, Morpheme::DUMP_SURFACE), "main=");
    EXPECT_EQ(PhraseRecord().toString(true, Morpheme::DUMP_SURFACE), "sub=main=");
}

TEST(PhraseRecordTest, ClearKeepsSurfacesButEmptiesEverythingThatCounts)
{
    PhraseRecord phrase = phraseOf("犬");
    phrase.setSecondWord(variant("走る", pos::VERB));
    phrase.addAttachedWord(variant("狗"));
    phrase.setSecondWords({variant("の", pos::PARTICLE)});
    phrase.clear();
    EXPECT_TRUE(phrase.isEmpty());
    EXPECT_TRUE(phrase.getSecondWords().empty());
    EXPECT_EQ(phrase.getMainWord().surfaceRef(), "犬");
    EXPECT_EQ(phrase.getMainWord().baseFormRef(), "");
    EXPECT_EQ(phrase.getSecondWord().getPosCode(), pos::VERB);
}

TEST(PhraseRecordTest, CopiesKeepLevelsAndSpareMarks)
{
    VariantWord made = VariantWord::marked(makeWord("犬", pos::COMMON_NOUN), 1);
    made.setLevelVari(5);
    PhraseRecord phrase;
    phrase.setMainWord(made);
    phrase.setSecondWords(phrase.getSecondWords());
    const PhraseRecord copy = phrase;
    EXPECT_EQ(copy.getMainWord().getLevelVari(), 5);
    EXPECT_EQ(copy.getMainWord().getSpareMark(), 1);

    // A marked copy takes the new mark and starts at level 0.
    const VariantWord plain = VariantWord::marked(made, 0);
    EXPECT_EQ(plain.getSpareMark(), 0);
    EXPECT_EQ(plain.getLevelVari(), 0);
}

TEST(PhraseCacheTest, AnAbsentKeyGetsAnEmptyRecordThatLaterReadsReturn)
{
    PhraseCache cache;
    EXPECT_TRUE(phraseCacheEntry(cache, "犬-犬").isEmpty());
    phraseCacheEntry(cache, "犬-犬").addAttachedWord(variant("狗"));
    EXPECT_EQ(cache.size(), 1u);
    EXPECT_FALSE(phraseCacheEntry(cache, "犬-犬").isEmpty());
}

TEST(PhraseSetTest, PathsFollowEdgesInInsertionOrderDepthFirst)
{
    WordNode root;
    ASSERT_EQ(root.paths().size(), 1u);
    EXPECT_TRUE(root.paths()[0].empty());

    auto* middle = new WordNode;
    root.addEdge({middle, phraseOf("甲")});
    root.addEdge({new WordNode, phraseOf("乙")});
    middle->addEdge({new WordNode, phraseOf("丙")});
    middle->addEdge({new WordNode, phraseOf("丁")});
    std::vector<std::string> found;
    for (const PhraseSequence& path : root.paths())
        found.push_back(heads(path));
    EXPECT_EQ(found, (std::vector<std::string>{"甲 丙", "甲 丁", "乙"}));

    int visited = 0;
    EXPECT_FALSE(root.forEachPath([&visited](const PhraseSequence&) { return ++visited < 2; }));
    EXPECT_EQ(visited, 2);
}

TEST(PhraseSetTest, TwoLeafEdgesGiveTwoOnePhrasePaths)
{
    WordNode node;
    node.addEdge({new WordNode, phraseOf("甲")});
    node.addEdge({new WordNode, phraseOf("乙")});
    const std::vector<PhraseSequence> paths = node.paths();
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(heads(paths[0]), "甲");
    EXPECT_EQ(heads(paths[1]), "乙");
}

TEST(PhraseSetTest, ReplaceEdgeMovesTheEdgeToTheEndOrAppends)
{
    WordNode root;
    auto* first = new WordNode;
    auto* second = new WordNode;
    root.addEdge({first, phraseOf("甲")});
    root.addEdge({second, phraseOf("乙")});
    root.replaceEdge({first, phraseOf("丙")});
    ASSERT_EQ(root.edgeCount(), 2u);
    EXPECT_EQ(root.edgeAt(0).node, second);
    EXPECT_EQ(root.edgeAt(1).node, first);
    EXPECT_EQ(root.edgeAt(1).phrase.getHeadWord().keyFormRef(), "丙");

    auto* third = new WordNode;
    root.replaceEdge({third, phraseOf("丁")});
    ASSERT_EQ(root.edgeCount(), 3u);
    EXPECT_EQ(root.edgeAt(2).node, third);
}

// A node reached through several edges, as the end node and the targets of
// compound edges are, is deleted once and leaves no edge dangling; the
// sanitizer build turns any slip into a failure here.
TEST(PhraseSetTest, SharedNodesAreDeletedOnceWhicheverOwnerGoesFirst)
{
    {
        auto* root = new WordNode;
        auto* a = new WordNode;
        auto* b = new WordNode;
        auto* c = new WordNode;
        auto* end = new WordNode;
        root->addEdge({a, phraseOf("甲")});
        a->addEdge({b, phraseOf("乙")});
        b->addEdge({c, phraseOf("丙")});
        c->addEdge({end, phraseOf("丁")});
        a->addEdge({c, phraseOf("甲乙")});    // compound edges
        a->addEdge({end, phraseOf("甲乙丙")});
        b->addEdge({end, phraseOf("乙丙")});
        root->addEdge({new WordNode, phraseOf("戊")});
        EXPECT_EQ(root->paths().size(), 5u);
        delete root;
    }
    {
        // Deleting an inner node deletes what it owns, shared nodes
        // included, and cuts every edge that led to any of them.
        WordNode root;
        auto* a = new WordNode;
        auto* end = new WordNode;
        root.addEdge({a, phraseOf("甲")});
        root.addEdge({end, phraseOf("乙")});
        root.addEdge({new WordNode, phraseOf("丁")});
        a->addEdge({end, phraseOf("丙")});
        delete a;
        EXPECT_EQ(root.edgeAt(0).node, nullptr);
        EXPECT_EQ(root.edgeAt(1).node, nullptr);
        ASSERT_EQ(root.paths().size(), 1u);
        EXPECT_EQ(heads(root.paths()[0]), "丁");
        root.clearEdges();
        EXPECT_EQ(root.edgeCount(), 0u);
    }
    {
        // A node adopted through replaceEdge by a second owner.
        WordNode first;
        auto* shared = new WordNode;
        first.addEdge({shared, phraseOf("甲")});
        auto* second = new WordNode;
        second->replaceEdge({shared, phraseOf("乙")});
        delete second;
        EXPECT_EQ(first.edgeAt(0).node, nullptr);
    }
}

TEST(PhraseSetTest, PrintValueWritesTheValueWord)
{
    WordNode node;
    node.setValue(makeWord("犬", pos::COMMON_NOUN));
    EXPECT_EQ(node.getValue().keyFormRef(), "犬");
    ::testing::internal::CaptureStdout();
    node.printValue();
    const std::string printed = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed.rfind("WordNode.value=(", 0), 0u) << printed;
    EXPECT_EQ(printed.back(), '\n');
}

TEST(AlternativeProductTest, FirstPositionVariesSlowest)
{
    const std::vector<std::vector<VariantWord>> positions{
        {variant("甲", pos::COMMON_NOUN, 1), variant("乙", pos::COMMON_NOUN, 2)},
        {variant("子"), variant("丑"), variant("寅")},
        {variant("卯")}};
    const auto product = wordAlternativeProduct(positions);
    ASSERT_EQ(product.size(), 6u);
    std::vector<std::string> texts;
    for (const auto& sequence : product) {
        std::string text;
        for (const VariantWord& word : sequence)
            text += word.keyFormRef();
        texts.push_back(text);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"甲子卯", "甲丑卯", "甲寅卯", "乙子卯", "乙丑卯", "乙寅卯"}));
    EXPECT_EQ(product[4][0].getLevelVari(), 2);
}

TEST(AlternativeProductTest, AnEmptyPositionGivesNothingAndNoPositionsOneEmptySequence)
{
    EXPECT_TRUE(wordAlternativeProduct({{variant("甲")}, {}}).empty());
    const auto none = wordAlternativeProduct({});
    ASSERT_EQ(none.size(), 1u);
    EXPECT_TRUE(none[0].empty());

    ListAlternatives lists;
    lists.positions = {{MorphemeList({makeWord("甲", pos::COMMON_NOUN)}, 3)},
                       {MorphemeList({}, 1), MorphemeList({makeWord("乙", pos::COMMON_NOUN)}, 2)}};
    const auto product = lists.itemAlternativeProduct();
    ASSERT_EQ(product.size(), 2u);
    EXPECT_EQ(product[1][0].getListNumber(), 3);
    EXPECT_EQ(product[1][1].getListNumber(), 2);
}

TEST(PhraseAlternativesTest, LeaningWordsStandAloneAndTheOptionChoosesThePhraseWords)
{
    PhraseRecord first = phraseOf("犬");
    first.addAttachedWord(variant("狗"));
    first.addAttachedWord(variant("犬"));
    first.setSecondWords({variant("あの", pos::ADNOMINAL)});
    PhraseRecord second;
    second.setSecondWord(variant("走る", pos::VERB));
    second.setSecondWords({variant("が", pos::PARTICLE)});

    const PhraseAlternatives attached({first, second}, 0);
    ASSERT_EQ(attached.positions.size(), 3u);  // あの, {狗, 犬}, が; 走る has no attached word
    EXPECT_EQ(attached.positions[1].size(), 2u);
    EXPECT_EQ(attached.wordAlternativeProduct().size(), 2u);

    const PhraseAlternatives own({first, second}, 1);
    ASSERT_EQ(own.positions.size(), 4u);
    EXPECT_EQ(own.positions[1].size(), 3u);  // 犬, then 狗 and 犬 attached
    EXPECT_EQ(own.positions[3][0].keyFormRef(), "走る");
}

}  // namespace
}  // namespace quibo
