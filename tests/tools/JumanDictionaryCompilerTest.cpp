#include "tools/JumanDictionaryCompiler.h"

#include <gtest/gtest.h>

#include "analysis/DoskDictionary.h"
#include "analysis/Morpheme.h"
#include "analysis/Vocabulary.h"

#include <filesystem>
#include <unistd.h>

namespace quibo {
namespace {

TEST(JumanDictionaryCompilerTest, FormFallbackTableIsFixed)
{
    const std::pair<const char*, const char*> expected[] = {
        {"タ系省略推量形", "タ系推量形"},
        {"基本省略推量形", "基本推量形"},
        {"音便省略推量形", "音便推量形"},
        {"省略意志形", "意志形"},
        {"ダ列基本省略推量形", "ダ列基本推量形"},
        {"ダ列タ系省略推量形", "ダ列タ系推量形"},
        {"デアル列基本省略推量形", "デアル列基本推量形"},
        {"デアル列タ系省略推量形", "デアル列タ系推量形"},
        {"デス列基本省略推量形", "デス列省略推量形"},
        {"デス列タ系省略推量形", "デス列タ系推量形"},
        {"ヤ列基本形", "基本形"},
        {"ヤ列基本推量形", "ダ列基本推量形"},
        {"ヤ列基本省略推量形", "ダ列基本推量形"},
        {"ヤ列タ形", "ダ列タ形"},
        {"ヤ列タ系条件形", "ダ列タ系条件形"},
        {"ヤ列タ系推量形", "ダ列タ系推量形"},
        {"ヤ列タ系省略推量形", "ダ列タ系推量形"},
        {"ヤ列タ系連用タリ形", "ダ列タ系連用タリ形"},
        {"ダ列特殊連用形", "ダ列基本連用形"},
        {"タ接連用形", "基本連用形"},
    };
    const auto& table = conjugationFormFallbacks();
    ASSERT_EQ(table.size(), std::size(expected));
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(table[i].first, expected[i].first);
        EXPECT_EQ(table[i].second, expected[i].second);
        // Every target is a named form; no unnamed form is its own target.
        int id = jumanConjugationFormId(table[i].first);
        ASSERT_GT(id, 0);
        EXPECT_EQ(CONJUGATION_FORM_NAMES[static_cast<std::size_t>(id)], expected[i].second);
    }
    EXPECT_EQ(jumanConjugationFormId("基本形"), 45);
    EXPECT_EQ(jumanConjugationFormId("*"), 0);
    EXPECT_EQ(jumanConjugationFormId("未知形"), -1);
}

TEST(JumanDictionaryCompilerTest, PosNamesTakeTheWordRecordNumbering)
{
    struct Case {
        const char* pos;
        const char* subPos;
        int posClass, posSubclass;
    } cases[] = {{"名詞", "普通名詞", 6, 1}, {"名詞", "数詞", 6, 7}, {"助詞", "格助詞", 9, 1},
                 {"動詞", "*", 2, 0},       {"特殊", "記号", 1, 5}, {"接尾辞", "動詞性接尾辞", 14, 7},
                 {"未定義語", "アルファベット", 15, 3}};
    for (const Case& c : cases) {
        int posClass, posSubclass;
        EXPECT_TRUE(jumanPosIds(c.pos, c.subPos, posClass, posSubclass)) << c.posClass;
        EXPECT_EQ(posClass, c.posClass);
        EXPECT_EQ(posSubclass, c.posSubclass);
    }
    int posClass, posSubclass;
    EXPECT_FALSE(jumanPosIds("名詞", "格助詞", posClass, posSubclass));
}

// Every POS name the dictionary's classes use names the same code in the
// word record's table.
TEST(JumanDictionaryCompilerTest, ClassAttributesAgreeWithTheWordRecordPosNames)
{
    const std::pair<const char*, const char*> names[] = {
        {"特殊", "句点"}, {"特殊", "読点"}, {"特殊", "括弧始"}, {"特殊", "括弧終"}, {"特殊", "記号"},
        {"特殊", "空白"}, {"名詞", "普通名詞"}, {"名詞", "サ変名詞"}, {"名詞", "固有名詞"},
        {"名詞", "地名"}, {"名詞", "人名"}, {"名詞", "組織名"}, {"名詞", "数詞"}, {"名詞", "形式名詞"},
        {"名詞", "副詞的名詞"}, {"名詞", "時相名詞"}, {"指示詞", "名詞形態指示詞"},
        {"指示詞", "連体詞形態指示詞"}, {"指示詞", "副詞形態指示詞"}, {"助詞", "格助詞"},
        {"助詞", "副助詞"}, {"助詞", "接続助詞"}, {"助詞", "終助詞"}, {"接頭辞", "名詞接頭辞"},
        {"接頭辞", "動詞接頭辞"}, {"接頭辞", "イ形容詞接頭辞"}, {"接頭辞", "ナ形容詞接頭辞"},
        {"接尾辞", "名詞性述語接尾辞"}, {"接尾辞", "名詞性名詞接尾辞"}, {"接尾辞", "名詞性名詞助数辞"},
        {"接尾辞", "名詞性特殊接尾辞"}, {"接尾辞", "形容詞性述語接尾辞"},
        {"接尾辞", "形容詞性名詞接尾辞"}, {"接尾辞", "動詞性接尾辞"}, {"未定義語", "その他"},
        {"未定義語", "カタカナ"}, {"未定義語", "アルファベット"},
        {"動詞", "*"}, {"形容詞", "*"}, {"判定詞", "*"}, {"助動詞", "*"}, {"副詞", "*"},
        {"接続詞", "*"}, {"連体詞", "*"}, {"感動詞", "*"},
    };
    for (const auto& [pos, subPos] : names) {
        int posClass, posSubclass;
        ASSERT_TRUE(jumanPosIds(pos, subPos, posClass, posSubclass));
        EXPECT_EQ(posCodeName(pos::code(posClass, posSubclass)), std::string(subPos) == "*" ? pos : subPos);
    }
}

// The dictionary the build compiled into the install tree.
TEST(JumanDictionaryCompilerTest, InstalledDictionaryAnalysesASimpleSentence)
{
    DoskDictionary dictionary(std::string(QUIBO_INSTALL_TREE) + "/juman/win_.jumanrc20");
    ASSERT_EQ(dictionary.state(), 0);
    std::string text = "犬が走る";
    std::vector<RawWord> words;
    ASSERT_EQ(dictionary.analyze(text, words), 0);
    ASSERT_EQ(words.size(), 3u);
    struct Expected {
        const char* surface;
        const char* reading;
        const char* baseForm;
        int posClass, posSubclass, type, form;
        const char* formText;
    } expected[] = {
        {"犬", "イヌ", "犬", 6, 1, 0, 0, "*"},
        {"が", "ガ", "が", 9, 1, 0, 0, "*"},
        {"走る", "ハシル", "走る", 2, 0, 10, 45, "基本形"},
    };
    for (std::size_t i = 0; i < words.size(); ++i) {
        EXPECT_EQ(words[i].surface, expected[i].surface) << i;
        EXPECT_EQ(words[i].reading, expected[i].reading) << i;
        EXPECT_EQ(words[i].baseForm, expected[i].baseForm) << i;
        EXPECT_EQ(words[i].posClass, expected[i].posClass) << i;
        EXPECT_EQ(words[i].posSubclass, expected[i].posSubclass) << i;
        EXPECT_EQ(words[i].conjugationType, expected[i].type) << i;
        EXPECT_EQ(words[i].conjugationForm, expected[i].form) << i;
        EXPECT_EQ(words[i].conjugationFormText, expected[i].formText) << i;
    }
    // A conjugated form carries its base form through the base-form key.
    text = "走った";
    ASSERT_EQ(dictionary.analyze(text, words), 0);
    ASSERT_FALSE(words.empty());
    EXPECT_EQ(words[0].surface, "走った");
    EXPECT_EQ(words[0].baseForm, "走る");
    EXPECT_EQ(words[0].reading, "ハシッタ");
    EXPECT_EQ(words[0].conjugationType, 10);
    EXPECT_EQ(words[0].conjugationForm, 1);  // タ形
    EXPECT_EQ(words[0].conjugationFormText, "タ形");
}

}  // namespace
}  // namespace quibo

