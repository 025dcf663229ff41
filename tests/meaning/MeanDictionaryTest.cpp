// Reading rule text: line cutting, the records and indexes built from it, and
// the checks that reject faulty lines.
#include "meaning/MeanDictionary.h"

#include "FakeNetwork.h"
#include "MeanTestSupport.h"
#include "meaning/MeanCodeTables.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <memory>

namespace quibo {
namespace {

using test::basicDefinitions;
using test::readRules;
using test::ruleLine;
using test::simpleRule;
using test::utf8;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::Pair;

using Index = MeanDictionary::WordIndex;

// The keys and references of one word index, in index order.
std::vector<std::pair<std::string, WordRef>> entriesOf(const MeanDictionary& dictionary, Index which)
{
    const auto& index = dictionary.wordIndex(which);
    return {index.begin(), index.end()};
}

TEST(MeanDictionaryTest, CommentsOnlyGiveNoRulesAndSucceed)
{
    MeanDictionary dictionary;
    const auto read = readRules(dictionary, "// a comment\n\n/ another\r\n");
    EXPECT_EQ(read.result, 0);
    EXPECT_EQ(read.console, "");
    EXPECT_THAT(dictionary.rules(), IsEmpty());
}

TEST(MeanDictionaryTest, LastLineWithoutLineFeedIsRead)
{
    MeanDictionary dictionary;
    std::string text = basicDefinitions() + simpleRule("挨拶", "入力形\tBT\t感動詞\t＊\tこんにちは");
    text.pop_back();
    EXPECT_EQ(readRules(dictionary, text).result, 0);
    ASSERT_EQ(dictionary.rules().size(), 1u);
    EXPECT_THAT(dictionary.rules()[0].meaningElement.words, ElementsAre("こんにちは"));
}

TEST(MeanDictionaryTest, ByteFFEndsALineLikeALineFeed)
{
    MeanDictionary dictionary;
    std::string text = basicDefinitions();
    text += ruleLine({"#DEFNOMEAN", "ね"});
    text.back() = '\xFF';  // stays with its line, outside the parentheses
    text += simpleRule("挨拶", "入力形\tBT\t感動詞\t＊\tこんにちは");
    EXPECT_EQ(readRules(dictionary, text).result, 0);
    EXPECT_THAT(dictionary.noMeaningWords(), ElementsAre("ね"));
    EXPECT_EQ(dictionary.rules().size(), 1u);
}

TEST(MeanDictionaryTest, DefinitionsAndNoMeaningWordsAreStoredInFileOrder)
{
    MeanDictionary dictionary;
    const std::string text = ruleLine({"#DEFDCA", "否定", "95", "3", "7", "2"}) +
                             ruleLine({"#DEFDCA", "否定", "96", "0", "0", "0"}) +
                             ruleLine({"#DEFNOMEAN", "ね//よ"}) + ruleLine({"#DEFNOMEAN", "なあ"});
    EXPECT_EQ(readRules(dictionary, text).result, 0);
    ASSERT_EQ(dictionary.dcaDefinitions().size(), 2u);
    const DcaDefinition& first = dictionary.dcaDefinitions()[0];
    EXPECT_EQ(first.name, "否定");
    EXPECT_EQ(first.code, 95);
    EXPECT_EQ(first.value2, 3);
    EXPECT_EQ(first.bitNumber, 7);
    EXPECT_EQ(first.gate, 2);
    // The first definition of a name or code is the one looked up.
    EXPECT_EQ(dictionary.getDcaCode("否定"), 95);
    EXPECT_THAT(dictionary.noMeaningWords(), ElementsAre("ね", "よ", "なあ"));
}

TEST(MeanDictionaryTest, DefinitionLookupsAnswerNoneForUnknownNamesAndCodes)
{
    MeanDictionary dictionary;
    readRules(dictionary, basicDefinitions());
    EXPECT_EQ(dictionary.getDcaCode("挨拶"), 120);
    EXPECT_EQ(dictionary.getDcaCode("無い"), -1);
    EXPECT_EQ(dictionary.getDcaValue2(95), 3);
    EXPECT_EQ(dictionary.getDcaValue2(7), -1);
    EXPECT_EQ(dictionary.getDcaName(133), "質問");
    EXPECT_EQ(dictionary.getDcaName(7), "");
    EXPECT_EQ(dictionary.getDcaBitNo(133), 4);
    EXPECT_EQ(dictionary.getDcaBitNo(7), 0);
    EXPECT_EQ(dictionary.getDcaGate(7), 0);
}

TEST(MeanDictionaryTest, DefinitionNumbersBeyondIntSaturateInsteadOfOverflowing)
{
    MeanDictionary dictionary;
    EXPECT_EQ(readRules(dictionary, ruleLine({"#DEFDCA", "大", "99999999999", "-99999999999", "x", "12abc"})).result, 0);
    const DcaDefinition& definition = dictionary.dcaDefinitions().at(0);
    EXPECT_EQ(definition.code, INT_MAX);
    EXPECT_EQ(definition.value2, INT_MIN);
    EXPECT_EQ(definition.bitNumber, 0);
    EXPECT_EQ(definition.gate, 12);
}

TEST(MeanDictionaryTest, EntryLineFillsEveryFieldOfTheRule)
{
    MeanDictionary dictionary;
    const std::string text =
        basicDefinitions() + ruleLine({"質問", "挨拶/質問", "IVME", "疑問の助詞", "＊",
                                       "(入力形\t＊\t終助詞/接続助詞\t基本形/タ形\tか/かい)",
                                       "(基本形\t＊\t動詞\t＊\t行く)", "(＊)",
                                       "(X_term\t普通名詞;格助詞/名詞\t＊\t駅/駅前;に)", "(＊)"});
    ASSERT_EQ(readRules(dictionary, text).result, 0);
    ASSERT_EQ(dictionary.rules().size(), 1u);
    const MeanRule& rule = dictionary.rules()[0];
    EXPECT_EQ(rule.dcaCode, 133);
    EXPECT_THAT(rule.pcaCodes, ElementsAre(120, 133));
    EXPECT_EQ(rule.flagI + rule.flagV + rule.flagM + rule.flagE, 4);
    EXPECT_EQ(rule.meaningInfo, "疑問の助詞");
    EXPECT_EQ(rule.representativeWord, "＊");
    EXPECT_EQ(rule.representativePosCode, 0);

    const MeanCondSpec& element = rule.meaningElement;
    EXPECT_EQ(element.unit, MeanUnit::InputForm);
    EXPECT_EQ(element.position, "＊");
    // Alternatives longest first; equal lengths keep their written order.
    EXPECT_THAT(element.posCodes, ElementsAre(0x1000004, 0x1000008));
    EXPECT_THAT(element.conjugationForms, ElementsAre(45, 1));
    EXPECT_EQ(element.cueText, "か/かい");
    EXPECT_THAT(element.words, ElementsAre("かい", "か"));
    EXPECT_THAT(element.wordSequences, ElementsAre(ElementsAre("かい"), ElementsAre("か")));

    EXPECT_EQ(rule.frontCondition.unit, MeanUnit::BaseForm);
    EXPECT_THAT(rule.frontCondition.words, ElementsAre("行く"));
    EXPECT_FALSE(rule.backCondition.isPresent());

    const MeanTermSpec& term = rule.frontTerm;
    EXPECT_EQ(term.variableName, "X_term");
    EXPECT_THAT(term.posCodes, ElementsAre(0x200001, 0x200000));
    EXPECT_THAT(term.posSequences, ElementsAre(ElementsAre(0x200001, 0x1000001)));
    EXPECT_THAT(term.conjugationForms, ElementsAre(ANY_CONJUGATION_FORM));
    EXPECT_THAT(term.words, ElementsAre("駅前;に", "駅"));
    EXPECT_THAT(term.wordSequences, ElementsAre(ElementsAre("駅前", "に"), ElementsAre("駅")));
    EXPECT_EQ(rule.backTerm.variableName, "＊");
}

TEST(MeanDictionaryTest, BuiltInDcaNamesGiveTheirCodesUnlessDefined)
{
    MeanDictionary builtIn;
    readRules(builtIn, basicDefinitions() + simpleRule("NUM", "入力形\t＊\t数詞\t＊\t零"));
    EXPECT_EQ(builtIn.rules().at(0).dcaCode, DCA_NUM);

    MeanDictionary defined;
    readRules(defined, basicDefinitions() + ruleLine({"#DEFDCA", "NUM", "5", "0", "0", "0"}) +
                           simpleRule("NUM", "入力形\t＊\t数詞\t＊\t零") +
                           simpleRule("REARR", "入力形\t＊\t動詞\t＊\t出来る") +
                           simpleRule("CHIDIOM", "基本形連続\t＊\t＊\t＊\t腹;立つ"));
    ASSERT_EQ(defined.rules().size(), 3u);
    EXPECT_EQ(defined.rules()[0].dcaCode, 5);
    EXPECT_EQ(defined.rules()[1].dcaCode, DCA_REARR);
    EXPECT_EQ(defined.rules()[2].dcaCode, DCA_CHIDIOM);
}

TEST(MeanDictionaryTest, BuiltInNamesAreNoPcaNamesButTheRuleIsKept)
{
    MeanDictionary dictionary;
    const auto read = readRules(dictionary, basicDefinitions() +
                                                ruleLine({"挨拶", "NUM/挨拶", "I", "情報", "＊",
                                                          "(入力形\tBT\t感動詞\t＊\tやあ)", "(＊)", "(＊)",
                                                          "(＊)", "(＊)"}));
    EXPECT_EQ(read.result, -1);
    EXPECT_THAT(read.console, HasSubstr(utf8(u8"警告：5行目には「pca」が誤っています\nline = (")));
    ASSERT_EQ(dictionary.rules().size(), 1u);
    EXPECT_THAT(dictionary.rules()[0].pcaCodes, ElementsAre(120));
}

TEST(MeanDictionaryTest, EmptyParenthesesAreAnEntryLineWithoutDca)
{
    MeanDictionary dictionary;
    const auto read = readRules(dictionary, "()\n");
    EXPECT_EQ(read.result, -1);
    EXPECT_EQ(read.console, utf8(u8"警告：1行目には「DCA判定」がありません\nline = ()\n\n"));
}

TEST(MeanDictionaryTest, DefinitionWithoutParenthesesIsRejected)
{
    MeanDictionary dictionary;
    const auto read = readRules(dictionary, "\n#DEFDCA\t挨拶\t120\t0\t1\t0\n");
    EXPECT_EQ(read.result, -1);
    EXPECT_EQ(read.console, utf8(u8"警告：2行目には左右の括弧数が一致しません\nline = #DEFDCA\t挨拶\t120\t0\t1\t0\n\n"));
    EXPECT_THAT(dictionary.dcaDefinitions(), IsEmpty());
}

TEST(MeanDictionaryTest, EmptyConditionGroupIgnoresWhatFollowsInside)
{
    MeanDictionary dictionary;
    const auto read = readRules(dictionary, basicDefinitions() +
                                                ruleLine({"挨拶", "＊", "I", "情報", "＊",
                                                          "(入力形\t＊\t感動詞\t＊\tやあ)", "(＊\tnonsense\t!)",
                                                          "(＊)", "(＊)", "(＊)"}));
    EXPECT_EQ(read.result, 0);
    const MeanCondSpec& front = dictionary.rules().at(0).frontCondition;
    EXPECT_EQ(front.unit, 0);
    EXPECT_EQ(front.position, "＊");
    EXPECT_THAT(front.posCodes, ElementsAre(0));
    EXPECT_THAT(front.conjugationForms, ElementsAre(ANY_CONJUGATION_FORM));
    EXPECT_THAT(front.words, ElementsAre("＊"));
}

TEST(MeanDictionaryTest, PosSequenceAlsoAddsItsFirstCode)
{
    MeanDictionary dictionary;
    readRules(dictionary, basicDefinitions() + simpleRule("挨拶", "入力形\t＊\t名詞;助詞\t＊\t駅"));
    const MeanCondSpec& element = dictionary.rules().at(0).meaningElement;
    EXPECT_THAT(element.posSequences, ElementsAre(ElementsAre(0x200000, 0x1000000)));
    EXPECT_THAT(element.posCodes, ElementsAre(0x200000));
}

TEST(MeanDictionaryTest, ConjugationColumnStartingWithSlashIsRejected)
{
    MeanDictionary dictionary;
    const auto read = readRules(dictionary, basicDefinitions() + simpleRule("挨拶", "基本形\t＊\t動詞\t/基本形\t行く"));
    EXPECT_EQ(read.result, -1);
    EXPECT_THAT(read.console, HasSubstr(utf8(u8"警告：5行目には'/'の位置が不正です\n")));
    EXPECT_THAT(dictionary.rules(), IsEmpty());
}

TEST(MeanDictionaryTest, FormNamedOnlyInTheFullTableIsNoRuleVocabulary)
{
    MeanDictionary dictionary;
    readRules(dictionary, "");
    EXPECT_EQ(dictionary.getTableIndex("文語音便条件形"), 58);
    EXPECT_EQ(dictionary.getTableIndex("基本連体形"), -1);
    EXPECT_EQ(dictionary.getTableIndex("＊"), ANY_CONJUGATION_FORM);
    EXPECT_EQ(dictionary.getTableName(45), "基本形");
    EXPECT_EQ(dictionary.getTableName(ANY_CONJUGATION_FORM), "＊");
    EXPECT_EQ(dictionary.getTableName(59), "");
    EXPECT_EQ(dictionary.formTable().size(), 59u);
}

TEST(MeanDictionaryTest, UnitNamesAndCodes)
{
    MeanDictionary dictionary;
    EXPECT_EQ(dictionary.unitCode("品詞連続"), 7);
    EXPECT_EQ(dictionary.unitCode("＊"), 0);
    EXPECT_EQ(dictionary.unitCode("入力型"), -1);
    EXPECT_EQ(dictionary.unitName(9), "入力形連続");
    EXPECT_EQ(dictionary.unitName(0), "＊");
    EXPECT_EQ(dictionary.unitName(10), "＊");
    EXPECT_EQ(dictionary.unitName(-1), "＊");
}

struct IndexCase {
    const char* dca;
    const char* element;
    Index expected;
};

class WordIndexTest : public testing::TestWithParam<IndexCase> {};

TEST_P(WordIndexTest, RuleGoesToTheFirstIndexThatFits)
{
    MeanDictionary dictionary;
    ASSERT_EQ(readRules(dictionary, basicDefinitions() + simpleRule(GetParam().dca, GetParam().element)).result, 0);
    for (int which = 0; which < MeanDictionary::WORD_INDEX_COUNT; ++which) {
        const auto entries = entriesOf(dictionary, static_cast<Index>(which));
        if (which == GetParam().expected) {
            EXPECT_THAT(entries, ElementsAre(Pair("甲", WordRef{0, 0}))) << which;
        } else {
            EXPECT_THAT(entries, IsEmpty()) << which;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    ByDcaAndUnit, WordIndexTest,
    testing::Values(IndexCase{"挨拶", "文字列\t＊\t＊\t＊\t甲", Index::TextIndex},
                    IndexCase{"NUM", "文字列\t＊\t＊\t＊\t甲", Index::TextIndex},
                    IndexCase{"NUM", "入力形\t＊\t数詞\t＊\t甲", Index::NumRearrIndex},
                    IndexCase{"REARR", "入力形\t＊\t動詞\t＊\t甲", Index::NumRearrIndex},
                    IndexCase{"NUM", "基本形\t＊\t数詞\t＊\t甲", Index::BaseFormIndex},
                    IndexCase{"CHIDIOM", "入力形\t＊\t名詞\t＊\t甲", Index::IdiomInputFormIndex},
                    IndexCase{"CHIDIOM", "入力形集合\t＊\t＊\t＊\t甲;乙", Index::IdiomInputFormIndex},
                    IndexCase{"CHIDIOM", "入力形連続\t＊\t＊\t＊\t甲;乙", Index::IdiomInputFormIndex},
                    IndexCase{"CHIDIOM", "基本形\t＊\t名詞\t＊\t甲", Index::IdiomBaseFormIndex},
                    IndexCase{"CHIDIOM", "基本形集合\t＊\t＊\t＊\t甲;乙", Index::IdiomBaseFormIndex},
                    IndexCase{"CHIDIOM", "基本形連続\t＊\t＊\t＊\t甲;乙", Index::IdiomBaseFormIndex},
                    IndexCase{"挨拶", "入力形\t＊\t名詞\t＊\t甲", Index::InputFormIndex},
                    IndexCase{"挨拶", "入力形集合\t＊\t＊\t＊\t甲;乙", Index::InputFormIndex},
                    IndexCase{"挨拶", "入力形連続\t＊\t＊\t＊\t甲;乙", Index::InputFormIndex},
                    IndexCase{"挨拶", "基本形\t＊\t名詞\t＊\t甲", Index::BaseFormIndex},
                    IndexCase{"挨拶", "基本形集合\t＊\t＊\t＊\t甲;乙", Index::BaseFormIndex},
                    IndexCase{"挨拶", "基本形連続\t＊\t＊\t＊\t甲;乙", Index::BaseFormIndex}));

TEST(MeanDictionaryTest, AlternativesAreNumberedInIndexOrderLongestFirst)
{
    MeanDictionary dictionary;
    readRules(dictionary, basicDefinitions() + simpleRule("挨拶", "入力形\t＊\t感動詞\t＊\tやあ") +
                              simpleRule("質問", "入力形連続\t＊\t＊\t＊\tか;な/どう;か;な/か;ね"));
    EXPECT_THAT(entriesOf(dictionary, Index::InputFormIndex),
                ElementsAre(Pair("か", WordRef{1, 1}), Pair("か", WordRef{1, 2}), Pair("どう", WordRef{1, 0}),
                            Pair("やあ", WordRef{0, 0})));
}

TEST(MeanDictionaryTest, PosUnitsFillThePosIndex)
{
    MeanDictionary dictionary;
    readRules(dictionary, basicDefinitions() + simpleRule("挨拶", "品詞\tSG\t感動詞/名詞\t＊\t＊") +
                              simpleRule("質問", "品詞連続\t＊\t名詞接頭辞;普通名詞/動詞;接尾辞\t＊\t＊"));
    const auto& index = dictionary.posIndex();
    const std::vector<std::pair<int, WordRef>> entries(index.begin(), index.end());
    EXPECT_THAT(entries,
                ElementsAre(Pair(0x20000, WordRef{1, 1}), Pair(0x200000, WordRef{0, 1}),
                            Pair(0x8000000, WordRef{0, 0}), Pair(0x10000001, WordRef{1, 0})));
    EXPECT_THAT(dictionary.rules()[0].meaningElement.words, ElementsAre("＊"));
}

TEST(MeanDictionaryTest, TextUnitKeysSetLengthBoundsAndFirstCharacters)
{
    MeanDictionary dictionary;
    readRules(dictionary, basicDefinitions() + simpleRule("挨拶", "文字列\tBT\t＊\t＊\tもしもし/やあ") +
                              simpleRule("挨拶", "文字列\t＊\t＊\t＊\tよろしくお願いします"));
    EXPECT_EQ(dictionary.longestTextLength(), 20);
    EXPECT_EQ(dictionary.shortestTextLength(), 4);
    EXPECT_THAT(dictionary.firstCharacters(), ElementsAre("も", "や", "よ"));
}

TEST(MeanDictionaryTest, DroppedLineLeavesNoIndexEntryBehind)
{
    // The first rule's meaning element is read (and its index entries made)
    // before its back TERM fails; the entries must not survive to point at
    // the rule that takes its number.
    MeanDictionary dictionary;
    const auto read = readRules(
        dictionary, basicDefinitions() +
                        ruleLine({"挨拶", "＊", "I", "情報", "＊", "(文字列\t＊\t＊\t＊\tながいながいことば)", "(＊)",
                                  "(＊)", "(＊)", "(W_term\t＊\t＊\t＊)"}) +
                        ruleLine({"質問", "＊", "I", "情報", "＊", "(品詞\t＊\t感動詞\t＊\t＊)", "(＊)", "(＊)",
                                  "(＊)", "(W_term\t＊\t＊\t＊)"}) +
                        simpleRule("挨拶", "入力形\t＊\t感動詞\t＊\tやあ"));
    EXPECT_EQ(read.result, -1);
    ASSERT_EQ(dictionary.rules().size(), 1u);
    EXPECT_THAT(entriesOf(dictionary, Index::TextIndex), IsEmpty());
    EXPECT_THAT(dictionary.posIndex(), IsEmpty());
    EXPECT_THAT(dictionary.firstCharacters(), IsEmpty());
    EXPECT_EQ(dictionary.longestTextLength(), 0);
    EXPECT_EQ(dictionary.shortestTextLength(), 10);
    EXPECT_THAT(entriesOf(dictionary, Index::InputFormIndex), ElementsAre(Pair("やあ", WordRef{0, 0})));
}

TEST(MeanDictionaryTest, SentenceEndWarningsKeepTheRule)
{
    MeanDictionary dictionary;
    const auto read = readRules(dictionary, basicDefinitions() + ruleLine({"#DEFNOMEAN", "ね/よ"}) +
                                                simpleRule("質問", "入力形\tBM\t終助詞\t＊\tよ/ね/？/かい/！"));
    EXPECT_EQ(read.result, -1);
    ASSERT_EQ(dictionary.rules().size(), 1u);
    // Longest first: かい, then よ, ね, ？ (the scan ends there), ！.
    const std::string line = "line = (質問\t＊\tI\t情報\t＊\t(入力形\tBM\t終助詞\t＊\tよ/ね/？/かい/！)\t(＊)\t(＊)\t(＊)\t(＊))\n\n";
    EXPECT_EQ(read.console, utf8(u8"警告：6行目には文末無意味語(よ)が指定されています\n") + test::toConsole(line) +
                                utf8(u8"警告：6行目には文末無意味語(ね)が指定されています\n") + test::toConsole(line) +
                                utf8(u8"警告：6行目には文末意味解析除外語彙(？)が指定されています\n") +
                                test::toConsole(line) +
                                utf8(u8"警告：6行目には文末意味解析除外品詞(終助詞)が指定されています\n") +
                                test::toConsole(line));
}

struct CueCase {
    const char* cue;
    const char8_t* message;
};

class VariableCueTest : public testing::TestWithParam<CueCase> {};

TEST_P(VariableCueTest, MalformedVariableIsRejected)
{
    MeanDictionary dictionary;
    const auto read = readRules(dictionary, basicDefinitions() +
                                                simpleRule("質問", std::string("入力形\t＊\t＊\t＊\t") + GetParam().cue));
    EXPECT_EQ(read.result, -1);
    EXPECT_THAT(read.console, HasSubstr(utf8(GetParam().message)));
    EXPECT_THAT(dictionary.rules(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Marks, VariableCueTest,
    testing::Values(
        // A single mark is not closed by itself.
        CueCase{"＄", u8"警告：5行目の「＄」を変数処理する場合は、変数の右も＄を入力してください\n"},
        CueCase{"＄犬", u8"警告：5行目の「＄犬」を変数処理する場合は、変数の右も＄を入力してください\n"},
        CueCase{"＄犬$", u8"警告：5行目の「＄犬$」を変数処理する場合は、全角の＄を入力してください\n"},
        // Without a network no word is a representative word.
        CueCase{"＄犬＄", u8"Warning5line [＄犬＄] input Representative word please\n"},
        CueCase{"＆犬＆", u8"Warning5line [＆犬＆] input Representative word please\n"}));

TEST(MeanDictionaryTest, VariableNeedsAnAnyPos)
{
    MeanDictionary dictionary;
    const auto read = readRules(dictionary, basicDefinitions() + simpleRule("質問", "入力形\t＊\t名詞\t＊\t＄犬＄"));
    EXPECT_EQ(read.console,
              utf8(u8"警告：5行目の「＄犬＄」を変数処理する場合は、品詞は ＊ で入力してください\n") +
                  test::toConsole("line = " + simpleRule("質問", "入力形\t＊\t名詞\t＊\t＄犬＄")) + "\n");
}

class NetworkTest : public testing::Test {
protected:
    NetworkTest()
    {
        auto network = std::make_unique<test::FakeNetwork>();
        m_network = network.get();
        m_network->relationTexts = {{"動物", "P0:動物, P0:生き物"}, {"犬", "P0:動物"}};
        m_network->collected = {{"動物", "犬,猫"}};
        m_network->related = {{"動物", "生き物"}, {"犬", "いぬ, ワンちゃん"}};
        m_scope = std::make_unique<test::ScopedNetwork>(std::move(network));
    }

    test::FakeNetwork* m_network;
    std::unique_ptr<test::ScopedNetwork> m_scope;
};

TEST_F(NetworkTest, DollarVariableExpandsToTheWordsBelowAndTheirRelatives)
{
    MeanDictionary dictionary;
    ASSERT_EQ(readRules(dictionary, basicDefinitions() + simpleRule("質問", "入力形\t＊\t＊\t＊\t＄動物＄")).result, 0);
    const MeanCondSpec& element = dictionary.rules().at(0).meaningElement;
    EXPECT_EQ(element.cueText, "動物/生き物/犬/いぬ/ワンちゃん/猫");
    EXPECT_THAT(element.words, ElementsAre("ワンちゃん", "生き物", "動物", "いぬ", "犬", "猫"));
    EXPECT_THAT(dictionary.variableCache(), ElementsAre(Pair("＄動物＄", "動物/生き物/犬/いぬ/ワンちゃん/猫")));
}

TEST_F(NetworkTest, AmpersandVariableTakesOnlyTheWordAndItsRelatives)
{
    MeanDictionary dictionary;
    ASSERT_EQ(readRules(dictionary, basicDefinitions() + simpleRule("質問", "入力形\t＊\t＊\t＊\t＆動物＆")).result, 0);
    EXPECT_EQ(dictionary.rules().at(0).meaningElement.cueText, "動物/生き物");
}

TEST_F(NetworkTest, SecondUseOfAVariableComesFromTheCache)
{
    MeanDictionary dictionary;
    const std::string rule = simpleRule("質問", "入力形\t＊\t＊\t＊\t＄動物＄");
    readRules(dictionary, basicDefinitions() + rule);
    m_network->collected.clear();
    m_network->related.clear();
    readRules(dictionary, rule);
    ASSERT_EQ(dictionary.rules().size(), 2u);
    EXPECT_EQ(dictionary.rules()[1].meaningElement.cueText, "動物/生き物/犬/いぬ/ワンちゃん/猫");
}

TEST_F(NetworkTest, VariableWordMustAppearInItsOwnRelations)
{
    MeanDictionary dictionary;
    const auto read = readRules(dictionary, basicDefinitions() + simpleRule("質問", "入力形\t＊\t＊\t＊\t＄犬＄"));
    EXPECT_THAT(read.console, HasSubstr(utf8(u8"Waring5line [＄犬＄] Representative word is not exist\n")));
    EXPECT_THAT(dictionary.variableCache(), IsEmpty());
}

TEST_F(NetworkTest, RepresentativeWordIsCheckedAgainstTheNetwork)
{
    MeanDictionary dictionary;
    const std::string element = "(入力形\t＊\t感動詞\t＊\tやあ)";
    const auto read = readRules(
        dictionary, basicDefinitions() +
                        ruleLine({"挨拶", "＊", "I", "情報", "動物;普通名詞", element, "(＊)", "(＊)", "(＊)", "(＊)"}) +
                        ruleLine({"挨拶", "＊", "I", "情報", "犬;普通名詞", element, "(＊)", "(＊)", "(＊)", "(＊)"}) +
                        ruleLine({"挨拶", "＊", "I", "情報", "動物", element, "(＊)", "(＊)", "(＊)", "(＊)"}));
    EXPECT_EQ(read.result, -1);
    EXPECT_THAT(read.console, HasSubstr(utf8(u8"警告：6行目の「犬」はＮ辞書の代表語を入力してください。\n")));
    EXPECT_THAT(read.console, HasSubstr(utf8(u8"警告：7行目のＮ辞書語彙の品詞指定が間違っています\n")));
    ASSERT_EQ(dictionary.rules().size(), 1u);
    EXPECT_EQ(dictionary.rules()[0].representativeWord, "動物");
    EXPECT_EQ(dictionary.rules()[0].representativePosCode, 0x200001);
}

}  // namespace
}  // namespace quibo
