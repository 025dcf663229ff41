#include "analysis/MorphemeList.h"

#include "tests/support/InMemorySemanticNetwork.h"
#include "tests/support/Words.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace quibo {
namespace {

using test::keyForms;
using test::makeList;
using test::makeWord;
using test::ScopedSemanticNetwork;

constexpr std::uint32_t X = Morpheme::FLAG_X;
constexpr std::uint32_t Y = Morpheme::FLAG_Y;
constexpr std::uint32_t Z = Morpheme::FLAG_Z;
constexpr std::uint32_t I = Morpheme::FLAG_I;
constexpr std::uint32_t N = Morpheme::FLAG_N;
constexpr std::uint32_t U = Morpheme::FLAG_U;
constexpr std::uint32_t MS = Morpheme::FLAG_MS;
constexpr PosCode PARTICLE = 0x1000001;

Morpheme noun(const std::string& text, std::uint32_t flags = 0)
{
    return makeWord(text, pos::COMMON_NOUN, flags);
}

class MorphemeListTest : public ::testing::Test {
protected:
    ScopedSemanticNetwork network;
};

TEST_F(MorphemeListTest, EquivalenceIgnoresOrderButNotMissingWords)
{
    const MorphemeList ab = makeList({noun("犬"), noun("猫")});
    const MorphemeList ba = makeList({noun("猫"), noun("犬")});
    EXPECT_TRUE(ab.isEquivalent(ba));
    EXPECT_FALSE(ab.isEquivalent(makeList({noun("犬")})));
    EXPECT_TRUE(MorphemeList().isSubsetOf(ab, 1));
}

TEST_F(MorphemeListTest, FindWordTellsAlikeFromOpposite)
{
    network->relate("熱い", "冷たい", 2, 0);
    network->relate("暑い", "熱い", 1, 0);
    const MorphemeList list = makeList({makeWord("熱い", pos::ADJECTIVE), makeWord("暑い", pos::ADJECTIVE)});
    std::size_t index = 0;
    EXPECT_EQ(list.findWord(makeWord("冷たい", pos::ADJECTIVE), index), -1);
    EXPECT_EQ(index, 0u);
    index = 0;
    EXPECT_EQ(list.findWord(makeWord("熱い", pos::ADJECTIVE | pos::POLARITY_BIT), index), -1);
    index = 1;
    EXPECT_EQ(list.findWord(makeWord("熱い", pos::ADJECTIVE), index), 1);
    EXPECT_EQ(index, 1u);
    index = 0;
    EXPECT_EQ(list.findWord(makeWord("寒い", pos::ADJECTIVE), index), 0);
    EXPECT_EQ(index, 2u);

    EXPECT_TRUE(list.containsWord(makeWord("冷たい", pos::ADJECTIVE), 0));
    EXPECT_FALSE(list.containsWord(makeWord("冷たい", pos::ADJECTIVE), 1));
    EXPECT_FALSE(list.containsWordStrictly(makeWord("冷たい", pos::ADJECTIVE)));
}

TEST_F(MorphemeListTest, SetOperationsUseKeyFormsAndRelations)
{
    network->relate("犬", "狼", 1, 0);
    const MorphemeList mine = makeList({noun("犬"), noun("猫"), noun("鳥")});
    const MorphemeList theirs = makeList({noun("狼"), noun("鳥"), noun("鳥"), makeWord("鳥", pos::VERB)});

    EXPECT_EQ(keyForms(mine.sharedWords(theirs)), "犬 鳥");
    EXPECT_FALSE(mine.isDisjoint(theirs));
    EXPECT_TRUE(mine.isDisjoint(makeList({noun("魚")})));
    EXPECT_TRUE(MorphemeList().isDisjoint(theirs));
    EXPECT_EQ(keyForms(mine.wordsNotIn({"猫", "象"})), "犬 鳥");
    // Relations are directed: 犬 leads to 狼, not the other way.
    EXPECT_EQ(keyForms(mine.difference(theirs)), "犬 猫");
    EXPECT_TRUE(theirs.difference(mine).empty());

    MorphemeList numbered = mine;
    numbered.setListNumber(7);
    const MorphemeList plain = numbered.unionWith(theirs, false);
    EXPECT_EQ(keyForms(plain), "犬 猫 鳥 狼 鳥");  // the verb 鳥 differs in POS
    EXPECT_EQ(plain.getListNumber(), 7);
    EXPECT_EQ(keyForms(numbered.unionWith(makeList({noun("狼"), noun("象"), noun("象")}), true)),
              "犬 猫 鳥 象");
}

TEST_F(MorphemeListTest, MatchingWordsCorrelateWithTheOtherList)
{
    network->relate("動物園", "施設", 1, 1);
    const MorphemeList list = makeList({noun("動物園"), noun("猫")});
    const MorphemeList other = makeList({noun("施設")});
    EXPECT_EQ(keyForms(list.wordsMatching(other)), "動物園");
    EXPECT_FALSE(list.allWordsMatch(other));
    EXPECT_TRUE(makeList({noun("動物園")}).allWordsMatch(other));
}

TEST_F(MorphemeListTest, ContentWordsAndNouns)
{
    const MorphemeList list = makeList({noun("猫"), makeWord("が", PARTICLE), makeWord("走る", pos::VERB),
                                        makeWord("こと", pos::FORMAL_NOUN), noun("猫")});
    EXPECT_EQ(keyForms(list.contentWords()), "猫 走る 猫");
    EXPECT_EQ(keyForms(list.nouns()), "猫 猫");
    EXPECT_EQ(keyForms(list.distinctContentWords()), "走る 猫");  // byte order
    EXPECT_EQ(keyForms(list.uniqueContentWords(1)), "猫 走る");
    EXPECT_EQ(keyForms(list.uniqueContentWords(0)), "猫 走る");
}

TEST_F(MorphemeListTest, SelectWordsByCategoryAndHead)
{
    const MorphemeList list = makeList({noun("猫", X), makeWord("走る", pos::VERB, Y), noun("犬", X | I),
                                        makeWord("が", PARTICLE, X), noun("鳥", Z | N)});
    EXPECT_TRUE(list.selectWords(3, 5, 0).empty());  // 5 names no head flag
    EXPECT_EQ(keyForms(list.selectWords(3, 7, 0)), keyForms(list.contentWords()));
    EXPECT_EQ(keyForms(list.selectWords(1, 1, 0)), "猫 犬");
    EXPECT_EQ(keyForms(list.selectWords(2, 2, 0)), "走る");
    EXPECT_EQ(keyForms(list.selectWords(4, 7, 0)), "猫 走る 鳥");
    EXPECT_EQ(keyForms(list.selectWords(5, 7, 0)), "猫 走る");
    EXPECT_EQ(keyForms(list.selectWords(6, 7, 0)), "猫 走る が");
    EXPECT_EQ(keyForms(list.selectWords(7, 7, 0)), "走る");
    EXPECT_EQ(keyForms(list.selectWords(1, 4, 0)), "鳥");
    EXPECT_TRUE(list.selectWords(8, 7, 0).empty());

    const MorphemeList twice = makeList({noun("猫", X), noun("猫", X)});
    EXPECT_EQ(keyForms(twice.selectWords(1, 1, 8)), "猫");
}

TEST_F(MorphemeListTest, RemoveDuplicatesByOption)
{
    Morpheme cat1 = noun("猫");
    Morpheme cat2 = noun("猫");
    cat2.setKeyForm("ねこ");
    Morpheme cat3 = noun("猫");
    cat3.setAttributeWord(0x100);
    Morpheme ent1 = makeWord("塔", pos::ENTITY);
    Morpheme ent2 = makeWord("塔", pos::ENTITY_SYNONYMS);
    Morpheme ent3 = makeWord("塔", pos::ENTITY | pos::POLARITY_BIT);
    const MorphemeList list = makeList({cat1, cat2, cat3, ent1, ent2, ent3});

    EXPECT_EQ(keyForms(list.removeDuplicates(1, true)), "猫 猫 塔 塔 塔");
    EXPECT_EQ(keyForms(list.removeDuplicates(1, false)), "ねこ");
    EXPECT_EQ(keyForms(list.removeDuplicates(8, true)), "猫 ねこ 塔 塔 塔");
    EXPECT_EQ(keyForms(list.removeDuplicates(2, true)), "猫 ねこ 猫 塔 塔");
    EXPECT_EQ(list.removeDuplicates(2, false).at(0).getPosCode(), pos::ENTITY_SYNONYMS);
    EXPECT_EQ(list.removeDuplicates(0, true).size(), list.size());
}

TEST_F(MorphemeListTest, SortedUniqueKeepsOneWordPerKeyAndKind)
{
    Morpheme withAttribute = noun("猫");
    withAttribute.setAttributeWord(0x100);
    const MorphemeList list = makeList({noun("猫"), makeWord("犬", pos::VERB), noun("犬"), noun("猫"),
                                        withAttribute, makeWord("塔", pos::ENTITY),
                                        makeWord("塔", pos::ENTITY_SYNONYMS),
                                        makeWord("塔", pos::ENTITY_THESAURUS)});
    const MorphemeList sorted = list.sortedUnique();
    ASSERT_EQ(sorted.size(), 6u);
    std::vector<std::pair<std::string, PosCode>> seen;
    for (const Morpheme& w : sorted.words())
        seen.emplace_back(w.keyFormRef(), w.getPosCode());
    // Byte order: 犬 (B8 A4) < 塔 (C5 E3) < 猫 (C7 AD).
    EXPECT_EQ(seen[0], std::make_pair(std::string("犬"), pos::VERB));
    EXPECT_EQ(seen[1], std::make_pair(std::string("犬"), pos::COMMON_NOUN));
    // EA orders before ES and ET; ES and ET are no pair and fold into one.
    EXPECT_EQ(seen[2], std::make_pair(std::string("塔"), pos::ENTITY_THESAURUS));
    EXPECT_EQ(seen[3].first, "塔");
    EXPECT_EQ(seen[4], std::make_pair(std::string("猫"), pos::COMMON_NOUN));
    EXPECT_EQ(sorted.at(5).getAttributeWord(), 0x100u);
}

TEST_F(MorphemeListTest, HeadClassFollowsTheLastContentWord)
{
    MorphemeList verbLast = makeList({noun("猫"), makeWord("が", PARTICLE), makeWord("走る", pos::VERB)});
    verbLast.markHeadClass();
    for (const Morpheme& w : verbLast.words())
        EXPECT_EQ(w.getFlags() & Morpheme::HEAD_FLAGS, Y);

    MorphemeList nounLast = makeList({makeWord("走る", pos::VERB), noun("猫"), makeWord("だ", 0x80000)});
    nounLast.markHeadClass();
    for (const Morpheme& w : nounLast.words())
        EXPECT_EQ(w.getFlags() & Morpheme::HEAD_FLAGS, X);

    MorphemeList marked = makeList({noun("猫", X), makeWord("走る", pos::VERB)});
    marked.markHeadClass();
    EXPECT_EQ(marked.at(1).getFlags(), 0u);

    MorphemeList particles = makeList({makeWord("が", PARTICLE)});
    particles.markHeadClass();
    EXPECT_EQ(particles.at(0).getFlags(), Y);
}

TEST_F(MorphemeListTest, WordMarksJoinNounsOverMsWords)
{
    MorphemeList stepped = makeList({noun("東京", X), makeWord("の", PARTICLE, X | MS), noun("塔", X)});
    stepped.setWordMarks();
    EXPECT_EQ(stepped.at(0).getM(), Morpheme::LINK_TO_NEXT);
    EXPECT_EQ(stepped.at(1).getM(), 0);
    EXPECT_EQ(stepped.at(2).getM(), 0);
    for (std::size_t i = 0; i < stepped.size(); ++i)
        EXPECT_EQ(stepped.at(i).getO(), i);

    MorphemeList adjacent = makeList({noun("東京", X), noun("塔", X)});
    adjacent.setWordMarks();
    EXPECT_EQ(adjacent.at(0).getM(), 0);

    MorphemeList disagreeing = makeList({noun("東京", X), makeWord("の", PARTICLE, MS), noun("塔", Y)});
    disagreeing.setWordMarks();
    EXPECT_EQ(disagreeing.at(0).getM(), 0);
}

TEST_F(MorphemeListTest, WordMarksJoinModifiersToTheirHeads)
{
    MorphemeList modifier = makeList({makeWord("赤い", pos::ADJECTIVE), noun("花")});
    modifier.setWordMarks();
    EXPECT_EQ(modifier.at(0).getM(), Morpheme::LINK_TO_NEXT);

    MorphemeList adverb = makeList({makeWord("速く", pos::ADVERB), makeWord("走る", pos::VERB)});
    adverb.setWordMarks();
    EXPECT_EQ(adverb.at(0).getM(), Morpheme::LINK_TO_NEXT);

    MorphemeList optionalHead = makeList({makeWord("赤い", pos::ADJECTIVE), noun("花", I)});
    optionalHead.setWordMarks();
    EXPECT_EQ(optionalHead.at(0).getM(), 0);
}

TEST_F(MorphemeListTest, LinkedWordsAndAffixedSurfaces)
{
    MorphemeList list = makeList({noun("東京", X), makeWord("の", PARTICLE, X | MS), noun("塔", X),
                                  makeWord("へ", PARTICLE, I)});
    list.setWordMarks();
    EXPECT_EQ(list.linkedWordIndex(2, 1), 0);
    EXPECT_EQ(list.linkedWordIndex(0, 1), -1);
    EXPECT_EQ(list.linkedWordIndex(2, 2), -1);  // an ignorable word stops the scan
    EXPECT_EQ(list.linkedWordIndex(2, 0), -1);
    EXPECT_EQ(list.affixedSurface(2), "東京塔");
    EXPECT_EQ(list.affixedSurface(0), "");

    list.at(2).orM(Morpheme::LINK_TO_PREVIOUS);
    EXPECT_EQ(list.linkedWordIndex(0, 2), 2);
    EXPECT_EQ(list.affixedSurface(0), "東京塔");
}

TEST_F(MorphemeListTest, AffixedSurfaceWithoutTheMarkedWordIsNoLink)
{
    MorphemeList list = makeList({noun("東京", X), noun("塔", X)});
    list.at(0).setM(Morpheme::LINK_TO_NEXT);
    list.at(1).setO(1);
    // Word 0 carries the link but no word has o = 0 any more (as in a list
    // rebuilt from part of another): the finder finds nothing.
    list.at(0).setO(5);
    EXPECT_EQ(list.wordWithO(0), nullptr);
    EXPECT_EQ(list.affixedSurface(1), "");
    // A position beyond the list is no link either.
    list.at(1).setO(9);
    EXPECT_EQ(list.affixedSurface(1), "");
}

TEST_F(MorphemeListTest, IndexOutsideTheListIsAnOutOfRangeError)
{
    const MorphemeList list = makeList({noun("猫")});
    try {
        list.affixedSurface(1);
        FAIL() << "no exception";
    } catch (const std::out_of_range& error) {
        EXPECT_STREQ(error.what(), "invalid vector<T> subscript");
    }
    EXPECT_THROW(list.linkedWordIndex(3, 1), std::out_of_range);
    EXPECT_THROW(list.at(1), std::out_of_range);
    EXPECT_FALSE(list.findModifierNoun(7));
}

TEST_F(MorphemeListTest, CountsOfContentAndRequiredWords)
{
    MorphemeList four = makeList({noun("一"), noun("二"), noun("三"), noun("四"), makeWord("が", PARTICLE)});
    EXPECT_TRUE(four.hasFewContentWords());
    four.push_back(noun("五"));
    EXPECT_FALSE(four.hasFewContentWords());
    EXPECT_FALSE(four.hasFewRequiredWords());
    four.at(0).orFlags(N);
    EXPECT_TRUE(four.hasFewRequiredWords());
}

TEST_F(MorphemeListTest, ContentWordWithoutU)
{
    EXPECT_TRUE(makeList({noun("猫")}).hasContentWordWithoutU());
    EXPECT_FALSE(makeList({noun("猫", U), makeWord("が", PARTICLE)}).hasContentWordWithoutU());
    EXPECT_TRUE(makeList({noun("猫", U), noun("犬")}).hasContentWordWithoutU());
    EXPECT_FALSE(makeList({noun("猫", U), noun("犬", I)}).hasContentWordWithoutU());
    EXPECT_TRUE(makeList({makeWord("が", PARTICLE, U)}).hasContentWordWithoutU());
}

TEST_F(MorphemeListTest, LastNounIndexSkipsConjugatedAndNWords)
{
    Morpheme conjugated = noun("静か", X);
    conjugated.setConjugation(0x150001);
    const MorphemeList list = makeList({noun("猫", X), noun("犬", Y), conjugated, noun("鳥", X | N)});
    EXPECT_EQ(list.lastNounIndex(X), 0);
    EXPECT_EQ(list.lastNounIndex(X | Y), 1);
    EXPECT_EQ(list.lastNounIndex(Z), -1);
}

TEST_F(MorphemeListTest, LongListsAreMarkedWithoutOverrun)
{
    MorphemeList list;
    for (int i = 0; i < 200; ++i) {
        list.push_back(noun("猫", X));
        list.push_back(makeWord("の", PARTICLE, X | MS));
    }
    list.setWordMarks();
    EXPECT_EQ(list.at(198).getM(), Morpheme::LINK_TO_NEXT);
    EXPECT_EQ(list.at(398).getM(), 0);  // the last noun has no partner
    EXPECT_EQ(list.affixedSurface(200), "猫猫");
    EXPECT_EQ(list.wordWithO(255), &list.at(255));
}

}  // namespace
}  // namespace quibo
