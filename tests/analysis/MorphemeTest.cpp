#include "analysis/Morpheme.h"

#include "analysis/LanguageAnalyzer.h"
#include "analysis/MorphemeList.h"
#include "knowledge/CDictionary.h"
#include "knowledge/Entity.h"
#include "knowledge/ParsedText.h"
#include "knowledge/Predicative.h"
#include "knowledge/Thesaurus.h"
#include "tests/support/InMemorySemanticNetwork.h"
#include "tests/support/Words.h"

#include <gtest/gtest.h>

namespace quibo {
namespace {

using test::makeList;
using test::makeWord;
using test::ScopedSemanticNetwork;

// A word's texts live inside the record up to 15 bytes and on the heap
// beyond: every length across that border, copies and moves between the two
// kinds, and a text assigned from a view of itself keep their bytes.
TEST(MorphemeTest, WordTextsKeepTheirBytesAcrossTheInlineBorder)
{
    std::string grown;
    for (int length = 0; length <= 40; ++length) {
        const std::string bytes = grown;
        WordText text(bytes);
        EXPECT_EQ(text.view(), bytes);
        WordText copy(text);
        WordText moved(std::move(text));
        EXPECT_EQ(copy.view(), bytes);
        EXPECT_EQ(moved.view(), bytes);
        EXPECT_TRUE(text.empty());
        // From a shorter and from a longer text, both ways.
        WordText other("\xb1\xc4\xb6\xc8\xbb\xfe\xb4\xd6\xa4\xf2\xb6\xb5\xa4\xa8\xa4\xc6");  // 営業時間を教えて
        other = copy;
        EXPECT_EQ(other.view(), bytes);
        copy = WordText("x");
        EXPECT_EQ(copy.view(), "x");
        // A text's own tail, assigned to it.
        moved.assign(moved.view().substr(moved.size() / 2));
        EXPECT_EQ(moved.view(), bytes.substr(bytes.size() / 2));
        grown += static_cast<char>(0xA1 + length % 80);
    }

    // Through the word, as the analyser and the knowledge file set them.
    Morpheme word;
    const std::string longSurface(17, '\xa4');
    word.setSurface(longSurface);
    word.setKeyForm(word.surfaceRef().substr(0, 4));
    Morpheme copy = word;
    word.setSurface(word.surfaceRef());
    EXPECT_EQ(copy.surfaceRef(), longSurface);
    EXPECT_EQ(word.surfaceRef(), longSurface);
    EXPECT_EQ(copy.keyFormRef(), std::string(4, '\xa4'));
}

TEST(MorphemeTest, SetBuildsPosCodeFromClassAndSubclass)
{
    struct Case {
        int classId, subclassId;
        PosCode expected;
    };
    const Case cases[] = {
        {6, 7, 0x200040},       // numeral
        {6, 0, 0x200000},       // noun itself
        {15, 3, 0x40000004},    // unknown alphabet
        {1, 1, 0x10001},
        {2, 0, 0x20000},
        {15, 0, 0x40000000},    // the highest class stays inside 32 bits
        {6 + 32, 1 + 32, 0x200001},  // shift counts modulo 32
    };
    for (const Case& c : cases) {
        Morpheme word;
        word.setFlags(Morpheme::FLAG_X);
        word.setO(3);
        word.set("猫", "ねこ", "猫", c.classId, c.subclassId, 2, 45);
        EXPECT_EQ(word.getPosCode(), c.expected) << c.classId << "/" << c.subclassId;
        EXPECT_EQ(word.getOriginalPosCode(), c.expected);
        EXPECT_EQ(word.keyFormRef(), "猫");
        EXPECT_EQ(word.getConjugation(), 2 * 0x10000 + 45);
        // Flags and position are the caller's, not the analyser's.
        EXPECT_EQ(word.getFlags(), Morpheme::FLAG_X);
        EXPECT_EQ(word.getO(), 3);
        // Made in place from the same result, a word is the record set() fills.
        const Morpheme made("猫", "ねこ", "猫", c.classId, c.subclassId, 2, 45);
        Morpheme fresh;
        fresh.set("猫", "ねこ", "猫", c.classId, c.subclassId, 2, 45);
        EXPECT_EQ(made.getOriginalPosCode(), c.expected);
        EXPECT_EQ(made.dump(0x1FF), fresh.dump(0x1FF));
    }
}

TEST(MorphemeTest, PosNameCoversTheTableAndNothingElse)
{
    EXPECT_EQ(posCodeName(0x200001), "普通名詞");
    EXPECT_EQ(posCodeName(0x20001), "サ変動詞(する)");
    EXPECT_EQ(posCodeName(0x205000), "ET");
    EXPECT_EQ(posCodeName(0x40000008), "乱れ句");
    EXPECT_EQ(posCodeName(0x200000 + 3), "****");  // two subclass bits
    EXPECT_EQ(posCodeName(0), "****");
    Morpheme bound = makeWord("猫", pos::COMMON_NOUN);
    bound.setPosCode(pos::ENTITY);
    EXPECT_EQ(bound.posName(), "ET");  // the stored code, not the effective one
}

TEST(MorphemeTest, DumpPrintsChosenPartsInFixedOrder)
{
    Morpheme cat = makeWord("猫", pos::COMMON_NOUN, Morpheme::FLAG_X | Morpheme::FLAG_G);
    cat.setAttributeWord(0x100);
    cat.setO(2);
    EXPECT_EQ(cat.dump(0x1 + 0x8 + 0x40 + 0x100), "( 猫 普通名詞 X G 100 o=2 m=0)");

    Morpheme verb;
    verb.set("走っ", "はしっ", "走る", 2, 0, 10, 7);
    verb.setFlags(Morpheme::FLAG_VS | Morpheme::FLAG_MS | Morpheme::FLAG_E);
    verb.setM(3);
    EXPECT_EQ(verb.dump(0x1FF), "( 走っ 走る 動詞 はしっ 子音動詞ラ行 タ系連用テ形 VS MS E 0 o=0 m=3)\n");
    EXPECT_EQ(verb.dump(0), "( )");
}

TEST(MorphemeTest, DumpNamesConjugationOnlyWhenThereIsOne)
{
    Morpheme noun = makeWord("犬", pos::COMMON_NOUN);
    EXPECT_EQ(noun.dump(0x1 | 0x10 | 0x20), "( 犬 )");
    Morpheme verb;
    verb.set("走る", "はしる", "走る", 2, 0, 10, 45);
    EXPECT_EQ(verb.dump(0x20 | 0x10), "( 子音動詞ラ行 基本形 )");
}

TEST(MorphemeTest, DumpFlagGOptionOnlyWithoutFullFlags)
{
    const Morpheme word = makeWord("犬", pos::COMMON_NOUN, Morpheme::FLAG_G | Morpheme::FLAG_X);
    EXPECT_EQ(word.dump(0x400), "( G )");
    EXPECT_EQ(word.dump(0x400 | 0x40), "( X G 0)");
    EXPECT_EQ(makeWord("犬", pos::COMMON_NOUN).dump(0x400), "( )");
}

TEST(MorphemeTest, VariantWordDumpAppendsItsLevel)
{
    VariantWord word(makeWord("猫", pos::COMMON_NOUN), 3);
    EXPECT_EQ(word.dump(0x1 | 0x80), "( 猫  levelVari=3)");
    const Morpheme& asWord = word;
    EXPECT_EQ(asWord.dump(0x1), "( 猫  levelVari=3)");
    EXPECT_EQ(VariantWord().getLevelVari(), 0);
}

TEST(MorphemeTest, CopyKeepsEveryFieldAndSharesTheKnowledgeObject)
{
    ParsedText title("猫", MorphemeList(), "");
    Entity entity(&title, 0);
    Morpheme word = makeWord("猫", pos::COMMON_NOUN, Morpheme::FLAG_Y);
    word.setKnowledgeObject(&entity);
    word.setSpareMark(7);
    word.setAttributeWord(0x300);
    word.setM(2);
    const Morpheme copy = word;
    EXPECT_EQ(copy.getKnowledgeObject(), &entity);
    EXPECT_EQ(copy.getSpareMark(), 7);
    EXPECT_EQ(copy.getAttributeWord(), 0x300u);
    EXPECT_EQ(copy.getM(), 2);
    EXPECT_EQ(copy.dump(0x1FF), word.dump(0x1FF));
}

TEST(MorphemeTest, CompoundFlagsDependOnHowManyWordsJoin)
{
    const std::uint32_t marks = Morpheme::FLAG_I | Morpheme::FLAG_U | Morpheme::FLAG_N | Morpheme::FLAG_G;
    Morpheme first = makeWord("東京", pos::PLACE_NAME, marks | Morpheme::FLAG_X | Morpheme::FLAG_MS);
    first.setAttributeWord(0x100);
    Morpheme second = makeWord("タワー", pos::COMMON_NOUN, Morpheme::FLAG_Y | Morpheme::FLAG_A);
    second.setAttributeWord(0x200);
    second.setConjugation(0x150005);

    const Morpheme one = Morpheme::makeCompound("東京", {first}, nullptr, false, false, false);
    EXPECT_EQ(one.getFlags(), marks | Morpheme::FLAG_X);  // MS is always dropped

    const Morpheme two = Morpheme::makeCompound("東京タワー", {first, second}, nullptr, false, false, false);
    EXPECT_EQ(two.getFlags(), Morpheme::FLAG_Y | Morpheme::FLAG_A);  // X yields to Y
    EXPECT_EQ(two.getAttributeWord(), 0x300u);
    EXPECT_EQ(two.getConjugation(), 0x150005);
    EXPECT_EQ(two.keyFormRef(), "東京タワー");
    EXPECT_EQ(two.getOriginalPosCode(), pos::NOUN);
    // Without an analyser the re-analysis yields nothing.
    EXPECT_EQ(two.getPosCode(), pos::COMMON_NOUN);

    const Morpheme marked = Morpheme::makeCompound("東京タワー", {first, second}, nullptr, false, false, true);
    EXPECT_TRUE(marked.hasFlagG());
}

TEST(MorphemeTest, CompoundLooksUpKnowledgeWhenAsked)
{
    CDictionary dictionary;
    ParsedText towerTitle("東京タワー", MorphemeList(), "");
    Entity* tower = dictionary.addEntity("東京タワー", std::make_unique<Entity>(&towerTitle, 0));
    ParsedText runTitle("走り込む", MorphemeList(), "");
    dictionary.addPredicative("走り込む",
                              std::make_unique<Predicative>(knowledge_type::PREDICATIVE, &runTitle));
    const std::vector<Morpheme> words = {makeWord("東京", pos::PLACE_NAME)};

    const Morpheme found = Morpheme::makeCompound("東京タワー", words, &dictionary, false, true, false);
    EXPECT_EQ(found.getKnowledgeObject(), tower);
    EXPECT_EQ(found.getPosCode(), pos::ENTITY);

    const Morpheme forcedEntity = Morpheme::makeCompound("大阪城", words, &dictionary, true, true, false);
    EXPECT_EQ(forcedEntity.getKnowledgeObject(), nullptr);
    EXPECT_EQ(forcedEntity.getPosCode(), pos::ENTITY);

    EXPECT_EQ(Morpheme::makeCompound("大阪城", words, &dictionary, false, true, false).getPosCode(),
              pos::COMMON_NOUN);
    EXPECT_EQ(Morpheme::makeCompound("大阪城", words, &dictionary, true, false, false).getPosCode(),
              pos::PREDICATIVE);
    EXPECT_EQ(Morpheme::makeCompound("走り込む", words, &dictionary, false, false, false).getPosCode(),
              pos::PREDICATIVE);
}

TEST(MorphemeTest, KnowledgeObjectRecordTakesTheTitle)
{
    ParsedText title("東京タワー", MorphemeList(), "");
    Entity tower(&title, 0);
    const Morpheme word(&tower);
    EXPECT_EQ(word.surfaceRef(), "東京タワー");
    EXPECT_EQ(word.keyFormRef(), "東京タワー");
    EXPECT_EQ(word.baseFormRef(), "東京タワー");
    EXPECT_EQ(word.getPosCode(), pos::ENTITY);
    EXPECT_EQ(word.getOriginalPosCode(), pos::NOUN);
    EXPECT_EQ(word.getKnowledgeObject(), &tower);
}

TEST(MorphemeTest, EffectivePosFollowsTheBoundTitle)
{
    Morpheme word = makeWord("ねこ", pos::UNKNOWN_KATAKANA);
    EXPECT_EQ(word.getEffectivePosCode(), pos::UNKNOWN_KATAKANA);

    ParsedText three("東京の塔", makeList({makeWord("東京", pos::PLACE_NAME), makeWord("の", 0x1000001),
                                           makeWord("塔", pos::COMMON_NOUN)}),
                     "");
    Entity threeWords(&three, 0);
    word.setKnowledgeObject(&threeWords);
    EXPECT_EQ(word.getEffectivePosCode(), pos::COMMON_NOUN);

    ParsedText one("走る", makeList({makeWord("走る", pos::VERB)}), "");
    Entity oneWord(&one, 0);
    word.setKnowledgeObject(&oneWord);
    EXPECT_EQ(word.getEffectivePosCode(), pos::VERB);
    EXPECT_TRUE(word.isPredicateWord(true));
    EXPECT_FALSE(word.isPredicateWord(false));

    ParsedText none("", MorphemeList(), "");
    Entity noWords(&none, 0);
    word.setKnowledgeObject(&noWords);
    EXPECT_EQ(word.getEffectivePosCode(), pos::UNKNOWN_KATAKANA);
}

TEST(MorphemeTest, BindingFollowsTheObjectType)
{
    ParsedText towerTitle("東京タワー", MorphemeList(), "");
    ParsedText groupTitle("タワー類", MorphemeList(), "");
    ParsedText runTitle("走る", MorphemeList(), "");
    Entity tower(&towerTitle, 0);
    Predicative run(knowledge_type::PREDICATIVE, &runTitle);
    Thesaurus entityGroup(knowledge_type::ENTITY_SYNONYMS, &groupTitle, &tower);
    Thesaurus verbGroup(knowledge_type::PREDICATIVE_SYNONYMS, &groupTitle, &run);

    Morpheme word = makeWord("塔", pos::COMMON_NOUN);
    word.bindKnowledgeObject(&tower);
    EXPECT_EQ(word.getPosCode(), pos::ENTITY);
    EXPECT_EQ(word.keyFormRef(), "東京タワー");
    EXPECT_EQ(word.getKnowledgeObject(), &tower);
    EXPECT_EQ(word.surfaceRef(), "塔");

    word = makeWord("塔", pos::COMMON_NOUN);
    word.bindKnowledgeObject(&entityGroup);
    EXPECT_EQ(word.getPosCode(), pos::ENTITY_SYNONYMS);
    EXPECT_EQ(word.keyFormRef(), "東京タワー");
    EXPECT_EQ(word.getKnowledgeObject(), &tower);  // the representative stands for the group

    word = makeWord("駆ける", pos::VERB);
    word.bindKnowledgeObject(&verbGroup);
    EXPECT_EQ(word.getPosCode(), pos::PREDICATIVE_SYNONYMS);
    EXPECT_EQ(word.keyFormRef(), "走る");
    EXPECT_EQ(word.getKnowledgeObject(), nullptr);

    word = makeWord("駆ける", pos::VERB);
    word.bindKnowledgeObject(&run);
    EXPECT_EQ(word.getPosCode(), pos::PREDICATIVE);
    EXPECT_EQ(word.keyFormRef(), "走る");

    word.bindKnowledgeObject(nullptr);
    EXPECT_EQ(word.getPosCode(), pos::PREDICATIVE);
}

TEST(MorphemeTest, AttributeSetListsNumberedBits)
{
    Morpheme word;
    word.setAttributeWord((1u << 8) | (1u << 10) | (1u << 31) | 0xFF);
    std::set<int> attributes = {99};
    word.getAttributeSet(attributes);
    EXPECT_EQ(attributes, (std::set<int>{1, 3, 24}));
}

TEST(MorphemeTest, CharacterClassTests)
{
    EXPECT_TRUE(makeWord("猫", pos::COMMON_NOUN).isKanjiThenHiragana());
    EXPECT_TRUE(makeWord("走る", pos::VERB).isKanjiThenHiragana());
    EXPECT_FALSE(makeWord("東京", pos::PLACE_NAME).isKanjiThenHiragana());
    EXPECT_FALSE(makeWord("", pos::COMMON_NOUN).isKanjiThenHiragana());

    Morpheme lowSecondByte = makeWord("\xB0\xA0", pos::COMMON_NOUN);
    EXPECT_FALSE(lowSecondByte.isKanjiThenHiragana());
    EXPECT_FALSE(lowSecondByte.isKeyKanjiThenHiragana());
    Morpheme keyOnly = makeWord("ねこ", pos::COMMON_NOUN);
    keyOnly.setKeyForm("猫だ");
    EXPECT_FALSE(keyOnly.isKanjiThenHiragana());
    EXPECT_TRUE(keyOnly.isKeyKanjiThenHiragana());

    EXPECT_TRUE(makeWord("ねこ", pos::COMMON_NOUN).isAllHiragana());
    EXPECT_TRUE(makeWord("", pos::COMMON_NOUN).isAllHiragana());
    EXPECT_FALSE(makeWord("ネコ", pos::COMMON_NOUN).isAllHiragana());

    EXPECT_TRUE(makeWord("ＡＢｚ", pos::UNKNOWN_ALPHABET).isAllFullWidthLatin());
    EXPECT_FALSE(makeWord("Ａ１", pos::UNKNOWN_ALPHABET).isAllFullWidthLatin());
    EXPECT_FALSE(makeWord("Ａ\xA3", pos::UNKNOWN_ALPHABET).isAllFullWidthLatin());

    EXPECT_TRUE(makeWord("\xA4", pos::UNDEFINED_OTHER).isSingleKanaByte());
    EXPECT_TRUE(makeWord("\xA5", pos::UNDEFINED_OTHER).isSingleKanaByte());
    EXPECT_FALSE(makeWord("\xA3", pos::UNDEFINED_OTHER).isSingleKanaByte());
}

TEST(MorphemeTest, WordClassesReadThePosCode)
{
    EXPECT_TRUE(makeWord("犬", pos::COMMON_NOUN).isShortNoun());
    EXPECT_TRUE(makeWord("犬たち", pos::COMMON_NOUN).isShortNoun());
    EXPECT_FALSE(makeWord("動物園", pos::COMMON_NOUN).isShortNoun());
    EXPECT_FALSE(makeWord("こと", pos::FORMAL_NOUN).isNoun(false));
    EXPECT_FALSE(makeWord("ため", pos::ADVERBIAL_NOUN).isContentWord());
    EXPECT_TRUE(makeWord("この", pos::ADNOMINAL).isContentWord());
    EXPECT_TRUE(makeWord("ＰＣ", pos::UNDEFINED_OTHER).isContentWord());
    EXPECT_FALSE(makeWord("が", 0x1000001).isContentWord());
    EXPECT_TRUE(makeWord("東京", pos::PLACE_NAME).isNamedNoun());
    EXPECT_TRUE(makeWord("猫", pos::ENTITY).isKnowledgeWord());
    EXPECT_FALSE(makeWord("走る", pos::PREDICATIVE).isKnowledgeWord());

    EXPECT_TRUE(makeWord("a", pos::ENTITY_THESAURUS).isKnowledgePair(pos::ENTITY));
    EXPECT_TRUE(makeWord("a", pos::ENTITY_SYNONYMS).isKnowledgePair(pos::ENTITY_THESAURUS));
    EXPECT_FALSE(makeWord("a", pos::ENTITY_SYNONYMS).isKnowledgePair(pos::ENTITY));

    EXPECT_EQ(makeWord("猫", pos::COMMON_NOUN).getNominalKind(), 1);
    Morpheme quiet = makeWord("静か", pos::ADJECTIVE);
    quiet.setConjugation(0x150000 + 49);
    EXPECT_EQ(quiet.getNominalKind(), 2);
    quiet.setConjugation(0x120000 + 49);
    EXPECT_EQ(quiet.getNominalKind(), 0);
}

TEST(MorphemeTest, UnknownWordsAreThoseTheNetworkDoesNotKnow)
{
    ScopedSemanticNetwork network;
    network->addSense("猫", SenseRecord{'N', '0', "動物", ""});

    EXPECT_FALSE(makeWord("猫", pos::COMMON_NOUN).isUnknownWord());
    EXPECT_TRUE(makeWord("ぬこ", pos::COMMON_NOUN).isUnknownWord());
    EXPECT_FALSE(makeWord("ぬこ", pos::COMMON_NOUN, Morpheme::FLAG_I).isUnknownWord());
    EXPECT_FALSE(makeWord("３", pos::NUMERAL).isUnknownWord());
    EXPECT_FALSE(makeWord("山田", pos::PERSON_NAME).isUnknownWord());
    EXPECT_TRUE(makeWord("\xA4", pos::UNKNOWN_KATAKANA).isUnknownWord());
    EXPECT_TRUE(makeWord("＠", pos::UNDEFINED_OTHER).isUnknownWord());
    EXPECT_FALSE(makeWord("が", 0x1000001).isUnknownWord());
}

// The correlation of 犬 (a short noun: the search goes two levels) and of
// 動物園 (one level) with a word stated at each depth from -2 to 2.
TEST(MorphemeTest, CorrelationDependsOnDepthAndShortness)
{
    struct Case {
        const char* from;
        int depth;
        int relation;
        int expected;
    };
    const Case cases[] = {
        {"犬", -2, 1, 1}, {"犬", -1, 1, 1}, {"犬", 0, 1, 1}, {"犬", 1, 1, 1}, {"犬", 2, 1, 1},
        {"犬", 2, 2, 2},
        {"動物園", -2, 1, 0}, {"動物園", -1, 1, 1}, {"動物園", 0, 1, 1}, {"動物園", 1, 2, 2},
        {"動物園", 2, 1, 0},
    };
    for (const Case& c : cases) {
        ScopedSemanticNetwork network;
        network->relate(c.from, "生き物", c.relation, c.depth);
        const Morpheme from = makeWord(c.from, pos::COMMON_NOUN);
        const Morpheme to = makeWord("生き物", pos::COMMON_NOUN);
        int distance = 0;
        EXPECT_EQ(from.getCorrelation(to, false, distance), c.expected) << c.from << " " << c.depth;
        EXPECT_EQ(distance, c.expected ? c.depth : 99999);
        // Reversed, the search runs from the other word, which the network
        // does not relate.
        EXPECT_EQ(to.getCorrelation(from, true, distance), c.expected);
        EXPECT_EQ(to.getCorrelation(from, false, distance), 0);
    }
}

TEST(MorphemeTest, CorrelationOfEqualKeysAndOppositeWords)
{
    ScopedSemanticNetwork network;
    network->relate("動物園", "水族館", 2, 1);
    Morpheme zoo = makeWord("動物園", pos::COMMON_NOUN);
    Morpheme other = makeWord("動物園", pos::COMMON_NOUN | pos::POLARITY_BIT);
    int distance = 5;
    EXPECT_EQ(zoo.getCorrelation(zoo, false, distance), 1);
    EXPECT_EQ(distance, 0);
    EXPECT_EQ(zoo.getCorrelation(other, false, distance), 2);

    Morpheme aquarium = makeWord("水族館", pos::COMMON_NOUN | pos::POLARITY_BIT);
    EXPECT_EQ(zoo.getCorrelation(aquarium, false, distance), 1);  // opposite of opposite
    EXPECT_TRUE(aquarium.isSameOrRelated(zoo) == false);
    network->relate("動物園", "水族館", 1, 0);
    EXPECT_TRUE(aquarium.isSameOrRelated(zoo));
}

TEST(MorphemeTest, WithoutNetworkOnlyEqualKeysCorrelate)
{
    LanguageAnalyzer::deleteInstance();
    const Morpheme dog = makeWord("犬", pos::COMMON_NOUN);
    int distance = 0;
    EXPECT_EQ(dog.getCorrelation(makeWord("猫", pos::COMMON_NOUN), false, distance), 0);
    EXPECT_EQ(distance, 99999);
    EXPECT_TRUE(dog.isSameOrRelated(makeWord("犬", pos::COMMON_NOUN)));
    EXPECT_FALSE(dog.isSameOrRelated(makeWord("猫", pos::COMMON_NOUN)));
    LanguageAnalyzer::deleteInstance();
}

}  // namespace
}  // namespace quibo
