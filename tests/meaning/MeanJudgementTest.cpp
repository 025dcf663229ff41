// Judging analysed sentences: each row gives the rules, the sentence's words
// (serialised analysis text) and what the judgement must make of them.
#include "meaning/MeanDictionary.h"

#include "FakeNetwork.h"
#include "MeanTestSupport.h"
#include "analysis/EucString.h"
#include "analysis/MorphemeList.h"
#include "meaning/MeanCodeTables.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

namespace quibo {
namespace {

using test::basicDefinitions;
using test::readRules;
using test::ruleLine;
using test::toConsole;

const std::vector<int> ANY_PREVIOUS{-1};

// The features the rows use, beyond the basic ones (name, code, attribute,
// bit).
std::string judgementDefinitions()
{
    std::string text = basicDefinitions();
    const char* definitions[][4] = {
        {"X", "130", "0", "0"},    {"肯定", "94", "0", "8"},   {"否定０", "96", "0", "0"},
        {"依頼", "92", "5", "5"},  {"任意", "900", "0", "0"},  {"説明", "140", "0", "23"},
        {"相槌", "173", "0", "31"}, {"可能", "109", "6", "18"}, {"尊敬", "73", "0", "25"},
        {"条件", "2", "0", "0"},   {"発問", "134", "0", "33"},
    };
    for (const auto& d : definitions) {
        text += ruleLine({"#DEFDCA", d[0], d[1], d[2], d[3], "0"});
    }
    return text;
}

// A rule line; groups are written without their parentheses.
std::string rule(const std::string& dca, const std::string& pca, const std::string& flags, const std::string& info,
                 const std::string& word, const std::string& element, const std::string& front = "＊",
                 const std::string& back = "＊")
{
    return ruleLine({dca, pca, flags, info, word, "(" + element + ")", "(" + front + ")", "(" + back + ")", "(＊)",
                     "(＊)"});
}

MorphemeList sentenceOf(const std::string& serialised)
{
    std::vector<MorphemeList> lists = parseMorphemeText(serialised);
    return lists.empty() ? MorphemeList() : lists.front();
}

std::string hex(unsigned value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%x", value);
    return text;
}

// Contents as "feature[matched text]@start-end", with "<pca>" when a
// previous code admitted the rule.
std::string describeContents(const MeanEntry& entry)
{
    std::string text;
    for (const MeanContent& c : entry.getMeanContents()) {
        if (!text.empty()) {
            text += " ";
        }
        text += entry.featureName(c.dcaCode) + "[" + c.matchedText + "]@" + std::to_string(c.spanStart) + "-" +
                std::to_string(c.spanEnd);
        if (c.pcaCode != 0) {
            text += "<" + entry.featureName(c.pcaCode) + ">";
        }
    }
    return text;
}

// Words as "surface(key form):flags@attributes", the key form only when it
// differs, flag letters X Y Z I A V M E, attributes in hex.
std::string describeWords(const MorphemeList& list)
{
    static const std::pair<std::uint32_t, const char*> letters[] = {
        {Morpheme::FLAG_X, "X"}, {Morpheme::FLAG_Y, "Y"},   {Morpheme::FLAG_Z, "Z"},   {Morpheme::FLAG_I, "I"},
        {Morpheme::FLAG_A, "A"}, {Morpheme::FLAG_VS, "V"}, {Morpheme::FLAG_MS, "M"}, {Morpheme::FLAG_E, "E"}};
    std::string text;
    for (const Morpheme& word : list.words()) {
        if (!text.empty()) {
            text += "|";
        }
        text += word.surfaceRef();
        if (word.keyFormRef() != word.surfaceRef()) {
            text += "(" + std::string(word.keyFormRef()) + ")";
        }
        std::string flags;
        for (const auto& [bit, letter] : letters) {
            if (word.hasFlags(bit)) {
                flags += letter;
            }
        }
        if (!flags.empty()) {
            text += ":" + flags;
        }
        if (word.getAttributeWord() != 0) {
            text += "@" + hex(word.getAttributeWord());
        }
    }
    return text;
}

std::string describeTerms(const MeanEntry& entry)
{
    std::string text;
    const std::pair<const char*, std::string> terms[] = {
        {"X=", entry.getTermX()}, {"Y=", entry.getTermY()}, {"Z=", entry.getTermZ()}};
    for (const auto& [label, term] : terms) {
        if (!term.empty()) {
            text += (text.empty() ? "" : "|") + std::string(label) + term;
        }
    }
    return text;
}

std::string describePolarity(const MeanEntry& entry)
{
    return hex(entry.getPolarity()) + "/" + hex(entry.getPolarityX()) + "/" + hex(entry.getPolarityY());
}

struct JudgementCase {
    const char* behaviour = "";
    std::string rules{};
    std::string sentence{};
    std::string contents{};
    std::optional<std::string> words{};
    std::optional<std::string> terms{};
    std::optional<std::string> polarity{};
    std::optional<int> bits{};
    std::vector<int> previous = ANY_PREVIOUS;
};

void PrintTo(const JudgementCase& row, std::ostream* out)
{
    *out << row.behaviour;
}

const std::string ASK = "教えて,教える,2,0,1,タ系連用テ形;ください,くださる,14,7,11,命令形";

const JudgementCase JUDGEMENT_CASES[] = {
    {.behaviour = "IdiomCollapsesIntoRepresentativeWord",
     .rules = rule("CHIDIOM", "＊", "-", "怒り", "怒る;動詞", "基本形連続\t＊\t＊\t＊\t腹;が;立つ"),
     .sentence = "腹,腹,6,1;が,が,9,1;立つ,立つ,2,0,6,基本形",
     .contents = "",
     .words = "怒る:XA@100"},
    {.behaviour = "LongerIdiomCoversShorterOne",
     .rules = rule("CHIDIOM", "＊", "-", "好み", "好む;動詞", "基本形連続\t＊\t＊\t＊\t気;に;入る") +
              rule("CHIDIOM", "＊", "-", "注意", "注意;サ変名詞", "基本形連続\t＊\t＊\t＊\t気;に"),
     .sentence = "気,気,6,1;に,に,9,1;入り,入る,2,0,10,基本連用形;ました,ます,14,7,31,タ形",
     .contents = "",
     .words = "好む:XA@100|ました(ます):X"},
    {.behaviour = "IdiomMatchesWhereverItStands",
     .rules = rule("CHIDIOM", "＊", "-", "怒り", "怒る;動詞", "基本形連続\t＊\t＊\t＊\t腹;が;立つ"),
     .sentence = "本当,本当,6,1;に,に,9,1;腹,腹,6,1;が,が,9,1;立つ,立つ,2,0,6,基本形",
     .contents = "",
     .words = "本当:X|に:X|怒る:XA@100"},
    {.behaviour = "RepeatedIdiomCollapsesEachTime",
     .rules = rule("CHIDIOM", "＊", "-", "怒り", "怒る;動詞", "基本形連続\t＊\t＊\t＊\t腹;が;立つ"),
     .sentence = "腹,腹,6,1;が,が,9,1;立つ,立つ,2,0,6,基本形;し,し,9,3;腹,腹,6,1;が,が,9,1;立つ,立つ,2,0,6,基本形",
     .contents = "",
     .words = "怒る:XA@100|し:X|怒る:XA@100"},
    {.behaviour = "NoMeaningWordIsSetAsideAndRestored",
     .rules = ruleLine({"#DEFNOMEAN", "。"}) + rule("肯定", "＊", "-", "肯定", "＊", "入力形\tBM\t判定詞\t＊\tです"),
     .sentence = "そう,そう,7,3;です,だ,4,0,25,デス列基本形;。,。,1,1",
     .contents = "肯定[です]@4-8",
     .words = "そう:Y|です(だ):Y|。",
     .terms = "Y=そうです",
     .polarity = "40/0/40",
     .bits = 0x80},
    {.behaviour = "NumRuleRewritesNumeral",
     .rules = rule("NUM", "＊", "-", "２", "＊", "入力形\t＊\t数詞\t＊\tふた"),
     .sentence = "ふた,ふた,6,7;つ,つ,14,3",
     .contents = "",
     .words = "２:X|つ:X"},
    {.behaviour = "NumRuleNeedsTheNumeralPos",
     .rules = rule("NUM", "＊", "-", "２", "＊", "入力形\t＊\t数詞\t＊\tふた"),
     .sentence = "ふた,ふた,6,1",
     .contents = "",
     .words = "ふた:X"},
    {.behaviour = "RearrangedSpellingMatchesButSentenceKeepsItsWord",
     .rules = rule("REARR", "＊", "-", "わかる", "＊", "入力形\t＊\t動詞\t基本形\t分かる") +
              rule("可能", "＊", "-", "理解", "＊", "基本形\t＊\t動詞\t＊\tわかる"),
     .sentence = "分かる,分かる,2,0,2,基本形",
     .contents = "可能[分かる]@0-6",
     .words = "分かる:Y@2000"},
    {.behaviour = "BtMatchesAtTheFirstWord",
     .rules = rule("挨拶", "＊", "IE", "出会い", "＊", "入力形\tBT\t感動詞\t＊\tこんにちは"),
     .sentence = "こんにちは,こんにちは,12,0",
     .contents = "挨拶[こんにちは]@0-10",
     .words = "こんにちは:YIE",
     .bits = 0x1},
    {.behaviour = "BtRejectsALaterWord",
     .rules = rule("挨拶", "＊", "IE", "出会い", "＊", "入力形\tBT\t感動詞\t＊\tこんにちは"),
     .sentence = "ええ,ええ,12,0;こんにちは,こんにちは,12,0",
     .contents = ""},
    {.behaviour = "BmMatchesBeforeFinalParticlesAndMarks",
     .rules = rule("依頼", "＊", "IM", "依頼", "＊", "基本形\tBM\t動詞性接尾辞\t命令形\tくださる"),
     .sentence = ASK + ";よ,よ,9,4;？,？,1,5",
     .contents = "依頼[ください]@6-14",
     .words = "教えて(教える):Y@1000|ください(くださる):YIM|よ:Y|？:Y",
     .bits = 0x10},
    {.behaviour = "BmWalkPastTheFirstWordFailsTheGroup",
     .rules = rule("挨拶", "＊", "-", "呼び掛け", "＊", "入力形\tBM\t感動詞\t＊\tよ"),
     .sentence = "よ,よ,9,4",
     .contents = ""},
    {.behaviour = "EmptySentenceGivesNothing",
     .rules = rule("挨拶", "＊", "-", "呼び掛け", "＊", "入力形\tBM\t感動詞\t＊\tよ"),
     .sentence = "",
     .contents = "",
     .words = "",
     .terms = "",
     .polarity = "0/0/0",
     .bits = 0},
    {.behaviour = "SgMatchesTheWholeSentence",
     .rules = rule("相槌", "＊", "-", "相槌", "＊", "品詞\tSG\t感動詞\t＊\t＊"),
     .sentence = "うん,うん,12,0",
     .contents = "相槌[うん]@0-4"},
    {.behaviour = "SgRejectsPartOfTheSentence",
     .rules = rule("相槌", "＊", "-", "相槌", "＊", "品詞\tSG\t感動詞\t＊\t＊"),
     .sentence = "うん,うん,12,0;そう,そう,7,3",
     .contents = ""},
    {.behaviour = "FrontConditionIsFoundBeforeTheElement",
     .rules = rule("条件", "＊", "-", "仮定", "＊", "入力形\t＊\t普通名詞\t＊\t雨", "入力形\t＊\t副詞\t＊\tもし"),
     .sentence = "もし,もし,8,0;明日,明日,6,10;雨,雨,6,1;なら,だ,4,0",
     .contents = "条件[もし;雨]@0-10"},
    {.behaviour = "MissingFrontConditionDropsTheRule",
     .rules = rule("条件", "＊", "-", "仮定", "＊", "入力形\t＊\t普通名詞\t＊\t雨", "入力形\t＊\t副詞\t＊\tもし"),
     .sentence = "明日,明日,6,10;雨,雨,6,1;もし,もし,8,0",
     .contents = ""},
    {.behaviour = "BackConditionIsFoundAfterTheElement",
     .rules = rule("説明", "任意", "-", "説明依頼", "＊", "基本形\t＊\t動詞\tタ系連用テ形\t教える", "＊",
                   "基本形\t＊\t動詞性接尾辞\t命令形\tくださる"),
     .sentence = ASK,
     .contents = "説明[教えて;ください]@0-14"},
    {.behaviour = "MissingBackConditionDropsTheRule",
     .rules = rule("説明", "任意", "-", "説明依頼", "＊", "基本形\t＊\t動詞\tタ系連用テ形\t教える", "＊",
                   "基本形\t＊\t動詞性接尾辞\t命令形\tくださる"),
     .sentence = "ください,くださる,14,7,11,命令形;教えて,教える,2,0,1,タ系連用テ形",
     .contents = ""},
    {.behaviour = "PcaAdmitsTheMatchingPreviousCode",
     .rules = rule("質問", "質問", "I", "追加", "＊", "入力形\t＊\t終助詞\t＊\tか"),
     .sentence = "か,か,9,4",
     .contents = "質問[か]@0-2<質問>",
     .previous = {95, 133}},
    {.behaviour = "PcaRejectsOtherPreviousCodes",
     .rules = rule("質問", "質問", "I", "追加", "＊", "入力形\t＊\t終助詞\t＊\tか"),
     .sentence = "か,か,9,4",
     .contents = "",
     .previous = {95}},
    {.behaviour = "PcaAnyAdmitsEveryPreviousCode",
     .rules = rule("質問", "任意", "I", "追加", "＊", "入力形\t＊\t終助詞\t＊\tか"),
     .sentence = "か,か,9,4",
     .contents = "質問[か]@0-2<任意>",
     .previous = {95}},
    {.behaviour = "NoPreviousCodesAdmitOnlyRulesWithoutPca",
     .rules = rule("質問", "質問", "I", "追加", "＊", "入力形\t＊\t終助詞\t＊\tか") +
              rule("否定", "＊", "-", "否定", "＊", "入力形\t＊\t終助詞\t＊\tか"),
     .sentence = "か,か,9,4",
     .contents = "否定[か]@0-2",
     .previous = {}},
    {.behaviour = "OneContentPerRuleAndStart",
     .rules = rule("質問", "＊", "I", "疑問", "＊", "入力形\t＊\t終助詞\t＊\tか/か"),
     .sentence = "か,か,9,4",
     .contents = "質問[か]@0-2"},
    {.behaviour = "CoveredContentOfTheSameClassIsRemoved",
     .rules = rule("質問", "＊", "I", "疑問", "＊", "入力形\t＊\t終助詞\t＊\tか") +
              rule("肯定", "＊", "-", "丁寧疑問", "＊", "入力形連続\t＊\t＊\t＊\tです;か"),
     .sentence = "です,だ,4,0;か,か,9,4",
     .contents = "肯定[ですか]@0-6"},
    {.behaviour = "CoveredContentOfAnotherClassStays",
     .rules = rule("X", "＊", "I", "疑問", "＊", "入力形\t＊\t終助詞\t＊\tか") +
              rule("肯定", "＊", "-", "丁寧疑問", "＊", "入力形連続\t＊\t＊\t＊\tです;か"),
     .sentence = "です,だ,4,0;か,か,9,4",
     .contents = "肯定[ですか]@0-6 X[か]@4-6"},
    {.behaviour = "XRuleMarksWordsBeforeAndAfterIt",
     .rules = rule("X", "＊", "I", "主題", "＊", "入力形\t＊\t副助詞\t＊\tは"),
     .sentence = "天気,天気,6,1;は,は,9,2;どう,どう,7,3;です,だ,4,0;か,か,9,3",
     .contents = "X[は]@4-6",
     .words = "天気:X|は:I|どう:Y|です(だ):Y|か:Y",
     .terms = "X=天気|Y=どうですか"},
    {.behaviour = "UnmarkedNounSentenceIsAllX",
     .rules = "",
     .sentence = "明日,明日,6,10;の,の,9,3;天気,天気,6,1",
     .contents = "",
     .words = "明日:X|の:X|天気:X",
     .terms = "X=明日の天気"},
    {.behaviour = "UnmarkedPredicateIsYAfterItsNoun",
     .rules = "",
     .sentence = "パソコン,パソコン,6,1;を,を,9,1;使う,使う,2,0,12,基本形",
     .contents = "",
     .words = "パソコン:X|を:Y|使う:Y@100",
     .terms = "X=パソコン|Y=を使う"},
    {.behaviour = "SahenNounBeforeSuruBelongsToThePredicate",
     .rules = "",
     .sentence = "英語,英語,6,1;を,を,9,1;勉強,勉強,6,2;する,する,2,0,14,基本形",
     .contents = "",
     .words = "英語:X|を:Y|勉強:Y@100|する:Y@100",
     .terms = "X=英語|Y=を勉強する"},
    {.behaviour = "SahenNounWithoutSuruEndsThePredicate",
     .rules = "",
     .sentence = "勉強,勉強,6,2;が,が,9,1;楽しい,楽しい,3,0",
     .contents = "",
     .words = "勉強:X@100|が:Y|楽しい:Y@100",
     .terms = "X=勉強|Y=が楽しい"},
    {.behaviour = "UnmarkedSentenceWithoutNounHasNoX",
     .rules = "",
     .sentence = "とても,とても,8,2;速い,速い,3,0",
     .contents = "",
     .words = "とても:Y|速い:Y@100",
     .terms = "Y=とても速い"},
    {.behaviour = "AttributeMarksThePredicateAndPolarityTheTerms",
     .rules = rule("否定", "＊", "-", "否定", "＊", "基本形\t＊\t形容詞性述語接尾辞\t＊\tない"),
     .sentence = "分から,分かる,2,0;ない,ない,14,5",
     .contents = "否定[ない]@6-10",
     .words = "分から(分かる):Y@400|ない:Y",
     .terms = "Y=分からない",
     .polarity = "80/0/80",
     .bits = 0x40},
    {.behaviour = "AttributeOfSuruGoesToItsNoun",
     .rules = rule("否定", "＊", "-", "否定", "＊", "基本形\t＊\t形容詞性述語接尾辞\t＊\tない"),
     .sentence = "勉強,勉強,6,2;し,する,2,0;ない,ない,14,5",
     .contents = "否定[ない]@6-10",
     .words = "勉強:Y@400|し(する):Y@100|ない:Y"},
    {.behaviour = "NegationZeroCountsInThePolarityBytes",
     .rules = rule("否定０", "＊", "-", "否定", "＊", "基本形\t＊\t助動詞\t＊\tぬ"),
     .sentence = "知ら,知る,2,0;ぬ,ぬ,5,0;知ら,知る,2,0;ぬ,ぬ,5,0",
     .contents = "否定０[ぬ]@4-6 否定０[ぬ]@10-12",
     .terms = "Y=知らぬ知らぬ",
     .polarity = "2/0/2",
     .bits = 0},
    {.behaviour = "AffirmationInTermXSetsItsBit",
     .rules = rule("X", "＊", "I", "主題", "＊", "入力形\t＊\t副助詞\t＊\tは") +
              rule("肯定", "＊", "-", "肯定", "＊", "入力形\t＊\t感動詞\t＊\tはい"),
     .sentence = "はい,はい,12,0;は,は,9,2;いい,いい,3,0",
     .contents = "肯定[はい]@0-4 X[は]@4-6",
     .terms = "X=はい|Y=いい",
     .polarity = "40/40/0"},
    {.behaviour = "BitWordCollectsTheBitsOfEveryContent",
     .rules = rule("発問", "＊", "-", "呼び掛け", "＊", "入力形\t＊\t感動詞\t＊\tおい") +
              rule("質問", "＊", "I", "疑問", "＊", "入力形\t＊\t終助詞\t＊\tか"),
     .sentence = "おい,おい,12,0;か,か,9,4",
     .contents = "発問[おい]@0-4 質問[か]@4-6",
     .bits = 0x9},
    {.behaviour = "PhraseOfARepresentativeWordCollapsesWithFlagA",
     .rules = rule("依頼", "＊", "IM", "依頼", "依頼;サ変名詞", "基本形\t＊\t動詞性接尾辞\t命令形\tくださる",
                   "基本形\t＊\t動詞\tタ系連用テ形\t教える"),
     .sentence = ASK,
     .contents = "依頼[教えて;ください]@0-14",
     .words = "教えてください(依頼):YIAM@1000",
     .terms = "Y=教えてください"},
    {.behaviour = "RuleFlagsAreNotedOnElementWords",
     .rules = rule("挨拶", "＊", "IVME", "挨拶", "＊", "入力形\t＊\t感動詞\t＊\tどうも"),
     .sentence = "どうも,どうも,12,0;ありがとう,ありがとう,12,0",
     .contents = "挨拶[どうも]@0-6",
     .words = "どうも:YIVME|ありがとう:Y"},
    {.behaviour = "WordSetMembersMatchInOrderWithGaps",
     .rules = rule("説明", "＊", "-", "説明依頼", "＊", "基本形集合\t＊\t＊\t＊\t教える;くださる"),
     .sentence = "教えて,教える,2,0,1,タ系連用テ形;すぐ,すぐ,8,1;ください,くださる,14,7,11,命令形",
     .contents = "説明[教えてすぐください]@0-18"},
    {.behaviour = "WordSetRejectsMembersOutOfOrder",
     .rules = rule("説明", "＊", "-", "説明依頼", "＊", "基本形集合\t＊\t＊\t＊\t教える;くださる"),
     .sentence = "ください,くださる,14,7,11,命令形;教えて,教える,2,0,1,タ系連用テ形",
     .contents = ""},
    {.behaviour = "PosSequenceMatchesAdjacentWords",
     .rules = rule("尊敬", "＊", "M", "尊敬", "＊", "品詞連続\t＊\t名詞接頭辞;普通名詞\t＊\t＊"),
     .sentence = "お,お,13,1;名前,名前,6,1",
     .contents = "尊敬[お名前]@0-6"},
    {.behaviour = "WordSequenceMatchesLaterInTheSentence",
     .rules = rule("依頼", "＊", "I", "依頼", "＊", "入力形連続\t＊\t＊\t＊\tお;願い"),
     .sentence = "よろしく,よろしく,8,1;お,お,13,1;願い,願う,2,0",
     .contents = "依頼[お願い]@8-14"},
};

class JudgementTest : public testing::TestWithParam<JudgementCase> {
protected:
    JudgementTest()
    {
        auto network = std::make_unique<test::FakeNetwork>();
        for (const char* word : {"怒る", "好む", "注意", "依頼"}) {
            network->relationTexts[word] = word;
        }
        m_scope = std::make_unique<test::ScopedNetwork>(std::move(network));
    }

private:
    std::unique_ptr<test::ScopedNetwork> m_scope;
};

TEST_P(JudgementTest, JudgesTheSentence)
{
    const JudgementCase& row = GetParam();
    MeanDictionary dictionary;
    const auto read = readRules(dictionary, judgementDefinitions() + row.rules);
    ASSERT_EQ(read.result, 0) << read.console;

    MorphemeList list = sentenceOf(row.sentence);
    const MeanEntry entry = dictionary.match("", list, row.previous);

    EXPECT_EQ(toConsole(describeContents(entry)), toConsole(row.contents));
    if (row.words) {
        EXPECT_EQ(toConsole(describeWords(list)), toConsole(*row.words));
    }
    if (row.terms) {
        EXPECT_EQ(toConsole(describeTerms(entry)), toConsole(*row.terms));
    }
    if (row.polarity) {
        EXPECT_EQ(describePolarity(entry), *row.polarity);
    }
    if (row.bits) {
        EXPECT_EQ(entry.getCodeBits(), *row.bits);
    }
    EXPECT_EQ(entry.judgementInts(), (std::array<int, 5>{-1, 0, -1, 0, 0}));
}

INSTANTIATE_TEST_SUITE_P(Rows, JudgementTest, testing::ValuesIn(JUDGEMENT_CASES),
                         [](const testing::TestParamInfo<JudgementCase>& info) { return info.param.behaviour; });

// --- Matchers on their own -----------------------------------------------------

MeanCondSpec wordGroup(int unit, std::vector<std::string> words, std::vector<int> posCodes = {0})
{
    MeanCondSpec group;
    group.unit = unit;
    group.position = "＊";
    group.posCodes = std::move(posCodes);
    group.conjugationForms = {ANY_CONJUGATION_FORM};
    for (const std::string& word : words) {
        group.words.push_back(word);
        group.wordSequences.push_back(splitString(word, ";"));
    }
    return group;
}

TEST(MeanMatcherTest, EveryMatcherRejectsAnEmptyOrOutlyingRange)
{
    MeanDictionary dictionary;
    MorphemeList list = sentenceOf("明日,明日,6,10;雨,雨,6,1");
    const MeanDictionary::JoinedSentence sentence(list.words());
    const MeanCondSpec word = wordGroup(MeanUnit::InputForm, {"雨"});
    const MeanCondSpec sequence = wordGroup(MeanUnit::InputFormSequence, {"明日;雨"});
    const MeanCondSpec set = wordGroup(MeanUnit::InputFormSet, {"明日;雨"});
    const MeanCondSpec text = wordGroup(MeanUnit::Text, {"雨"});
    const MeanCondSpec posGroup = wordGroup(MeanUnit::Pos, {"＊"}, {0x200001});
    const MeanCondSpec posSequence = [] {
        MeanCondSpec group = wordGroup(MeanUnit::PosSequence, {"＊"}, {0x200200});
        group.posSequences = {{0x200200, 0x200001}};
        return group;
    }();
    using Matcher = std::function<bool(int first, int last, int& start, int& end)>;
    const int kind = MeanDictionary::MEANING_ELEMENT;
    const int freeAnchor = MeanDictionary::FREE_ANCHOR;
    const std::pair<const char*, Matcher> matchers[] = {
        {"word",
         [&](int f, int l, int& s, int& e) {
             return dictionary.matchWordGroup(kind, freeAnchor, word, -1, sentence, f, l, s, e);
         }},
        {"sequence",
         [&](int f, int l, int& s, int& e) {
             return dictionary.matchSequence(kind, freeAnchor, sequence, -1, list.words(), f, l, s, e);
         }},
        {"sequence in text",
         [&](int f, int l, int& s, int& e) {
             return dictionary.matchSequenceInText(kind, freeAnchor, sequence, -1, sentence, f, l, s, e);
         }},
        {"set",
         [&](int f, int l, int& s, int& e) {
             return dictionary.matchWordSet(kind, freeAnchor, set, -1, sentence, f, l, s, e);
         }},
        {"text",
         [&](int f, int l, int& s, int& e) {
             return dictionary.matchSentenceText(kind, freeAnchor, text, -1, sentence, f, l, s, e);
         }},
        {"pos",
         [&](int f, int l, int& s, int& e) {
             return dictionary.matchPosGroup(kind, freeAnchor, posGroup, -1, sentence, f, l, s, e);
         }},
        {"pos sequence",
         [&](int f, int l, int& s, int& e) {
             return dictionary.matchPosGroup(kind, freeAnchor, posSequence, -1, sentence, f, l, s, e);
         }},
    };
    for (const auto& [name, matcher] : matchers) {
        int start = -7;
        int end = -7;
        // The whole sentence matches; the ranges below hold nothing to match.
        EXPECT_TRUE(matcher(0, 1, start, end)) << name;
        EXPECT_FALSE(matcher(1, 0, start, end)) << name << ": empty range";
        EXPECT_FALSE(matcher(0, -1, start, end)) << name << ": range before the first word";
        EXPECT_FALSE(matcher(2, 1, start, end)) << name << ": range after the last word";
        EXPECT_FALSE(matcher(0, 5, start, end)) << name << ": range beyond the sentence";
    }

    // Nor does any of them read an empty sentence.
    const std::vector<Morpheme> none;
    const MeanDictionary::JoinedSentence empty(none);
    int start = 0;
    int end = 0;
    EXPECT_FALSE(dictionary.matchWordGroup(kind, 0, word, -1, empty, 0, -1, start, end));
    EXPECT_FALSE(dictionary.matchSequenceInText(kind, 0, sequence, -1, empty, 0, -1, start, end));
    EXPECT_FALSE(dictionary.matchPosGroup(kind, 0, posGroup, -1, empty, 0, -1, start, end));
}

TEST(MeanMatcherTest, WordNumberNamingNoAlternativeMatchesNothing)
{
    MeanDictionary dictionary;
    MorphemeList list = sentenceOf("雨,雨,6,1");
    const MeanDictionary::JoinedSentence sentence(list.words());
    const MeanCondSpec word = wordGroup(MeanUnit::InputForm, {"雨"});
    const MeanCondSpec posGroup = wordGroup(MeanUnit::Pos, {"＊"}, {0x200001});
    int start = 0;
    int end = 0;
    EXPECT_TRUE(dictionary.matchWordGroup(1, 0, word, 0, sentence, 0, 0, start, end));
    EXPECT_FALSE(dictionary.matchWordGroup(1, 0, word, 1, sentence, 0, 0, start, end));
    EXPECT_FALSE(dictionary.matchPosGroup(1, 0, posGroup, 3, sentence, 0, 0, start, end));
}

TEST(MeanMatcherTest, BothSequenceMatchersAgree)
{
    MeanDictionary dictionary;
    MorphemeList list = sentenceOf("気,気,6,1;に,に,9,1;気,気,6,1;に,に,9,1;入る,入る,2,0");
    const MeanDictionary::JoinedSentence sentence(list.words());
    const MeanCondSpec group = wordGroup(MeanUnit::InputFormSequence, {"気;に", "気;に;入る"});
    for (int kind : {1, 2}) {
        for (int anchor : {MeanDictionary::FREE_ANCHOR, 0, 2, 4}) {
            for (int wordNumber : {-1, 0, 1}) {
                int s1 = 0, e1 = 0, s2 = 0, e2 = 0;
                const bool built = dictionary.matchSequence(kind, anchor, group, wordNumber, list.words(), 0, 4, s1, e1);
                const bool shared = dictionary.matchSequenceInText(kind, anchor, group, wordNumber, sentence, 0, 4, s2, e2);
                ASSERT_EQ(built, shared) << kind << " " << anchor << " " << wordNumber;
                if (built) {
                    EXPECT_EQ(std::make_pair(s1, e1), std::make_pair(s2, e2));
                }
            }
        }
    }
    // A free search takes the first occurrence forwards and the last backwards.
    int start = 0;
    int end = 0;
    ASSERT_TRUE(dictionary.matchSequenceInText(1, MeanDictionary::FREE_ANCHOR, group, 1, sentence, 0, 4, start, end));
    EXPECT_EQ(std::make_pair(start, end), std::make_pair(2, 4));
    ASSERT_TRUE(dictionary.matchSequenceInText(2, MeanDictionary::FREE_ANCHOR, group, 0, sentence, 0, 4, start, end));
    EXPECT_EQ(std::make_pair(start, end), std::make_pair(2, 3));
    ASSERT_TRUE(dictionary.matchSequenceInText(1, MeanDictionary::FREE_ANCHOR, group, 0, sentence, 0, 4, start, end));
    EXPECT_EQ(std::make_pair(start, end), std::make_pair(0, 1));
}

TEST(MeanMatcherTest, TextMatchesWholeWordsAtItsPosition)
{
    MeanDictionary dictionary;
    MorphemeList list = sentenceOf("よろしく,よろしく,8,1;お,お,13,1;願い,願う,2,0;します,する,2,0");
    const MeanDictionary::JoinedSentence sentence(list.words());
    MeanCondSpec group = wordGroup(MeanUnit::Text, {"お願い", "ろしく", "お願いします"});
    const int freeAnchor = MeanDictionary::FREE_ANCHOR;
    int start = 0;
    int end = 0;
    ASSERT_TRUE(dictionary.matchSentenceText(1, freeAnchor, group, 0, sentence, 0, 3, start, end));
    EXPECT_EQ(std::make_pair(start, end), std::make_pair(1, 2));
    EXPECT_FALSE(dictionary.matchSentenceText(1, freeAnchor, group, 1, sentence, 0, 3, start, end));
    EXPECT_FALSE(dictionary.matchSentenceText(1, 2, group, 0, sentence, 0, 3, start, end));  // starts at 1

    group.position = "BT";
    EXPECT_FALSE(dictionary.matchSentenceText(1, freeAnchor, group, -1, sentence, 0, 3, start, end));
    group.position = "BM";
    ASSERT_TRUE(dictionary.matchSentenceText(1, freeAnchor, group, -1, sentence, 0, 3, start, end));
    EXPECT_EQ(std::make_pair(start, end), std::make_pair(1, 3));
}

TEST(MeanMatcherTest, FeatureListAdmitsByPreviousCodes)
{
    MeanDictionary dictionary;
    struct Row {
        std::vector<int> previous;
        std::vector<int> pca;
        bool admitted;
        int code;
    };
    const Row rows[] = {
        {{-1}, {133}, true, 0},       {{}, {0}, true, 0},          {{}, {133}, false, 0},
        {{95, 133}, {133}, true, 133}, {{95}, {900}, true, 900},   {{95}, {0}, true, 0},
        {{95}, {133}, false, 0},       {{95}, {}, false, 0},
    };
    for (const Row& row : rows) {
        int code = -5;
        EXPECT_EQ(dictionary.matchFeatureList(row.previous, row.pca, code), row.admitted);
        EXPECT_EQ(code, row.code);
    }
}

TEST(MeanMatcherTest, AttributeOutsideTheNumbersMarksNothing)
{
    MeanDictionary dictionary;
    MorphemeList list = sentenceOf("走る,走る,2,0");
    for (int attribute : {0, -1, 25, 40}) {
        EXPECT_FALSE(dictionary.markPredicateAttribute(0, attribute, list.words())) << attribute;
    }
    EXPECT_FALSE(dictionary.markPredicateAttribute(1, 3, list.words()));
    EXPECT_FALSE(dictionary.markPredicateAttribute(-1, 3, list.words()));
    EXPECT_EQ(list.words()[0].getAttributeWord(), 0u);
    EXPECT_TRUE(dictionary.markPredicateAttribute(0, 24, list.words()));
    EXPECT_EQ(list.words()[0].getAttributeWord(), 0x80000000u);
}

TEST(MeanMatcherTest, EntryTextNamesTheNumberRuleOfTheWord)
{
    MeanDictionary dictionary;
    ASSERT_EQ(readRules(dictionary, judgementDefinitions() +
                                        rule("NUM", "＊", "-", "２", "＊", "入力形\t＊\t数詞\t＊\tふた") +
                                        rule("REARR", "＊", "-", "わかる", "＊", "入力形\t＊\t動詞\t基本形\t分かる"))
                  .result,
              0);
    const MorphemeList list = sentenceOf("ふた,ふた,6,7;ふた,ふた,6,1;分かる,分かる,2,0");
    EXPECT_EQ(dictionary.findEntryText(DCA_NUM, list.words()[0]), "２");
    EXPECT_EQ(dictionary.findEntryText(DCA_NUM, list.words()[1]), "ふた");    // another POS
    EXPECT_EQ(dictionary.findEntryText(DCA_REARR, list.words()[0]), "ふた");  // another code
    EXPECT_EQ(dictionary.findEntryText(DCA_REARR, list.words()[2]), "わかる");
}

TEST(MeanMatcherTest, DictionaryWithoutRulesLeavesTheWordsAsTheyWere)
{
    MeanDictionary dictionary;
    MorphemeList list = sentenceOf("雨,雨,6,1;か,か,9,4");
    list.setListNumber(7);
    const MeanEntry entry = dictionary.match("", list, ANY_PREVIOUS);
    EXPECT_TRUE(entry.getMeanContents().empty());
    EXPECT_EQ(toConsole(describeWords(list)), toConsole("雨:X|か:X"));
    EXPECT_EQ(list.getListNumber(), 0);  // the idiom pass rebuilt the list
}

}  // namespace
}  // namespace quibo
