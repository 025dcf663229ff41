// Analysis of real sentences by the language analyser initialised from the
// build's install tree (the JUMAN-based dictionary and the number synonyms
// of data/numsyn.txt).
#include "analysis/LanguageAnalyzer.h"

#include "meaning/MeanEntry.h"
#include "tests/support/InstallTree.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace quibo {
namespace {

// Surface, POS name and flags of every word.
constexpr int COMPACT = Morpheme::DUMP_SURFACE | Morpheme::DUMP_POS_NAME | Morpheme::DUMP_FLAGS;

class LanguageAnalyzerAnalysisTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_tree = new test::BuildInstallTree;
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        s_result = LanguageAnalyzer::instance()->init(test::rcPathIn(test::BuildInstallTree::root()), true);
        ::testing::internal::GetCapturedStdout();
        ::testing::internal::GetCapturedStderr();
    }
    static void TearDownTestSuite()
    {
        LanguageAnalyzer::deleteInstance();
        delete s_tree;
        s_tree = nullptr;
    }
    void SetUp() override { ASSERT_EQ(s_result, 0); }

    static LanguageAnalyzer& analyzer() { return *LanguageAnalyzer::instance(); }

    // The sentence's words as the service analyses them, judgement asked for.
    static MorphemeList analyzed(const std::string& text)
    {
        std::string surfaces;
        MeanEntry meaning;
        return analyzer().analyze(text, surfaces, &meaning);
    }

    static std::string joinedSurfaces(const MorphemeList& list)
    {
        std::string text;
        for (const Morpheme& word : list.words()) {
            text += word.surfaceRef() + " ";
        }
        return text;
    }

    static test::BuildInstallTree* s_tree;
    static int s_result;
};

test::BuildInstallTree* LanguageAnalyzerAnalysisTest::s_tree = nullptr;
int LanguageAnalyzerAnalysisTest::s_result = -1;

TEST_F(LanguageAnalyzerAnalysisTest, DogRunsIsThreeWordsJudgedIntoNounAndPredicate)
{
    std::string surfaces = "前";
    MeanEntry meaning;
    const MorphemeList words = analyzer().analyze("犬が走る", surfaces, &meaning);
    const int everything = COMPACT | Morpheme::DUMP_KEY_FORM | Morpheme::DUMP_READING |
                           Morpheme::DUMP_CONJUGATION_TYPE | Morpheme::DUMP_CONJUGATION_FORM;
    EXPECT_EQ(words.dump("", everything),
              "( 犬 犬 普通名詞 イヌ X 0)( が が 格助詞 ガ Y 0)"
              "( 走る 走る 動詞 ハシル 子音動詞ラ行 基本形 Y 100)\n");
    EXPECT_EQ(surfaces, "前犬が走る");
}

struct SentenceCase {
    const char* name;
    const char* text;
    const char* words;  // compact dump
};

class LanguageAnalyzerSentenceTest : public LanguageAnalyzerAnalysisTest,
                                     public ::testing::WithParamInterface<SentenceCase> {};

