#include "knowledge/CDictionary.h"

#include "analysis/LanguageAnalyzer.h"
#include "knowledge/Entity.h"
#include "knowledge/ParsedText.h"
#include "knowledge/Thesaurus.h"
#include "tests/support/InMemorySemanticNetwork.h"
#include "tests/support/Words.h"

#include <gtest/gtest.h>

namespace quibo {
namespace {

using test::makeList;
using test::makeWord;
using test::sense;

std::string utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

class SynonymExtensionTest : public ::testing::Test {
protected:
    // Titles are cached as given, the way an analyser would leave a one-word
    // text.
    ParsedText* title(const std::string& text)
    {
        return dictionary.putParsedText(text, makeList({makeWord(text, pos::COMMON_NOUN)}), text);
    }
    Entity* entity(const std::string& name, std::int32_t flags = 0)
    {
        Entity* stored = dictionary.addEntity(name, std::make_unique<Entity>(title(name), flags));
        dictionary.registerTerm(stored);
        return stored;
    }
    std::size_t termsUnder(const std::string& text) const { return dictionary.termIndex().count(text); }

    test::ScopedSemanticNetwork network;
    CDictionary dictionary;
};

TEST_F(SynonymExtensionTest, RegisteringATermTwiceAddsItOnce)
{
    Entity* bike = entity("バイク");
    dictionary.registerTerm(bike);
    EXPECT_EQ(termsUnder("バイク"), 1u);
    EXPECT_TRUE(dictionary.termFirstChars().contains("バ"));
    EXPECT_EQ(dictionary.termMaxLength(), 6);
}

TEST_F(SynonymExtensionTest, AnUnknownSynonymBecomesATermOfTheEntityOnce)
{
    Entity* bike = entity("バイク");
    title("単車");
    network->addSense("単車", sense("バイク"));
    const MorphemeList words = makeList({makeWord("単車", pos::COMMON_NOUN), makeWord("で", pos::PARTICLE + 1)});

    dictionary.extendWordThesauri(words);
    const std::size_t thesauri = dictionary.thesauri().size();
    dictionary.extendWordThesauri(words);
    EXPECT_EQ(dictionary.thesauri().size(), thesauri);
    ASSERT_EQ(termsUnder("単車"), 1u);
    auto* group = dynamic_cast<Thesaurus*>(dictionary.termIndex().find("単車")->second);
    ASSERT_TRUE(group);
    EXPECT_EQ(group->getTypeId(), knowledge_type::ENTITY_SYNONYMS);
    EXPECT_EQ(group->getRepresentative(), bike);
    EXPECT_EQ(dictionary.termMaxLength(), 6);
    EXPECT_TRUE(dictionary.termFirstChars().contains("単"));

    // From now on term recognition binds the word to the entity.
    std::vector<TermSpan> spans;
    const MorphemeList merged = dictionary.mergeTerms(words, spans);
    EXPECT_EQ(merged.at(0).getPosCode(), pos::ENTITY_SYNONYMS);
    EXPECT_EQ(merged.at(0).keyFormRef(), "バイク");
    EXPECT_EQ(merged.at(0).getKnowledgeObject(), bike);
}

TEST_F(SynonymExtensionTest, AntonymsGetTheSecondKindUnlessFlaggedOneOrFour)
{
    Entity* cold = entity("寒い");
    entity("暗い", 0x4);
    entity("狭い", 0x1);
    for (const char* word : {"暑い", "明るい", "広い"})
        title(word);
    network->addSense("暑い", sense("寒い", '1'));
    network->addSense("明るい", sense("暗い", '1'));
    network->addSense("広い", sense("狭い", '1'));
    dictionary.extendWordThesauri(makeList({makeWord("暑い", pos::ADJECTIVE), makeWord("明るい", pos::ADJECTIVE),
                                            makeWord("広い", pos::ADJECTIVE)}));
    ASSERT_EQ(termsUnder("暑い"), 1u);
    auto* group = dynamic_cast<Thesaurus*>(dictionary.termIndex().find("暑い")->second);
    ASSERT_TRUE(group);
    EXPECT_EQ(group->getTypeId(), knowledge_type::ENTITY_THESAURUS);
    EXPECT_EQ(group->getRepresentative(), cold);
    EXPECT_EQ(termsUnder("明るい"), 0u);
    EXPECT_EQ(termsUnder("広い"), 0u);
}

TEST_F(SynonymExtensionTest, KnownWordsParticlesAndUnrelatedWordsAreLeftAlone)
{
    entity("バイク");
    entity("車");
    dictionary.addThesaurus("乗り物", std::make_unique<Thesaurus>(knowledge_type::ENTITY_SYNONYMS, title("乗り物"), nullptr));
    title("が");
    title("歩く");
    // Each word is tied to an entity, but is an entity itself, a thesaurus
    // title, a particle after the first word, or the relation names nothing.
    network->addSense("車", sense("バイク"));
    network->addSense("乗り物", sense("バイク"));
    network->addSense("が", sense("バイク"));
    network->addSense("歩く", sense("徒歩"));
    Morpheme particle = makeWord("が", pos::PARTICLE + 1);
    const std::size_t terms = dictionary.termIndex().size();
    const std::size_t thesauri = dictionary.thesauri().size();
    dictionary.extendWordThesauri(makeList({makeWord("車", pos::COMMON_NOUN), makeWord("乗り物", pos::COMMON_NOUN),
                                            particle, makeWord("歩く", pos::VERB)}));
    EXPECT_EQ(dictionary.termIndex().size(), terms);
    EXPECT_EQ(dictionary.thesauri().size(), thesauri);
}

TEST_F(SynonymExtensionTest, AKatakanaWordWithoutRelationsIsRetriedThroughItsHiraganaReading)
{
    Morpheme word = makeWord("バス", pos::COMMON_NOUN);
    word.setReading("バス");
    network->addSense("ばす", sense("乗合自動車"));
    const std::vector<SenseRecord> records = relatedWords(word);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].relatedWord, "乗合自動車");
    EXPECT_EQ(records[0].queriedWord, "バス");

