#include "knowledge/CDictionary.h"

#include "analysis/LanguageAnalyzer.h"
#include "knowledge/Entity.h"
#include "knowledge/ParsedText.h"
#include "knowledge/Predicative.h"
#include "knowledge/Thesaurus.h"
#include "tests/support/InMemorySemanticNetwork.h"
#include "tests/support/KnowledgeSamples.h"
#include "tests/support/Words.h"

#include <gtest/gtest.h>

namespace quibo {
namespace {

using test::keyForms;
using test::makeList;
using test::makeWord;

// A dictionary whose titles are cached as given (no analyser needed).
class TermFixture : public ::testing::Test {
protected:
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
    Predicative* predicative(const std::string& name)
    {
        Predicative* stored = dictionary.addPredicative(
            name, std::make_unique<Predicative>(knowledge_type::PREDICATIVE, title(name)));
        dictionary.registerTerm(stored);
        return stored;
    }

    test::ScopedSemanticNetwork network;
    CDictionary dictionary;
};

TEST(ClassifyEntitiesTest, EntitiesOfTheLoadedSampleLandInTheSetsOfTheirFlagBits)
{
    auto loaded = std::make_unique<CDictionary>();
    ASSERT_EQ(test::loadBytes(*loaded, test::fileBytes(*test::compileSmall())), 0);
    loaded->classifyEntities();
    Entity* shop = loaded->findByName("店", false);        // flags 1
    Entity* time = loaded->findByName("時間", false);      // flags 3
    Entity* act = loaded->findByName("ＣＡ発話", false);  // flags 4
    ASSERT_TRUE(shop && time && act);
    EXPECT_TRUE(loaded->getEntitySet1()->contains(shop));
    EXPECT_TRUE(loaded->getEntitySet1()->contains(time));
    EXPECT_TRUE(loaded->getEntitySet2()->contains(time));
    EXPECT_FALSE(loaded->getEntitySet2()->contains(shop));
    EXPECT_TRUE(loaded->getEntitySet4()->contains(act));
    EXPECT_EQ(loaded->getEntitySet1()->size(), 2u);
    EXPECT_EQ(loaded->getEntitySet4()->size(), 1u);
    // The compiler's index build marks the centres of titles whose words
    // name a centre with bit 0x08; the greeting's title names none.
    EXPECT_EQ(loaded->getEntitySet8()->size(), 2u);
    EXPECT_TRUE(loaded->getEntitySet8()->contains(shop));
    EXPECT_TRUE(loaded->getEntitySet8()->contains(time));
}

TEST_F(TermFixture, EntitiesWithSeveralOrNoBitsJoinEverySetOrNone)
{
    Entity* all = entity("全部", 0xF);
    entity("無し", 0x20);
    dictionary.classifyEntities();
    dictionary.classifyEntities();  // a second run adds nothing twice
    for (int bit : {1, 2, 4, 8}) {
        EXPECT_TRUE(dictionary.getEntitySet(bit)->contains(all)) << bit;
        EXPECT_EQ(dictionary.getEntitySet(bit)->size(), 1u) << bit;
    }
}

TEST(PickPreferredTest, EntitiesBeforeThesauriBeforePredicativesBeforeTheirThesauri)
{
    ParsedText text{"語", MorphemeList(), ""};
    Entity entity(&text, 0);
    Thesaurus entitySynonyms(knowledge_type::ENTITY_SYNONYMS, &text, &entity);
    Thesaurus entityThesaurus(knowledge_type::ENTITY_THESAURUS, &text, &entity);
    Predicative predicative(knowledge_type::PREDICATIVE, &text);
    Thesaurus predicativeSynonyms(knowledge_type::PREDICATIVE_SYNONYMS, &text, &predicative);
    Thesaurus other(0x12345, &text, nullptr);

    EXPECT_EQ(CDictionary::pickPreferred({&predicativeSynonyms, &predicative, &entitySynonyms, &entity}), &entity);
    EXPECT_EQ(CDictionary::pickPreferred({&predicative, &entityThesaurus, &entitySynonyms}), &entityThesaurus);
    EXPECT_EQ(CDictionary::pickPreferred({&predicativeSynonyms, &predicative}), &predicative);
    EXPECT_EQ(CDictionary::pickPreferred({&other, &predicativeSynonyms}), &predicativeSynonyms);
    EXPECT_EQ(CDictionary::pickPreferred({&other, nullptr}), nullptr);
    EXPECT_EQ(CDictionary::pickPreferred({}), nullptr);
}

TEST_F(TermFixture, TheLongestTermWinsOverItsOwnBeginning)
{
    entity("東京");
    Entity* tower = entity("東京タワー展望台");
    const MorphemeList words = makeList({makeWord("東京", pos::PLACE_NAME), makeWord("タワー", pos::COMMON_NOUN),
                                         makeWord("展望台", pos::COMMON_NOUN), makeWord("へ", pos::PARTICLE + 1)});
    std::vector<TermSpan> spans;
    const MorphemeList merged = dictionary.mergeTerms(words, spans);

    ASSERT_EQ(merged.size(), 2u);
    ASSERT_EQ(spans.size(), 2u);
    EXPECT_EQ(merged.at(0).surfaceRef(), "東京タワー展望台");
    EXPECT_EQ(merged.at(0).getPosCode(), pos::ENTITY);
    EXPECT_EQ(merged.at(0).getOriginalPosCode(), pos::PLACE_NAME);
    EXPECT_EQ(merged.at(0).getKnowledgeObject(), tower);
    EXPECT_EQ(spans[0].start, 0);
    EXPECT_EQ(spans[0].end, 3);
    EXPECT_EQ(spans[0].objectCount, 1);
    EXPECT_EQ(spans[0].entity, tower);
    EXPECT_EQ(spans[1].objectCount, 0);
    EXPECT_EQ(spans[1].end, 0);
    EXPECT_EQ(merged.at(1).surfaceRef(), "へ");
}

TEST_F(TermFixture, EqualWeightsGoToTheFirstRecordedAndOverlapsAreSkipped)
{
    // "赤青" and "青赤" weigh the same; the earlier start is recorded first
    // and takes "青", so the second candidate overlaps and is skipped.
    Entity* redBlue = entity("赤青");
    entity("青赤");
    const MorphemeList words =
        makeList({makeWord("赤", pos::COMMON_NOUN), makeWord("青", pos::COMMON_NOUN), makeWord("赤", pos::COMMON_NOUN)});
    std::vector<TermSpan> spans;
    const MorphemeList merged = dictionary.mergeTerms(words, spans);
    EXPECT_EQ(keyForms(merged), "赤青 赤");
    EXPECT_EQ(merged.at(0).getKnowledgeObject(), redBlue);
}

TEST_F(TermFixture, OneWordTermsKeepFlagBitsTwoWordTermsLoseThem)
{
    entity("空");
    entity("海風");
    const std::uint32_t marks = Morpheme::FLAG_I | Morpheme::FLAG_U | Morpheme::FLAG_N | Morpheme::FLAG_G;
    const MorphemeList words = makeList({makeWord("空", pos::COMMON_NOUN, marks | Morpheme::FLAG_X),
                                         makeWord("海", pos::COMMON_NOUN, Morpheme::FLAG_I | Morpheme::FLAG_X),
                                         makeWord("風", pos::COMMON_NOUN, Morpheme::FLAG_Y | Morpheme::FLAG_A)});
    std::vector<TermSpan> spans;
    const MorphemeList merged = dictionary.mergeTerms(words, spans);
    ASSERT_EQ(merged.size(), 2u);
    EXPECT_EQ(merged.at(0).getFlags(), marks | Morpheme::FLAG_X);
    // X and Y together: X goes; I goes with the other three.
    EXPECT_EQ(merged.at(1).getFlags(), Morpheme::FLAG_Y | Morpheme::FLAG_A);
    EXPECT_EQ(merged.at(1).surfaceRef(), "海風");
}

TEST_F(TermFixture, TermsAreFoundThroughKeyFormsAndJoinConjugationAndAttributes)
{
    Predicative* open = predicative("開く");
    Morpheme opened = makeWord("開い", pos::VERB);
    opened.setKeyForm("開く");
    opened.setConjugation(7);
    opened.setAttributeWord(0x100);
    std::vector<TermSpan> spans;
    const MorphemeList merged = dictionary.mergeTerms(makeList({opened}), spans);
    ASSERT_EQ(merged.size(), 1u);
    EXPECT_EQ(merged.at(0).surfaceRef(), "開い");
    EXPECT_EQ(merged.at(0).getPosCode(), pos::PREDICATIVE);
    EXPECT_EQ(merged.at(0).getConjugation(), 7);
    EXPECT_EQ(merged.at(0).getAttributeWord(), 0x100u);
    EXPECT_EQ(spans[0].predicative, open);
}

TEST_F(TermFixture, ParticlesAfterTheFirstWordStartNoTermAndUnknownWordsAreMarkedU)
{
    entity("の木");
    Morpheme particle = makeWord("の", pos::PARTICLE + 1);
    const MorphemeList words = makeList({makeWord("森", pos::COMMON_NOUN), particle, makeWord("木", pos::COMMON_NOUN)});
    std::vector<TermSpan> spans;
    const MorphemeList merged = dictionary.mergeTerms(words, spans);
    EXPECT_EQ(keyForms(merged), "森 の 木");
    // Content words unknown to the network are marked U; the particle is no
    // content word.
    EXPECT_TRUE(merged.at(0).hasFlags(Morpheme::FLAG_U));
    EXPECT_FALSE(merged.at(1).hasFlags(Morpheme::FLAG_U));

    // A first word may be a particle.
    std::vector<TermSpan> firstSpans;
    EXPECT_EQ(keyForms(dictionary.mergeTerms(makeList({particle, makeWord("木", pos::COMMON_NOUN)}), firstSpans)),
              "の木");
}

TEST_F(TermFixture, RunsStopAtTheLongestRegisteredLength)
{
    entity("あい");
    dictionary.addTerm("あいう", nullptr);  // an unresolvable text is never merged
    const MorphemeList words = makeList({makeWord("あ", pos::COMMON_NOUN), makeWord("い", pos::COMMON_NOUN),
                                         makeWord("う", pos::COMMON_NOUN)});
    std::vector<TermSpan> spans;
    EXPECT_EQ(keyForms(dictionary.mergeTerms(words, spans)), "あい う");
}

// A word registered for an entity and two of its synonym groups.
class CandidateFixture : public TermFixture {
protected:
    void SetUp() override
    {
        bridge = entity("橋");
        river = entity("川");
        bridgeGroup = dictionary.findThesaurus(title("橋"), knowledge_type::ENTITY_SYNONYMS, river);
        dictionary.addTerm("橋", bridgeGroup);
    }
    Entity* bridge = nullptr;
    Entity* river = nullptr;
    Thesaurus* bridgeGroup = nullptr;
};

TEST_F(CandidateFixture, ATermOfSeveralObjectsGivesOneVariantPerObject)
{
    const AnalyzedSentenceList sentences = dictionary.buildCandidates(
        "橋", makeList({makeWord("橋", pos::COMMON_NOUN), makeWord("を", pos::PARTICLE + 1)}), 0);
    ASSERT_EQ(sentences.size(), 2u);
    EXPECT_EQ(sentences[0]->words().at(0).getPosCode(), pos::ENTITY);
    EXPECT_EQ(sentences[0]->words().at(0).getKnowledgeObject(), bridge);
    EXPECT_EQ(sentences[1]->words().at(0).getPosCode(), pos::ENTITY_SYNONYMS);
    EXPECT_EQ(sentences[1]->words().at(0).getKnowledgeObject(), river);
    EXPECT_EQ(sentences[0]->getText(), "橋");

    dictionary.setExpansionFlag(true);
    EXPECT_EQ(dictionary.buildCandidates("橋", makeList({makeWord("橋", pos::COMMON_NOUN)}), 0).size(), 1u);
}

TEST_F(TermFixture, VariantsStopAtThirty)
{
    // Two words of six objects each would give 36 variants.
    for (const char* text : {"甲", "乙"}) {
        Entity* owner = entity(text);
        for (int k = 0; k < 5; ++k) {
            Entity* other = entity(std::string(text) + std::to_string(k));
            dictionary.addTerm(text, dictionary.findThesaurus(title(text), knowledge_type::ENTITY_SYNONYMS, other));
        }
        (void)owner;
    }
    const MorphemeList words = makeList({makeWord("甲", pos::COMMON_NOUN), makeWord("乙", pos::COMMON_NOUN)});
    const AnalyzedSentenceList sentences = dictionary.buildCandidates("甲乙", words, 0);
    EXPECT_EQ(sentences.size(), CANDIDATE_LIMIT);
    std::set<std::vector<Morpheme>, WordSequenceLess> distinct;
    for (const auto& sentence : sentences)
        distinct.insert(sentence->words().words());
    EXPECT_EQ(distinct.size(), CANDIDATE_LIMIT) << "no two variants bind the same objects";
}

TEST_F(CandidateFixture, PhraseStructureReadingsAreAskedForInModeOneOnlyAndKeptOnce)
{
    int asked = 0;
    dictionary.setPhraseStructureBuilder([&](const MorphemeList& variant) {
        ++asked;
        MorphemeList reordered = variant;
        reordered.setListNumber(5);
        std::vector<MorphemeList> readings{variant, reordered};
        readings.push_back(makeList({makeWord("同じ", pos::COMMON_NOUN)}));
        return readings;
    });
    const MorphemeList words = makeList({makeWord("橋", pos::COMMON_NOUN)});
    EXPECT_EQ(dictionary.buildCandidates("橋", words, 0).size(), 2u);
    EXPECT_EQ(asked, 0);
    // Two variants, each read as itself (twice) and as the same third list.
    const AnalyzedSentenceList sentences = dictionary.buildCandidates("橋", words, 1);
    EXPECT_EQ(asked, 2);
    ASSERT_EQ(sentences.size(), 3u);
    EXPECT_EQ(keyForms(sentences[1]->words()), "同じ");
    EXPECT_EQ(sentences[2]->words().at(0).getPosCode(), pos::ENTITY_SYNONYMS);
}

TEST_F(CandidateFixture, SemanticIndexCompletesDeduplicatesAndSortsItsSentences)
{
    dictionary.setPhraseStructureBuilder([](const MorphemeList& variant) {
        MorphemeList late = variant;
        late.setListNumber(9);
        MorphemeList early = variant;
        early.setListNumber(1);
        early.push_back(makeWord("。", pos::SPECIAL + 1));
        return std::vector<MorphemeList>{late, early};
    });
    Morpheme bridgeWord = makeWord("橋", pos::COMMON_NOUN, Morpheme::FLAG_X);
    const AnalyzedSentenceList sentences =
        dictionary.semanticIndex("橋？", {makeList({bridgeWord})}, {-1}, 1);
    // Variant 1 (entity): readings late, early; variant 2 (group): the same
    // two readings with another binding.
    ASSERT_EQ(sentences.size(), 4u);
    EXPECT_EQ(sentences[0]->orderingValue(), 1);
    EXPECT_EQ(sentences[1]->orderingValue(), 1);
    EXPECT_EQ(sentences[2]->orderingValue(), 9);
    EXPECT_EQ(sentences[0]->words().at(0).getKnowledgeObject(), bridge);
    EXPECT_EQ(sentences[1]->words().at(0).getKnowledgeObject(), river);
    for (const auto& sentence : sentences) {
        EXPECT_EQ(sentence->getText(), "橋？");
        EXPECT_FALSE(sentence->getMark());
        EXPECT_TRUE(sentence->getFlag0());
        EXPECT_TRUE(sentence->getFlag1());
        EXPECT_EQ(sentence->words().at(0).getO(), 0);
        EXPECT_EQ(sentence->extra().size(), 1u);
    }
    EXPECT_TRUE(sentences[0]->extra().contains(bridge));
    EXPECT_TRUE(sentences[1]->extra().contains(river));
    EXPECT_EQ(dictionary.notedWordLists().size(), 4u);
}

TEST_F(TermFixture, SemanticIndexKeepsTwentyNineSentencesOfAText)
{
    Entity* owner = entity("甲");
    for (int k = 0; k < 20; ++k) {
        Entity* other = entity("甲" + std::to_string(k));
        dictionary.addTerm("甲", dictionary.findThesaurus(title("甲"), knowledge_type::ENTITY_SYNONYMS, other));
    }
    (void)owner;
    // Two sentences of 21 variants each: the text stops at 29 (21 + 8).
    const MorphemeList first = makeList({makeWord("甲", pos::COMMON_NOUN)});
    const MorphemeList second = makeList({makeWord("甲", pos::COMMON_NOUN), makeWord("森", pos::COMMON_NOUN)});
    const AnalyzedSentenceList sentences = dictionary.semanticIndex("甲", {first, second}, {-1}, 0);
    EXPECT_EQ(sentences.size(), CANDIDATE_LIMIT - 1);
}

TEST_F(TermFixture, RepeatedWordListsOfAVariantAreDroppedButEveryVariantKeepsItsFirst)
{
    // The same object registered twice gives two variants with the same
    // words.  Of each sentence's list only the first stays, also when an
    // earlier sentence noted its words.
    Entity* forest = entity("森");
    dictionary.addTerm("森", forest);
    const MorphemeList words = makeList({makeWord("森", pos::COMMON_NOUN)});
    EXPECT_EQ(dictionary.buildCandidates("森", words, 0).size(), 2u);
    EXPECT_EQ(dictionary.semanticIndex("森", {words, words}, {-1}, 0).size(), 2u);
    EXPECT_EQ(dictionary.notedWordLists().size(), 1u);
}

TEST_F(TermFixture, CandidatesMarkPunctuationOnlySentencesAndSetAsideIgnorableEntities)
{
    Entity* a = entity("ア", 0);
    Entity* b = entity("イ", 0);
    Entity* flagged = entity("ウ", 2);
    const MorphemeList words =
        makeList({makeWord("ア", pos::COMMON_NOUN, Morpheme::FLAG_I), makeWord("イ", pos::COMMON_NOUN),
                  makeWord("ウ", pos::COMMON_NOUN, Morpheme::FLAG_I), makeWord("。", pos::SPECIAL + 1),
                  makeWord("、！", pos::SPECIAL + 1)});
    const AnalyzedSentenceList sentences = dictionary.semanticIndex("アイウ", {words}, {-1}, 0);
    ASSERT_EQ(sentences.size(), 1u);
    const AnalyzedSentence& sentence = *sentences[0];
    // イ (required) and ウ (flag 2) go in; ア is set aside and added as the
    // set stays below three.
    ASSERT_EQ(sentence.words().size(), 5u);
    EXPECT_EQ(sentence.extra().size(), 3u);
    EXPECT_TRUE(sentence.extra().contains(a) && sentence.extra().contains(b) && sentence.extra().contains(flagged));
    EXPECT_FALSE(sentence.getMark());

    const AnalyzedSentenceList marks = dictionary.semanticIndex(
        "。", {makeList({makeWord("。", pos::SPECIAL + 1), makeWord("ア", pos::COMMON_NOUN, Morpheme::FLAG_I)})},
        {-1}, 0);
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_TRUE(marks[0]->getMark());
}

TEST_F(TermFixture, OneWordSentencesAreJudgedWhole)
{
    // Without an installed rule set the judgement finds nothing, but a
    // sentence of one word (or none) must not be searched before its start.
    EXPECT_EQ(dictionary.semanticIndex("。", {makeList({makeWord("。", 0x10020)})}, {-1}, 0).size(), 1u);
    EXPECT_EQ(dictionary.semanticIndex("", {MorphemeList()}, {-1}, 0).size(), 1u);
}

}  // namespace
}  // namespace quibo