TEST_P(LanguageAnalyzerSentenceTest, WordsAreJudgedAndHaveNumeralsMerged)
{
    EXPECT_EQ(analyzed(GetParam().text).dump("", COMPACT), std::string(GetParam().words) + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    RealSentences, LanguageAnalyzerSentenceTest,
    ::testing::Values(
        // A numeral and its counter become one word, and a numeral ends up
        // the last content word: every word is term X.  The request is
        // noted on "ください"; the final "。" is set aside by the judgement
        // and comes back unmarked.
        SentenceCase{"CounterJoinsItsNumeral", "りんごを３個ください。",
                     "( りんご 普通名詞 X 0)( を 格助詞 X 0)( ３個 数詞 X 0)( ください 動詞性接尾辞 X I MS 0)"
                     "( 。 句点 0)"},
        // Kanji numerals are written in digits; the topic before "は" is
        // term X, the comment after it term Y.
        SentenceCase{"KanjiNumeralInDigits", "この本は千五百円です。",
                     "( この 連体詞形態指示詞 X 0)( 本 普通名詞 X 0)( は 副助詞 I 0)( １５００円 数詞 Y 0)"
                     "( です 判定詞 Y I MS 0)( 。 句点 0)"},
        SentenceCase{"TimeOfDay", "会議は午後二時から始まります。",
                     "( 会議 サ変名詞 X 100)( は 副助詞 I 0)( 午後 時相名詞 Y 0)( ２時 数詞 Y 0)"
                     "( から 格助詞 Y 0)( 始まり 動詞 Y 8000)( ます 動詞性接尾辞 Y I MS 0)( 。 句点 0)"},
        SentenceCase{"TwoNumerals", "料金は一人あたり３０００円です。",
                     "( 料金 普通名詞 X 0)( は 副助詞 I 0)( １人 数詞 Y 0)( あたり 名詞性名詞接尾辞 Y 0)"
                     "( ３０００円 数詞 Y 0)( です 判定詞 Y I MS 0)( 。 句点 0)"},
        // Half-width kana are made full width, the voiced mark joined.
        SentenceCase{"HalfWidthKana", "ﾃﾚﾋﾞを２台買った",
                     "( テレビ 普通名詞 X 0)( を 格助詞 X 0)( ２台 数詞 X 0)( 買った 動詞 Y 100)"},
        // Lower-case full-width Latin letters are raised.
        SentenceCase{"LowerCaseLatin", "ｐｃが壊れた", "( ＰＣ 記号 Y 0)( が 格助詞 Y 0)( 壊れた 動詞 Y 100)"}),
    [](const ::testing::TestParamInfo<SentenceCase>& info) { return std::string(info.param.name); });

TEST_F(LanguageAnalyzerAnalysisTest, HeadClassesAreMarkedOnlyWhenJudgementIsAsked)
{
    std::string surfaces;
    const MorphemeList words = analyzer().analyze("犬が走る", surfaces);
    EXPECT_EQ(words.dump("", COMPACT), "( 犬 普通名詞 0)( が 格助詞 0)( 走る 動詞 0)\n");
}

TEST_F(LanguageAnalyzerAnalysisTest, AppendedWordsFollowThoseOfTheListAndTheTextIsCleaned)
{
    MorphemeList list;
    std::string text = "犬";
    analyzer().appendMorphemes(text, list);
    text = "  猫が 寝る ";
    analyzer().appendMorphemes(text, list);
    EXPECT_EQ(text, "猫が　寝る");
    EXPECT_EQ(joinedSurfaces(list), "犬 猫 が 　 寝る ");
}

TEST_F(LanguageAnalyzerAnalysisTest, RawAnalysisGivesTheDictionaryClasses)
{
    std::string text = "犬が走る";
    std::vector<RawWord> words;
    ASSERT_EQ(analyzer().analyzeRaw(text, words), 0);
    ASSERT_EQ(words.size(), 3u);
    EXPECT_EQ(words[2].surface, "走る");
    EXPECT_EQ(words[2].reading, "ハシル");
    EXPECT_EQ(words[2].posClass, 2);  // 動詞
    std::string blank = "   ";
    EXPECT_EQ(analyzer().analyzeRaw(blank, words), -1);
}

TEST_F(LanguageAnalyzerAnalysisTest, TwoNumeralsWithTwoSynonymsEachExpandToFiveLists)
{
    // ３個 is 何個か or 数個 (個:[2,9]); ５人 is 何人か or 数人 (人:[2,9]).
    MorphemeList sentence = analyzed("３個と５人");
    sentence.setListNumber(7);
    ASSERT_EQ(joinedSurfaces(sentence), "３個 と ５人 ");

    const std::vector<MorphemeList> lists = analyzer().expandNumberSynonyms(sentence);
    ASSERT_EQ(lists.size(), 5u);
    const char* const expected[] = {"３個 と ５人 ", "何個 か と ５人 ", "数個 と ５人 ", "３個 と 何人 か ",
                                    "３個 と 数人 "};
    for (std::size_t i = 0; i < lists.size(); ++i) {
        EXPECT_EQ(joinedSurfaces(lists[i]), expected[i]) << "list " << i;
    }
    // A one-word synonym keeps the list's number; a longer one makes it 0.
    EXPECT_EQ(lists[0].getListNumber(), 7);
    EXPECT_EQ(lists[1].getListNumber(), 0);
    EXPECT_EQ(lists[2].getListNumber(), 7);
    EXPECT_EQ(lists[3].getListNumber(), 0);
    EXPECT_EQ(lists[4].getListNumber(), 7);
}

TEST_F(LanguageAnalyzerAnalysisTest, SynonymWordsTakeTheNumeralsPlaceAndMarks)
{
    MorphemeList sentence = analyzed("３個と５人");
    sentence.words()[0].orFlags(Morpheme::FLAG_G);
    sentence.words()[0].setO(4);
    const std::vector<MorphemeList> lists = analyzer().expandNumberSynonyms(sentence);
    ASSERT_EQ(lists.size(), 5u);

    const int form = COMPACT | Morpheme::DUMP_KEY_FORM | Morpheme::DUMP_READING | Morpheme::DUMP_MARKS;
    EXPECT_EQ(lists[2].at(0).dump(form), "( 数個 数個 数詞 スウコ X G 0 o=4 m=0)");
    // Each word of a longer synonym is a copy of the numeral with the
    // synonym word's text and class.
    EXPECT_EQ(lists[1].at(0).dump(form), "( 何個 何個 数詞 ナンコ X G 0 o=4 m=0)");
    EXPECT_EQ(lists[1].at(1).dump(form), "( か か 接続助詞 カ X G 0 o=4 m=0)");
    EXPECT_EQ(lists[1].at(1).getOriginalPosCode(), lists[1].at(1).getPosCode());
    // The other words are the sentence's.
    EXPECT_EQ(lists[1].at(2).dump(form), sentence.at(1).dump(form));
}

TEST_F(LanguageAnalyzerAnalysisTest, ListWithoutNumeralsIsItsOnlyExpansion)
{
    const MorphemeList sentence = analyzed("犬が走る");
    const std::vector<MorphemeList> lists = analyzer().expandNumberSynonyms(sentence);
    ASSERT_EQ(lists.size(), 1u);
    EXPECT_EQ(lists[0].dump("", COMPACT), sentence.dump("", COMPACT));
}

TEST_F(LanguageAnalyzerAnalysisTest, NumeralWithoutSynonymIsNotExpanded)
{
    // No entry of numsyn.txt holds 5000 years.
    const MorphemeList sentence = analyzed("５０００年");
    ASSERT_EQ(sentence.size(), 1u);
    ASSERT_TRUE(sentence.at(0).isNumeral());
    EXPECT_EQ(analyzer().expandNumberSynonyms(sentence).size(), 1u);
}

TEST_F(LanguageAnalyzerAnalysisTest, VagueQuantitiesOfTheSynonymTable)
{
    struct Case {
        const char* numeral;
        std::vector<std::string> synonyms;
    };
    const Case cases[] = {
        {"３個", {"何個か", "数個"}},
        {"３００円", {"数百円"}},
        {"４０年", {"何十年", "数十年"}},
        {"１５年", {"十数年"}},
        {"１０年", {}},  // neither several years nor a dozen or so
        {"２５歳", {"二十代"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(analyzer().numberSynonyms().lookup(c.numeral), c.synonyms) << c.numeral;
    }
}

}  // namespace
}  // namespace quibo