    // A word found under its surface needs no retry.  Only ぃ..ん have
    // hiragana: ヴ (0xA5F4) and ァ (0xA5A1) stay.
    Morpheme written = makeWord("走った", pos::VERB);
    written.setKeyForm("走る");
    network->addSense("走った", sense("駆ける"));
    EXPECT_EQ(relatedWords(written).size(), 1u);
    Morpheme foreign = makeWord("ヴァン", pos::COMMON_NOUN);
    foreign.setReading("ヴァン");
    network->addSense("ヴァん", sense("箱型車"));
    EXPECT_EQ(relatedWords(foreign).size(), 1u);
}

class ExtendEntityTest : public SynonymExtensionTest {
protected:
    Entity* extend(const std::string& word, const std::vector<SenseRecord>& relations, bool keepOut)
    {
        for (const SenseRecord& relation : relations)
            title(relation.relatedWord);
        title(word);
        testing::internal::CaptureStdout();
        Entity* result = extendEntity(word, relations, dictionary, keepOut, text, fromSynonym);
        lines = testing::internal::GetCapturedStdout();
        return result;
    }
    std::string text;
    bool fromSynonym = true;
    std::string lines;
};

TEST_F(ExtendEntityTest, SeveralSynonymsGiveTheWordItsOwnEntityRelatedToEach)
{
    EXPECT_EQ(extend("単車", {sense("バイク"), sense("オートバイ"), sense("自転車", '0', 'P')}, false), nullptr);
    EXPECT_EQ(lines, utf8(u8"extend:Multisynonym or multitype(Synonymous　Representative word is more than one "
                          u8"include itself)単車(ET)\n"
                          u8"extend:バイク(ET)\n"
                          u8"extend:オートバイ(ET)\n"));
    EXPECT_EQ(text, "単車");
    EXPECT_FALSE(fromSynonym);
    Entity* own = dictionary.findByName("単車", false);
    ASSERT_TRUE(own);
    EXPECT_EQ(own->getFlags(), Entity::FLAG_SYNONYM_EXTENSION);
    EXPECT_EQ(own->relatedEntities().size(), 2u);
    EXPECT_TRUE(own->relatedEntities().contains(dictionary.findByName("オートバイ", false)));
    EXPECT_EQ(dictionary.findByName("自転車", false), nullptr) << "P relations are not looked at";
    EXPECT_EQ(termsUnder("バイク"), 1u);

    // A second extension finds everything and adds nothing.
    const std::size_t entities = dictionary.entities().size();
    extend("単車", {sense("バイク"), sense("オートバイ")}, false);
    EXPECT_EQ(lines, "");
    EXPECT_EQ(dictionary.entities().size(), entities);
    EXPECT_EQ(termsUnder("単車"), 1u);
}

TEST_F(ExtendEntityTest, OneSynonymStandsForTheWordOnlyWhenKeptOut)
{
    EXPECT_EQ(extend("単車", {sense("バイク")}, false), nullptr);
    EXPECT_EQ(lines, utf8(u8"extend:バイク(ET)\n"));
    EXPECT_EQ(text, "バイク");
    EXPECT_EQ(termsUnder("バイク"), 1u);

    Entity* result = extend("自動二輪", {sense("オートバイ")}, true);
    ASSERT_TRUE(result);
    EXPECT_EQ(result, dictionary.findByName("オートバイ", false));
    EXPECT_TRUE(fromSynonym);
    EXPECT_EQ(termsUnder("オートバイ"), 0u) << "kept out of term recognition";
}

TEST_F(ExtendEntityTest, ASynonymOfItselfRelatesTheAntonymsAndOneAntonymIsTheResult)
{
    Entity* result = extend("暑い", {sense("暑い"), sense("寒い", '1')}, false);
    EXPECT_EQ(lines, utf8(u8"extend:暑い(ET)\nextend:寒い(ET)\n"));
    ASSERT_TRUE(result);
    EXPECT_EQ(result, dictionary.findByName("寒い", false));
    EXPECT_FALSE(fromSynonym);
    EXPECT_EQ(text, "寒い");
    EXPECT_TRUE(dictionary.findByName("暑い", false)->relatedEntities().contains(result));
}

TEST_F(ExtendEntityTest, SeveralAntonymsGiveTheWordItsOwnEntity)
{
    EXPECT_EQ(extend("中", {sense("上", '1'), sense("下", '1')}, true), nullptr);
    EXPECT_EQ(lines, utf8(u8"extend:multianti is not exist in Synonymous　Representative word中(ET)\n"
                          u8"extend:上(ET)\nextend:下(ET)\n"));
    EXPECT_EQ(text, "");
    EXPECT_EQ(dictionary.findByName("中", false)->relatedEntities().size(), 2u);
    EXPECT_EQ(termsUnder("上"), 0u);
}

}  // namespace
}  // namespace quibo