namespace quibo {
namespace {

// The readable mini JUMAN sources in tests/data compile into a dictionary
// whose analyses can be checked word for word.
TEST(JumanDictionaryCompilerTest, MiniSourcesCompileWithClassesRangesAndFallbackForms)
{
    const std::string folder = std::string(QUIBO_BINARY_DIR) + "/test-mini-" + std::to_string(::getpid());
    std::filesystem::create_directories(folder + "/dosk");
    JumanCompileOptions options;
    options.sourceDir = std::string(QUIBO_TEST_DATA) + "/juman-mini";
    JumanCompileReport report;
    ASSERT_TRUE(compileJumanDictionary(options, folder + "/dosk/dosk.dic", report)) << report.error;
    EXPECT_EQ(report.rows, 6);  // Emoticon.csv left out
    EXPECT_EQ(report.write.written, 6);
    EXPECT_EQ(report.fallbackRows, 1);
    EXPECT_TRUE(report.unmatchedNames.empty());
    {
        DoskDictionary dictionary(folder + "/juman/win_.jumanrc20");
        ASSERT_EQ(dictionary.state(), 0);
        const DoskClassTable& classes = dictionary.lattice().classTable();
        // Eight contexts and the unknown-word classes; その他 is the last.
        ASSERT_EQ(classes.classCount(), 12);
        EXPECT_EQ(classes.className(8), "未定義語,カタカナ,*,*");
        EXPECT_EQ(classes.className(11), "未定義語,その他,*,*");
        // The katakana class copies the connections of its unk.def context (1).
        const DoskConnectionMatrix& matrix = dictionary.lattice().connectionMatrix();
        EXPECT_EQ(matrix.cost(8, 2), matrix.cost(1, 2));
        EXPECT_EQ(matrix.cost(3, 8), matrix.cost(3, 1));
        EXPECT_EQ(matrix.cost(8, 11), matrix.cost(1, 5));
        // Unlisted signs have a class of their own with the connections of
        // the listed 記号 words (5), which so join no run of signs.
        EXPECT_EQ(classes.className(10), "特殊,記号,*,*");
        EXPECT_EQ(classes.charClass(0xFF01), 10);
        EXPECT_EQ(matrix.cost(10, 2), matrix.cost(5, 2));
        EXPECT_EQ(classes.charClass(0xFF11), 6);
        EXPECT_EQ(classes.charCost(0xFF11), 2000);
        EXPECT_EQ(classes.charClass(0x30A2), 8);
        EXPECT_EQ(classes.charCost(0x30A2), 3000);
        EXPECT_EQ(classes.charClass(0x3042), 11);  // no hiragana range
        EXPECT_EQ(classes.charClass(0x4E00), 11);  // no kanji range

        std::string text = "犬が走ったやった１２";
        std::vector<RawWord> words;
        ASSERT_EQ(dictionary.analyze(text, words), 0);
        ASSERT_EQ(words.size(), 5u);
        EXPECT_EQ(words[2].surface, "走った");
        EXPECT_EQ(words[2].reading, "ハシッタ");
        EXPECT_EQ(words[2].baseForm, "走る");
        EXPECT_EQ(words[3].surface, "やった");
        EXPECT_EQ(words[3].conjugationForm, 8);  // ヤ列タ形 -> ダ列タ形
        EXPECT_EQ(words[3].conjugationFormText, "ヤ列タ形");
        EXPECT_EQ(words[4].surface, "１２");
        EXPECT_EQ(words[4].posSubclass, 7);
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace quibo

TEST(JumanDictionaryCompilerTest, LexiconFilesAreTheCsvFilesButTheLeftOutOnes)
{
    const std::string dir = std::string(QUIBO_TEST_DATA) + "/juman-mini";
    const std::vector<std::filesystem::path> files = quibo::jumanLexiconFiles(dir);
    ASSERT_EQ(files.size(), 1u);  // the .def files and Emoticon.csv are not lexicon
    EXPECT_EQ(files[0].filename(), "Mini.csv");
    EXPECT_TRUE(quibo::jumanLexiconFiles(dir + "/missing").empty());
}
