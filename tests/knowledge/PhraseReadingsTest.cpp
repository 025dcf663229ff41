#include "knowledge/CDictionary.h"

#include "analysis/LanguageAnalyzer.h"
#include "tests/support/InMemorySemanticNetwork.h"
#include "tests/support/InstalledAnalyzer.h"
#include "tests/support/KnowledgeSamples.h"
#include "knowledge/KnowledgeFile.h"
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

std::vector<std::string> texts(const std::vector<MorphemeList>& lists)
{
    std::vector<std::string> result;
    for (const MorphemeList& list : lists)
        result.push_back(keyForms(list) + " #" + std::to_string(list.getListNumber()));
    return result;
}

class PhraseReadingsTest : public ::testing::Test {
protected:
    PhraseReadingsTest()
    {
        network->addSense("甲乙", sense("子"));
        network->addSense("甲乙", sense("丑"));
        network->addSense("子丙", sense("寅"));
    }

    test::ScopedSemanticNetwork network;
    CDictionary dictionary;
    const MorphemeList words = makeList({makeWord("甲", pos::COMMON_NOUN), makeWord("の", pos::PARTICLE),
                                         makeWord("乙", pos::COMMON_NOUN), makeWord("の", pos::PARTICLE),
                                         makeWord("丙", pos::COMMON_NOUN)});
};

// The sentence, then what its structure gives, then what the structures of
// those give around the expressions just found, until nothing new comes.
TEST_F(PhraseReadingsTest, ExpressionsFoundLeadToLongerOnesUntilNothingIsNew)
{
    ::testing::internal::CaptureStdout();
    const std::vector<MorphemeList> readings = phraseStructureReadings(words, dictionary, 30);
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(texts(readings),
              (std::vector<std::string>{"甲 の 乙 の 丙 #0", "子 の 丙 #1", "丑 の 丙 #1", "寅 #1"}));

    ::testing::internal::CaptureStdout();
    EXPECT_EQ(texts(phraseStructureReadings(words, dictionary, 2)),
              (std::vector<std::string>{"甲 の 乙 の 丙 #0", "子 の 丙 #1"}));
    EXPECT_TRUE(phraseStructureReadings(words, dictionary, 0).empty());
    ::testing::internal::GetCapturedStdout();
}

TEST_F(PhraseReadingsTest, ModeOneCandidatesAreTheReadingsInOrderOfTheirLevels)
{
    ::testing::internal::CaptureStdout();
    const AnalyzedSentenceList modeOne = dictionary.buildCandidates("甲の乙の丙", words, 1);
    const AnalyzedSentenceList modeZero = dictionary.buildCandidates("甲の乙の丙", words, 0);
    ::testing::internal::GetCapturedStdout();
    ASSERT_EQ(modeOne.size(), 4u);
    EXPECT_EQ(keyForms(modeOne[3]->words()), "寅");
    EXPECT_EQ(modeOne[0]->orderingValue(), 0);
    EXPECT_EQ(modeOne[3]->orderingValue(), 1);
    EXPECT_EQ(modeZero.size(), 1u);
}

// The network built from the JUMAN dictionary knows "ゴミ箱" under its
// written form "塵箱", while the analyser splits it into "ゴミ" and "箱".
class InstalledPhraseReadingTest : public test::InstalledAnalyzerTest {
protected:
    CDictionary dictionary;
};

TEST_F(InstalledPhraseReadingTest, AMultiWordExpressionTheNetworkKnowsIsReadAsOneWord)
{
    std::string surfaces;
    const MorphemeList words = analyzer().analyze("ゴミ箱はどこですか", surfaces);
    ASSERT_GE(words.size(), 3u);
    ASSERT_EQ(words.at(0).surfaceRef(), "ゴミ");
    ASSERT_EQ(words.at(1).surfaceRef(), "箱");

    ::testing::internal::CaptureStdout();
    const std::vector<MorphemeList> readings = words.buildPhraseStructure(dictionary, 0, 1);
    ::testing::internal::GetCapturedStdout();
    ASSERT_EQ(readings.size(), 1u);
    const MorphemeList& reading = readings[0];
    ASSERT_EQ(reading.size(), words.size() - 1);
    EXPECT_EQ(reading.at(0).surfaceRef(), "塵箱");
    EXPECT_EQ(reading.at(0).getSpareMark(), 1);
    EXPECT_EQ(reading.getListNumber(), 1) << "the joined words as written";
    for (std::size_t i = 1; i < reading.size(); ++i)
        EXPECT_EQ(reading.at(i).surfaceRef(), words.at(i + 1).surfaceRef());
}

TEST_F(InstalledPhraseReadingTest, ModeOneSemanticIndexOffersTheExpressionAsACandidate)
{
    ASSERT_EQ(loadKnowledgeFile(dictionary, test::sampleKnowledgePath()), 0);
    ::testing::internal::CaptureStdout();
    const AnalyzedSentenceList sentences = dictionary.analyseText("ゴミ箱はどこですか", {-1}, 1);
    ::testing::internal::GetCapturedStdout();
    std::vector<std::string> firstWords;
    for (const auto& sentence : sentences)
        firstWords.push_back(sentence->words().at(0).getSurface());
    EXPECT_EQ(firstWords, (std::vector<std::string>{"ゴミ", "塵箱"}));
}

}  // namespace
}  // namespace quibo
