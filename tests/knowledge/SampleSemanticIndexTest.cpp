#include "knowledge/CDictionary.h"

#include "analysis/LanguageAnalyzer.h"
#include "knowledge/Entity.h"
#include "knowledge/KnowledgeFile.h"
#include "knowledge/Thesaurus.h"
#include "tests/support/InstallTree.h"
#include "tests/support/KnowledgeSamples.h"

#include "tests/support/InstalledAnalyzer.h"

#include <gtest/gtest.h>

namespace quibo {
namespace {

class SampleSemanticIndexTest : public test::InstalledAnalyzerTest {
protected:
    void SetUp() override
    {
        InstalledAnalyzerTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_EQ(loadKnowledgeFile(dictionary, test::sampleKnowledgePath()), 0);
    }

    CDictionary dictionary;
};

// "ねだん" is no term of the sample base, which knows only "値段" and its
// groups "価格" and "料金"; the network built from the JUMAN dictionary
// lists "ねだん" as a written form of the sense "値段".
TEST_F(SampleSemanticIndexTest, AWordTheFileLacksReachesItsEntityThroughTheNetwork)
{
    Entity* price = dictionary.findByName("値段", false);
    ASSERT_TRUE(price);
    ASSERT_EQ(dictionary.termIndex().count("ねだん"), 0u);

    const AnalyzedSentenceList sentences = dictionary.analyseText("パンのねだんを教えてください", {-1}, 0);
    ASSERT_EQ(sentences.size(), 1u);
    const AnalyzedSentence& sentence = *sentences[0];
    EXPECT_TRUE(sentence.extra().contains(price));
    EXPECT_TRUE(sentence.extra().contains(dictionary.findByName("パン", false)));
    const Morpheme& word = sentence.words().at(2);
    EXPECT_EQ(word.surfaceRef(), "ねだん");
    EXPECT_EQ(word.keyFormRef(), "値段");
    EXPECT_EQ(word.getPosCode(), pos::ENTITY_SYNONYMS);
    EXPECT_EQ(word.getKnowledgeObject(), price);
    EXPECT_EQ(sentence.getText(), "パンのねだんを教えてください");
    EXPECT_TRUE(sentence.getFlag0());

    // The word is now a term of its own synonym group, added once.
    ASSERT_EQ(dictionary.termIndex().count("ねだん"), 1u);
    auto* group = dynamic_cast<Thesaurus*>(dictionary.termIndex().find("ねだん")->second);
    ASSERT_TRUE(group);
    EXPECT_EQ(group->getRepresentative(), price);
    const std::size_t thesauri = dictionary.thesauri().size();
    dictionary.analyseText("ねだんは？", {-1}, 0);
    EXPECT_EQ(dictionary.thesauri().size(), thesauri);
    EXPECT_EQ(dictionary.termIndex().count("ねだん"), 1u);
}

TEST_F(SampleSemanticIndexTest, LoadingClassifiesTheEntitiesByTheirFlagBits)
{
    // The sample's greeting words carry bit 1, its small talk bit 2, its
    // conversation entities bit 4, its general talk bit 8.
    EXPECT_TRUE(dictionary.getEntitySet1()->contains(dictionary.findByName("こんにちは", false)));
    EXPECT_TRUE(dictionary.getEntitySet2()->contains(dictionary.findByName("補完談話", false)));
    EXPECT_TRUE(dictionary.getEntitySet4()->contains(dictionary.findByName("ＣＡ発話", false)));
    EXPECT_TRUE(dictionary.getEntitySet8()->contains(dictionary.findByName("パン", false)));
    EXPECT_FALSE(dictionary.getEntitySet1()->contains(dictionary.findByName("補完談話", false)));
    std::size_t flagged = 0;
    for (const auto& [name, entity] : dictionary.entities())
        flagged += entity->hasFlag(1) ? 1 : 0;
    EXPECT_EQ(dictionary.getEntitySet1()->size(), flagged);
}

TEST_F(SampleSemanticIndexTest, TermsOfTheFileAreRecognisedWithoutExtension)
{
    const std::size_t thesauri = dictionary.thesauri().size();
    const AnalyzedSentenceList sentences = dictionary.analyseText("駐車場はありますか", {-1}, 0);
    ASSERT_EQ(sentences.size(), 1u);
    EXPECT_TRUE(sentences[0]->extra().contains(dictionary.findByName("駐車場", false)));
    EXPECT_EQ(dictionary.thesauri().size(), thesauri);
}

// The candidates carry the words as the meaning judgement leaves them:
// the sentence's terms flagged X and Y, so that the head noun is found.
TEST_F(SampleSemanticIndexTest, CandidatesCarryTheJudgedWords)
{
    const auto candidates = [&](const std::string& text) {
        std::string surfaces;
        const MorphemeList words = LanguageAnalyzer::instance()->analyze(text, surfaces);
        return dictionary.semanticIndex(text, {words}, {-1}, 0);
    };
    const AnalyzedSentenceList hours = candidates("営業時間を教えて");
    ASSERT_FALSE(hours.empty());
    for (const auto& sentence : hours) {
        std::string flags;
        for (const Morpheme& word : sentence->words().words())
            flags += word.getSurface() + ":" + std::to_string(word.getFlags() & Morpheme::HEAD_FLAGS) + " ";
        EXPECT_EQ(flags, "営業時間:1 を:2 教えて:2 ");
    }

    const AnalyzedSentenceList price = candidates("パンの値段を教えてください");
    ASSERT_FALSE(price.empty());
    const KeyWordInfo found = price[0]->searchKeyWord({});
    EXPECT_EQ(found.headSurface, "値段");

    // A blank inside a sentence (authors put them around Latin names) is
    // part of it; a blank after a finished sentence leaves that sentence
    // out of the judgement.  The candidate carries the whole judgement.
    const auto judged = [&](const std::string& text) {
        const AnalyzedSentenceList found = candidates(text);
        std::string flags;
        for (const Morpheme& word : found.at(0)->words().words())
            if (word.getSurface() != "　")
                flags += word.getSurface() + ":" + std::to_string(word.getFlags() & Morpheme::HEAD_FLAGS) + " ";
        const MeanEntry& judgement = found.at(0)->judgement();
        return flags + std::to_string(judgement.getCodeBits()) + "/" + std::to_string(judgement.getPolarity());
    };
    const std::string plain = judged("パンの値段を教えてください");
    EXPECT_EQ(judged("パン　の値段を教えてください"), plain);
    EXPECT_EQ(judged("ありがとう　パンの値段を教えてください"), "ありがとう:0 " + plain);
    MeanEntry negative;
    std::string surfaces;
    CDictionary::judgeSentence(LanguageAnalyzer::instance()->analyze("パンはありませんか", surfaces), {-1}, 0, negative);
    ASSERT_NE(negative.getPolarity(), 0);
    const std::string asked = judged("パンはありませんか");
    EXPECT_EQ(asked.substr(asked.rfind(' ') + 1),
              std::to_string(negative.getCodeBits()) + "/" + std::to_string(negative.getPolarity()));
}

}  // namespace
}  // namespace quibo
