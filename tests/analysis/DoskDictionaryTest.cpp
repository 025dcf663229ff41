// Text analysis into raw word records over a hand-made dictionary.
#include "analysis/DoskDictionary.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/analysis/DoskTestDictionary.h"

namespace quibo {
namespace {

using namespace testing;

// An install folder holding dosk/dosk.dic; the analyser is given the path
// of a file in a sibling folder, as the control gives it.
class DoskDictionaryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DoskSource source = baseSource();
        source.ranges = {{0x30A1, 0x30F6, KATAKANA, 1000},
                         {0xFF10, 0xFF19, NUMERAL, 500},
                         {0xFF21, 0xFF3A, ALPHABET, 700},
                         {0xFF41, 0xFF5A, ALPHABET, 700}};
        addWord(source, "犬", NOUN, 100, "イヌ");
        addWord(source, "が", PARTICLE, 50, "ガ");
        addWord(source, "走る", VERB, 200, "ハシル");
        addWord(source, "走っ", VERB, 210, "ハシッ", "走る");
        addWord(source, "東京", PLACE, 100, "トウキョウ");
        m_folder = std::string(QUIBO_BINARY_DIR) + "/test-analysis-" + std::to_string(::getpid());
        std::filesystem::create_directories(m_folder + "/dosk");
        DoskWriteReport report;
        ASSERT_TRUE(writeDoskFile(m_folder + "/dosk/dosk.dic", source, report));
        m_dictionary = std::make_unique<DoskDictionary>(m_folder + "/juman/win_.jumanrc20");
        ASSERT_EQ(m_dictionary->state(), 0);
    }
    void TearDown() override
    {
        m_dictionary.reset();
        std::filesystem::remove_all(m_folder);
    }

    std::vector<RawWord> analyze(std::string text, std::string* cleaned = nullptr)
    {
        std::vector<RawWord> words;
        EXPECT_EQ(m_dictionary->analyze(text, words), 0);
        if (cleaned) *cleaned = text;
        return words;
    }

    std::string m_folder;
    std::unique_ptr<DoskDictionary> m_dictionary;
};

TEST_F(DoskDictionaryTest, WordsCarrySurfaceReadingBaseFormAndAttributes)
{
    std::vector<RawWord> words = analyze("犬が走っ");
    ASSERT_EQ(words.size(), 3u);
    EXPECT_EQ(words[0].surface, "犬");
    EXPECT_EQ(words[0].reading, "イヌ");
    EXPECT_EQ(words[0].baseForm, "犬");  // entry without a base-form key
    EXPECT_EQ(words[0].posClass, 6);
    EXPECT_EQ(words[0].posSubclass, 1);
    EXPECT_EQ(words[0].conjugationFormText, "*");
    EXPECT_EQ(words[2].surface, "走っ");
    EXPECT_EQ(words[2].baseForm, "走る");
    EXPECT_EQ(words[2].conjugationType, 10);
    EXPECT_EQ(words[2].conjugationForm, 45);
    EXPECT_EQ(words[2].conjugationFormText, "基本形");
    EXPECT_TRUE(words[2].posClassText.empty());
}

TEST_F(DoskDictionaryTest, HalfWidthKanaWithVoicedMarkBecomesOneFullWidthKana)
{
    std::string cleaned;
    // ｶﾞｷﾞﾊﾟｳﾞ and a mark that cannot combine (ｱﾞ).
    std::vector<RawWord> words = analyze("\x8E\xB6\x8E\xDE\x8E\xB7\x8E\xDE\x8E\xCA\x8E\xDF\x8E\xB3\x8E\xDE", &cleaned);
    EXPECT_EQ(cleaned, "ガギパヴ");
    ASSERT_EQ(words.size(), 1u);
    EXPECT_EQ(words[0].surface, "ガギパヴ");
    EXPECT_EQ(words[0].reading, "ガギパヴ");  // unlisted katakana keeps its surface
    analyze("\x8E\xB1\x8E\xDE", &cleaned);
    EXPECT_EQ(cleaned, "ア\x8E\xDE");
}

