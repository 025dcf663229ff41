// Analysis of real sentences by the language analyser initialised from the
// build's install tree (the JUMAN-based dictionary, the installed meaning
// rules and the number synonyms of data/numsyn.txt).
#include "analysis/LanguageAnalyzer.h"

#include "meaning/MeanEntry.h"
#include "tests/support/InstallTree.h"

#include "tests/support/InstalledAnalyzer.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace quibo {
namespace {

// Surface and POS name of every word.
constexpr int COMPACT = Morpheme::DUMP_SURFACE | Morpheme::DUMP_POS_NAME;

class LanguageAnalyzerAnalysisTest : public test::InstalledAnalyzerTest {
protected:
    // The sentence's words as the service analyses them, judgement asked for.
    static MorphemeList judged(const std::string& text)
    {
        std::string surfaces;
        MeanEntry meaning;
        return analyzer().analyze(text, surfaces, &meaning);
    }
    static MorphemeList analyzed(const std::string& text)
    {
        std::string surfaces;
        return analyzer().analyze(text, surfaces);
    }

    static std::string joinedSurfaces(const MorphemeList& list)
    {
        std::string text;
        for (const Morpheme& word : list.words()) {
            text += word.getSurface() + " ";
        }
        return text;
    }

};


TEST_F(LanguageAnalyzerAnalysisTest, DogRunsIsThreeWordsWithTheirHeadClasses)
{
    // The judgement takes the subject 犬 as term X (a noun head) and the
    // rest as term Y, and marks the predicate's attribute; head classes of
    // sentences it leaves unmarked come from the last content word.
    std::string surfaces = "前";
    MeanEntry meaning;
    const MorphemeList words = analyzer().analyze("犬が走る", surfaces, &meaning);
    const int everything = COMPACT | Morpheme::DUMP_KEY_FORM | Morpheme::DUMP_READING |
                           Morpheme::DUMP_CONJUGATION_TYPE | Morpheme::DUMP_CONJUGATION_FORM |
                           Morpheme::DUMP_FLAGS;
    EXPECT_EQ(words.dump("", everything),
              "( 犬 犬 普通名詞 イヌ X 0)( が が 格助詞 ガ Y 0)"
              "( 走る 走る 動詞 ハシル 子音動詞ラ行 基本形 Y 100)\n");
    EXPECT_EQ(surfaces, "前犬が走る");
    EXPECT_EQ(meaning.getTermX(), "犬");
}

struct SentenceCase {
    const char* name;
    const char* text;
    const char* words;  // compact dump
};

class LanguageAnalyzerSentenceTest : public LanguageAnalyzerAnalysisTest,
                                     public ::testing::WithParamInterface<SentenceCase> {};

void PrintTo(const SentenceCase& sentence, std::ostream* out)
{
    *out << sentence.name;
}

TEST_P(LanguageAnalyzerSentenceTest, WordsHaveNumeralsMerged)
{
    const MorphemeList words = judged(GetParam().text);
    EXPECT_EQ(words.dump("", COMPACT), std::string(GetParam().words) + "\n");
    // The sentence opens with a head class: the judgement's term, or the
    // class of the last content word when the judgement marks none.
    ASSERT_FALSE(words.empty());
    EXPECT_TRUE(words.at(0).hasFlags(Morpheme::HEAD_FLAGS));
}

INSTANTIATE_TEST_SUITE_P(
    RealSentences, LanguageAnalyzerSentenceTest,
    ::testing::Values(
        // A numeral and its counter become one word.
        SentenceCase{"CounterJoinsItsNumeral", "りんごを３個ください。",
                     "( りんご 普通名詞 )( を 格助詞 )( ３個 数詞 )( ください 動詞性接尾辞 )"
                     "( 。 句点 )"},
        // Kanji numerals are written in digits.
        SentenceCase{"KanjiNumeralInDigits", "この本は千五百円です。",
                     "( この 連体詞形態指示詞 )( 本 普通名詞 )( は 副助詞 )( １５００円 数詞 )"
                     "( です 判定詞 )( 。 句点 )"},
        SentenceCase{"TimeOfDay", "会議は午後二時から始まります。",
                     "( 会議 サ変名詞 )( は 副助詞 )( 午後 時相名詞 )( ２時 数詞 )"
                     "( から 格助詞 )( 始まり 動詞 )( ます 動詞性接尾辞 )( 。 句点 )"},
        SentenceCase{"TwoNumerals", "料金は一人あたり３０００円です。",
                     "( 料金 普通名詞 )( は 副助詞 )( １人 数詞 )( あたり 名詞性名詞接尾辞 )"
                     "( ３０００円 数詞 )( です 判定詞 )( 。 句点 )"},
        // Half-width kana are made full width, the voiced mark joined.
        SentenceCase{"HalfWidthKana", "ﾃﾚﾋﾞを２台買った",
                     "( テレビ 普通名詞 )( を 格助詞 )( ２台 数詞 )( 買った 動詞 )"},
        // Lower-case full-width Latin letters are raised.
        SentenceCase{"LowerCaseLatin", "ｐｃが壊れた", "( ＰＣ 固有名詞 )( が 格助詞 )( 壊れた 動詞 )"},
        // A run of Latin letters the dictionary does not list is one word,
        // a name-to-be; one hyphen between runs joins them, as product names
        // are written; two hyphens, or a hyphen before a sign, stay signs.
        SentenceCase{"LatinWordsAreNouns", "iPhoneでWi-Fiが使えますか？",
                     "( ＩＰＨＯＮＥ 固有名詞 )( で 格助詞 )( ＷＩ－ＦＩ 固有名詞 )"
                     "( が 格助詞 )( 使え 動詞 )( ます 動詞性接尾辞 )( か 接続助詞 )( ？ 記号 )"},
        SentenceCase{"DoubleHyphenStaysASign", "--helpとx-」",
                     "( － 記号 )( － 記号 )( ＨＥＬＰ 固有名詞 )( と 格助詞 )( Ｘ アルファベット )( － 記号 )"
                     "( 」 括弧終 )"},
        // A lone letter is an unlisted alphabet word too, though the
        // dictionary lists each letter as a sign: no longer the cheap sign,
        // it leaves the dictionary's own word Ｘ線 whole.
        SentenceCase{"LoneLatinLetterIsANoun", "AセットとＸ線",
                     "( Ａ アルファベット )( セット サ変名詞 )( と 格助詞 )( Ｘ線 普通名詞 )"},
        // A bracket the dictionary lists is a word of its own, next to
        // letters and next to signs alike.
        SentenceCase{"BracketsStandAlone", "デフォルトは「false」か「★」です。",
                     "( デフォルト 普通名詞 )( は 副助詞 )( 「 括弧始 )( ＦＡＬＳＥ 固有名詞 )( 」 括弧終 )"
                     "( か 接続助詞 )( 「 括弧始 )( ★ 記号 )( 」 括弧終 )( です 判定詞 )( 。 句点 )"}),
    [](const ::testing::TestParamInfo<SentenceCase>& info) { return std::string(info.param.name); });

TEST_F(LanguageAnalyzerAnalysisTest, HeadClassesAreMarkedOnlyWhenJudgementIsAsked)
{
    std::string surfaces;
    const MorphemeList words = analyzer().analyze("犬が走る", surfaces);
    EXPECT_EQ(words.dump("", COMPACT | Morpheme::DUMP_FLAGS), "( 犬 普通名詞 0)( が 格助詞 0)( 走る 動詞 0)\n");
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
    sentence.words()[0].orFlags(Morpheme::FLAG_X | Morpheme::FLAG_G);
    sentence.words()[0].setO(4);
    const std::vector<MorphemeList> lists = analyzer().expandNumberSynonyms(sentence);
    ASSERT_EQ(lists.size(), 5u);

    const int form = COMPACT | Morpheme::DUMP_KEY_FORM | Morpheme::DUMP_READING | Morpheme::DUMP_FLAGS |
                     Morpheme::DUMP_MARKS;
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
