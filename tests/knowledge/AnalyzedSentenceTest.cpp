#include "knowledge/AnalyzedSentence.h"

#include "analysis/LanguageAnalyzer.h"
#include "knowledge/CDictionary.h"
#include "knowledge/Entity.h"
#include "knowledge/ParsedText.h"
#include "tests/support/InMemorySemanticNetwork.h"
#include "tests/support/Words.h"

#include <gtest/gtest.h>

namespace quibo {
namespace {

using test::keyForms;
using test::makeList;
using test::makeWord;

constexpr std::int32_t CLASS_FLAG = 0x08;

SenseRecord synonym(const std::string& related)
{
    SenseRecord record;
    record.relatedWord = related;
    return record;
}

class NounClassTest : public ::testing::Test {
protected:
    Entity* entity(const std::string& name, std::int32_t flags)
    {
        ParsedText* title = dictionary.putParsedText(name, makeList({makeWord(name, pos::COMMON_NOUN)}), name);
        return dictionary.addEntity(name, std::make_unique<Entity>(title, flags));
    }
    // A word bound to an entity of the dictionary.
    Morpheme knowledgeWord(const std::string& name, std::uint32_t flags)
    {
        Morpheme word(entity(name, 0));
        word.setFlags(flags);
        return word;
    }

    test::ScopedSemanticNetwork network;
    CDictionary dictionary;
};

TEST_F(NounClassTest, ClassesComeFromRelationsAndReachableWordsOfEntitiesWithTheClassFlag)
{
    Entity* animal = entity("動物", CLASS_FLAG);
    Entity* mammal = entity("哺乳類", CLASS_FLAG | 0x1);
    entity("生物", 0x2);  // no class flag
    Morpheme dog = knowledgeWord("犬", Morpheme::FLAG_X);
    dog.setAttributeWord(0x100);
    dog.setO(3);
    dog.setM(1);
    network->addSense("犬", synonym("哺乳類 , 動物"));
    network->reach("犬", 1, 0, "動物, 植物");
    network->reach("犬", 2, 0, "生物");
    network->reach("犬", -1, 0, ",動物");  // an empty token ends the list
    const AnalyzedSentence sentence(
        "犬が走る", makeList({dog, makeWord("が", pos::PARTICLE + 1, Morpheme::FLAG_X),
                              makeWord("走る", pos::VERB, Morpheme::FLAG_Y)}));

    const NounClassList classes = sentence.classifyNouns(dictionary);
    // Names in byte order: 植物 (unknown), 生物 (no class), 動物, 哺乳類.
    ASSERT_EQ(classes.items().size(), 2u);
    EXPECT_EQ(classes.items()[0].classEntity(), animal);
    EXPECT_EQ(classes.items()[1].classEntity(), mammal);
    const MorphemeList& words = classes.items()[0].words();
    EXPECT_EQ(keyForms(words), "動物 走る") << "the selected content words";
    const Morpheme& replaced = words.at(0);
    EXPECT_EQ(replaced.getKnowledgeObject(), animal);
    EXPECT_EQ(replaced.getPosCode(), pos::ENTITY);
    EXPECT_EQ(replaced.getFlags(), Morpheme::FLAG_X);
    EXPECT_EQ(replaced.getAttributeWord(), 0x100u);
    EXPECT_EQ(replaced.getO(), 3);
    EXPECT_EQ(replaced.getM(), 1);
}

TEST_F(NounClassTest, ThesaurusWordsAskUnderTheirSurfaceAndPlainWordsOnlyByReach)
{
    Entity* fruit = entity("果物", CLASS_FLAG);
    Morpheme apple = makeWord("林檎", pos::ENTITY_SYNONYMS, Morpheme::FLAG_X);
    apple.setKeyForm("りんご");
    network->addSense("林檎", synonym("果物"));
    Morpheme pear = makeWord("梨", pos::COMMON_NOUN, Morpheme::FLAG_X);
    network->addSense("梨", synonym("果物"));  // relations count only for knowledge words
    const NounClassList classes =
        AnalyzedSentence("林檎と梨", makeList({apple, pear})).classifyNouns(dictionary);
    ASSERT_EQ(classes.items().size(), 1u);
    EXPECT_EQ(classes.items()[0].classEntity(), fruit);
    EXPECT_EQ(keyForms(classes.items()[0].words()), "果物 梨");
}

TEST_F(NounClassTest, FourKnowledgeWordsAreClassifiedOnlyWithExactlyOneRequired)
{
    entity("場所", CLASS_FLAG);
    network->reach("駅", 1, 0, "場所");
    auto sentenceWith = [&](std::uint32_t secondFlags) {
        return AnalyzedSentence(
            "", makeList({knowledgeWord("駅", Morpheme::FLAG_X), knowledgeWord("北", Morpheme::FLAG_X | secondFlags),
                          knowledgeWord("南", Morpheme::FLAG_X | Morpheme::FLAG_I),
                          knowledgeWord("東", Morpheme::FLAG_X | Morpheme::FLAG_I)}));
    };
    EXPECT_TRUE(sentenceWith(0).classifyNouns(dictionary).items().empty());
    EXPECT_EQ(sentenceWith(Morpheme::FLAG_I).classifyNouns(dictionary).items().size(), 1u);
}

TEST(NounClassWithoutNetworkTest, NothingIsClassifiedWithoutANetwork)
{
    CDictionary dictionary;
    ParsedText title{"動物", MorphemeList(), ""};
    dictionary.addEntity("動物", std::make_unique<Entity>(&title, CLASS_FLAG));
    const AnalyzedSentence sentence("犬", makeList({makeWord("犬", pos::COMMON_NOUN, Morpheme::FLAG_X)}));
    EXPECT_TRUE(sentence.classifyNouns(dictionary).items().empty());
    LanguageAnalyzer::deleteInstance();
}

class KeyWordTest : public ::testing::Test {
protected:
    KeyWordTest()
    {
        network->reach("自動車", 0, -1, "自動車");
        network->reach("自動車", 1, -1, "車, くる, 車輪");
    }
    AnalyzedSentence sentence{"自動車を", makeList({makeWord("自動車", pos::COMMON_NOUN, Morpheme::FLAG_Y),
                                                     makeWord("を", pos::PARTICLE + 1, Morpheme::FLAG_Y)})};
    test::ScopedSemanticNetwork network;
};

KeyWordInfo info(std::string head, std::string key, std::string context, int depth, int distance)
{
    KeyWordInfo result;
    result.headSurface = std::move(head);
    result.keyWord = std::move(key);
    result.contextWord = std::move(context);
    result.depth = depth;
    result.distance = distance;
    return result;
}

TEST_F(KeyWordTest, TheClosestLinkOverReachAndPathWins)
{
    // At depth 0 the head itself reaches 道路 three steps away; at depth 1
    // 車輪 reaches エンジン one step away: 1 + 1 beats 0 + 3.
    network->relate("自動車", "道路", 1, 3);
    network->relate("車輪", "エンジン", 1, 1);
    EXPECT_EQ(sentence.searchKeyWord({"エンジン", "", "道路"}), info("自動車", "車輪", "エンジン", 1, 1));
    EXPECT_EQ(sentence.searchKeyWord({"道路"}), info("自動車", "道路", "", 3, -1));
}

TEST_F(KeyWordTest, BackwardPathsCountTheirLengthAndLaterContextIsTriedFirst)
{
    network->relate("自動車", "道路", 1, -2);
    network->relate("自動車", "駐車場", 1, -2);
    EXPECT_EQ(sentence.searchKeyWord({"道路", "駐車場"}), info("自動車", "自動車", "", 2, -1));
    network->relate("車輪", "駐車場", 1, -1);
    network->relate("車輪", "道路", 1, -1);
    // Depth 1 and a backward step of 1 (2) does not beat 2; a path beyond
    // the limit of 3 is not found.
    EXPECT_EQ(sentence.searchKeyWord({"道路", "駐車場"}), info("自動車", "自動車", "", 2, -1));
    network->relate("自動車", "道路", 1, -4);
    network->relate("自動車", "駐車場", 1, -4);
    EXPECT_EQ(sentence.searchKeyWord({"道路", "駐車場"}), info("自動車", "車輪", "駐車場", 1, 1));
}

TEST_F(KeyWordTest, OneCharacterAndHiraganaWordsAreNeverKeyWords)
{
    network->relate("車", "エンジン", 1, 0);
    network->relate("くる", "エンジン", 1, 0);
    EXPECT_EQ(sentence.searchKeyWord({"エンジン"}), info("自動車", "", "", -1, -1));
}

TEST_F(KeyWordTest, TheHeadIsTheLastYNounElseTheLastXNoun)
{
    const AnalyzedSentence xOnly("駅の椅子", makeList({makeWord("駅", pos::COMMON_NOUN, Morpheme::FLAG_X),
                                                       makeWord("椅子", pos::COMMON_NOUN, Morpheme::FLAG_X),
                                                       makeWord("座る", pos::VERB, Morpheme::FLAG_X)}));
    EXPECT_EQ(xOnly.searchKeyWord({}).headSurface, "椅子");
    const AnalyzedSentence none("走る", makeList({makeWord("走る", pos::VERB, Morpheme::FLAG_Y),
                                                   makeWord("犬", pos::COMMON_NOUN)}));
    EXPECT_EQ(none.searchKeyWord({"犬"}), KeyWordInfo());
}

TEST(KeyWordWithoutNetworkTest, TheHeadIsReportedWithoutKeyWord)
{
    LanguageAnalyzer::deleteInstance();
    const AnalyzedSentence sentence("駅", makeList({makeWord("駅", pos::COMMON_NOUN, Morpheme::FLAG_X)}));
    EXPECT_EQ(sentence.searchKeyWord({"駅前"}), info("駅", "", "", -1, -1));
    LanguageAnalyzer::deleteInstance();
}

}  // namespace
}  // namespace quibo