TEST_F(DoskDictionaryTest, CleaningMakesEveryCharacterTwoBytes)
{
    struct Case {
        const char* what;
        std::string text;
        std::string cleaned;
    } cases[] = {
        {"blanks", "  abc\t def ", "ａｂｃ　ｄｅｆ"},
        {"full-width blanks", "　　犬　　　が　", "犬　が"},
        {"controls", "犬\x01\x1F" "が", "犬が"},
        {"DEL", "犬\x7F" "が", "犬が"},
        {"three-byte character", "犬\x8F\xB0\xA1が", "犬〓が"},
        {"cut three-byte character", "犬\x8F\xB0", "犬"},
        {"lone trailing lead byte", "犬が\xB0", "犬が"},
        {"ASCII symbols", "a+b=~", "ａ＋ｂ＝～"},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        m_dictionary->cleanText(text);
        EXPECT_EQ(text, c.cleaned) << c.what;
        EXPECT_EQ(toCodeUnits(text, CODE_TYPE_EUC).size(), text.size()) << c.what;
    }
}

TEST_F(DoskDictionaryTest, SurfacesFollowTheTextAfterThreeByteCharacters)
{
    std::vector<RawWord> words = analyze("\x8F\xB0\xA1犬が走る");
    ASSERT_EQ(words.size(), 4u);
    EXPECT_EQ(words[0].surface, "〓");
    EXPECT_EQ(words[1].surface, "犬");
    EXPECT_EQ(words[3].surface, "走る");
}

TEST_F(DoskDictionaryTest, BlankTextGivesMinusOneAndLeavesTheWords)
{
    std::vector<RawWord> words(2);
    for (std::string text : {std::string(), std::string("  \t "), std::string("　 \x01")}) {
        EXPECT_EQ(m_dictionary->analyze(text, words), -1);
        EXPECT_EQ(words.size(), 2u);
    }
}

TEST_F(DoskDictionaryTest, LongTextIsCutAfter1022Bytes)
{
    std::string text;
    for (int i = 0; i < 600; ++i) text += "犬";
    std::string cleaned;
    std::vector<RawWord> words = analyze(text, &cleaned);
    EXPECT_EQ(cleaned.size(), 1024u);
    EXPECT_EQ(words.size(), 512u);
    // ASCII grows when made full-width; the cut still holds.
    std::string ascii(2000, 'x');
    m_dictionary->cleanText(ascii);
    EXPECT_EQ(ascii.size(), 1024u);
}

TEST_F(DoskDictionaryTest, UnlistedWordReadingsComeFromTheReadingMap)
{
    struct Case {
        const char* text;
        const char* reading;
    } cases[] = {
        {"Ａ", "エー"},                       // alphabet: letter names
        {"ｘｙ", "エックスワイ"},
        {"ぬ", "ヌ"},                         // other: hiragana to katakana
        {"＋", "プラス"},
        {"猫", "猫"},                         // no reading: the surface
        {"ＷＷＷＷＷＷＷＷＷＷＷＷＷ", ""},  // 130 bytes: too long
        {"テスト", "テスト"},                 // katakana: kept as it is
    };
    for (const Case& c : cases) {
        std::vector<RawWord> words = analyze(c.text);
        ASSERT_EQ(words.size(), 1u) << c.reading;
        EXPECT_EQ(words[0].reading, c.reading) << c.text;
        EXPECT_EQ(words[0].posClass, 15) << c.reading;
    }
}

TEST_F(DoskDictionaryTest, UnlistedWordReadingIsComposedFromWordsOfItsClass)
{
    RawWord word = m_dictionary->buildRawWord("東京", "東京", "", 6, 4, 0, 0, "*");
    EXPECT_EQ(word.reading, "東京");
    std::string reading;
    EXPECT_TRUE(m_dictionary->lattice().composeReading(reading, "東京東京", PLACE));
    EXPECT_EQ(reading, "トウキョウトウキョウ");
}

TEST_F(DoskDictionaryTest, MapsHaveTheirFixedContents)
{
    EXPECT_EQ(m_dictionary->readingMap().size(), 52u + 83u + 1u);
    EXPECT_EQ(m_dictionary->fullWidthMap().size(), 95u + 61u);
    EXPECT_EQ(m_dictionary->fullWidthMap().at('\\').form, "￥");
    EXPECT_EQ(m_dictionary->fullWidthMap().at('~').form, "～");
    EXPECT_EQ(m_dictionary->fullWidthMap().at(0x8EB0).form, "ー");
    EXPECT_EQ(m_dictionary->fullWidthMap().at(0x8EDD).form, "ン");
    EXPECT_EQ(m_dictionary->fullWidthMap().at(0x8ECE).semiVoiced, "ポ");
}

}  // namespace
}  // namespace quibo
