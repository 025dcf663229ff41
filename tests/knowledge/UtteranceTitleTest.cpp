#include "knowledge/CDictionary.h"
#include "knowledge/Entity.h"
#include "knowledge/Topic.h"
#include "knowledge/TopicTitle.h"
#include "meaning/MeanEntry.h"
#include "tests/support/Words.h"

#include <gtest/gtest.h>

namespace quibo {
namespace {

using test::keyForms;
using test::makeList;
using test::makeWord;

constexpr std::uint32_t X = Morpheme::FLAG_X;
constexpr std::uint32_t Y = Morpheme::FLAG_Y;
constexpr std::uint32_t U = Morpheme::FLAG_U;
constexpr std::uint32_t I = Morpheme::FLAG_I;

std::string utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

const std::string UNKNOWN_WORDS_AFTER = "が認識できませんでした。ユーザー辞書に登録するか表現を変えてください。: ";
const std::string NOT_SEARCHABLE = "システムで認識できないユーザー発話の可能性があります: ";
const std::string NO_CONTENT_WORD = "自立語(名詞や動詞)がありません: ";

class UtteranceTitleTest : public testing::Test {
protected:
    // Builds the utterance's title, capturing the console.
    TopicTitle* build(const std::string& text, const MorphemeList& words, const MeanEntry* judgement = nullptr)
    {
        testing::internal::CaptureStdout();
        TopicTitle* title = m_topic.buildUtteranceTitle(text, m_message, words, m_dictionary, judgement);
        m_console = testing::internal::GetCapturedStdout();
        return title;
    }

    CDictionary m_dictionary;
    Topic m_topic;
    std::string m_message = "untouched";
    std::string m_console;
};

TEST_F(UtteranceTitleTest, NoWordsNoTitleAndTheMessageIsLeftAlone)
{
    EXPECT_EQ(build("", MorphemeList()), nullptr);
    EXPECT_EQ(m_message, "untouched");
    EXPECT_EQ(m_topic.titleCount(), 0);
}

TEST_F(UtteranceTitleTest, HeadWordsFillTheSlotsAndTheJudgementTheBytes)
{
    MorphemeList words = makeList({makeWord("店", pos::COMMON_NOUN, X), makeWord("を", pos::PARTICLE, X),
                                   makeWord("店", pos::COMMON_NOUN, X), makeWord("開く", pos::VERB, Y)});
    words.setListNumber(2);
    MeanEntry judgement;
    judgement.setPolarities(0x41, 0x02, 0x83);
    judgement.setCodeBits(0x10);
    TopicTitle* title = build("店を開く", words, &judgement);
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(m_message, "");
    EXPECT_EQ(m_console, "");
    EXPECT_EQ(title->getOwner(), &m_topic);
    EXPECT_EQ(m_topic.titles().titles().back(), title);
    EXPECT_EQ(title->getType(), topic_title_type::X_Y_N);
    EXPECT_EQ(keyForms(title->getWords()), "店 を 店 開く");
    EXPECT_EQ(keyForms(title->getXWords()), "店");
    EXPECT_EQ(keyForms(title->getSWords()), "店");
    EXPECT_EQ(keyForms(title->getYWords()), "開く");
    EXPECT_EQ(keyForms(title->getOWords()), "開く");
    EXPECT_TRUE(title->getAWords().empty());
    EXPECT_EQ(title->sourceText(), "店を開く");
    EXPECT_TRUE(title->isSearchAble());
    EXPECT_TRUE(title->isComplete());
    EXPECT_TRUE(title->isCompleteImi());
    EXPECT_EQ(title->getPolarity1(), 0x41);
    EXPECT_EQ(title->getPolarity2(), 0x02);
    EXPECT_EQ(title->getPolarity3(), 0x83);
    EXPECT_EQ(title->getDcaBits(), 0x10);
    EXPECT_EQ(title->getDerivation(), 2);
    EXPECT_TRUE(title->getCentres().empty());
}

TEST_F(UtteranceTitleTest, WithoutHeadMarksTheLastContentWordChoosesTheSlot)
{
    struct Case {
        const char* what;
        MorphemeList words;
        int type;
        std::string x;
        std::string y;
    };
    const Case cases[] = {
        {"last content word a noun", makeList({makeWord("駅", pos::COMMON_NOUN), makeWord("の", pos::PARTICLE),
                                               makeWord("店", pos::COMMON_NOUN), makeWord("駅", pos::COMMON_NOUN)}),
         topic_title_type::X_A_N, "駅 店", ""},
        {"last content word a verb",
         makeList({makeWord("店", pos::COMMON_NOUN), makeWord("開く", pos::VERB), makeWord("か", pos::PARTICLE)}),
         topic_title_type::A_Y_N, "", "開く 店"},
        {"a word of both head classes counts as X",
         makeList({makeWord("店", pos::COMMON_NOUN, Y), makeWord("開く", pos::VERB, Y | X)}), topic_title_type::X_Y_N,
         "開く", "店"},
    };
    // The slots hold the distinct content words in key-form order.
    for (const Case& c : cases) {
        TopicTitle* title = build("text", c.words);
        ASSERT_NE(title, nullptr) << c.what;
        EXPECT_EQ(title->getType(), c.type) << c.what;
        EXPECT_EQ(keyForms(title->getXWords()), c.x) << c.what;
        EXPECT_EQ(keyForms(title->getYWords()), c.y) << c.what;
    }
}

TEST_F(UtteranceTitleTest, ASentenceWithoutContentWordsGivesAnEmptyUnsearchableTitle)
{
    TopicTitle* title = build("ね", makeList({makeWord("ね", pos::PARTICLE), makeWord("よ", pos::PARTICLE)}));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->getType(), topic_title_type::X_A_N);
    EXPECT_TRUE(title->getXWords().empty());
    EXPECT_TRUE(title->getYWords().empty());
    EXPECT_FALSE(title->isSearchAble());
    EXPECT_EQ(m_message, NO_CONTENT_WORD);
    EXPECT_NE(m_console.find(utf8(u8"No JIRITSU-GO:ねよ\n")), std::string::npos);
}

TEST_F(UtteranceTitleTest, UnrecognisedWordsAreReportedOncePerDictionary)
{
    const MorphemeList first = makeList({makeWord("ポポロン", pos::UNKNOWN_KATAKANA, X | U),
                                         makeWord("ザザ", pos::PROPER_NOUN, X), makeWord("店", pos::COMMON_NOUN, X)});
    build("ポポロンとザザの店", first);
    EXPECT_EQ(m_message, "単語<ポポロン,ザザ>" + UNKNOWN_WORDS_AFTER);
    EXPECT_NE(m_console.find(utf8(u8"未知語:カタカナ\tポポロン\n")), std::string::npos) << m_console;
    EXPECT_NE(m_console.find(utf8(u8"未知語:固有名詞\tザザ\n")), std::string::npos) << m_console;
    EXPECT_EQ(m_dictionary.reportedWords().size(), 2u);

    // The same words again: no report; the searchable test still speaks.
    build("ポポロンの店", makeList({makeWord("ポポロン", pos::UNKNOWN_KATAKANA, X | U), makeWord("店", pos::COMMON_NOUN, X | I)}));
    EXPECT_EQ(m_message, NOT_SEARCHABLE);
    EXPECT_EQ(m_console.find(utf8(u8"未知語:")), std::string::npos) << m_console;
    EXPECT_NE(m_console.find(utf8(u8"検索否:ポポロンの店\t")), std::string::npos) << m_console;
    EXPECT_FALSE(m_topic.titles().titles().back()->isSearchAble());

    // Known kinds of words are never reported: a single kana byte, an
    // adverb, an unknown alphabet run that is a proper noun.
    Morpheme singleByte = makeWord("\xA4", pos::UNDEFINED, U);
    build("x", makeList({singleByte, makeWord("ゆっくり", pos::ADVERB, U), makeWord("ＡＢ", pos::UNKNOWN_ALPHABET, X),
                         makeWord("店", pos::COMMON_NOUN, X)}));
    EXPECT_EQ(m_message, "");
    EXPECT_EQ(m_dictionary.reportedWords().size(), 2u);
}

TEST_F(UtteranceTitleTest, TheCMarkWordJoinsItsSlotAndStopsTheSearch)
{
    TopicTitle* title = build("店＿Ｃ＿", makeList({makeWord("店", pos::COMMON_NOUN, X), makeWord("＿Ｃ＿", pos::SPECIAL, X),
                                                  makeWord("＿Ｃ＿", pos::SPECIAL, X)}));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(keyForms(title->getXWords()), "店 ＿Ｃ＿");
    EXPECT_FALSE(title->isSearchAble());
    EXPECT_EQ(m_message, "");
}

TEST_F(UtteranceTitleTest, FiveContentWordsAreNoLongerComplete)
{
    TopicTitle* title = build("t", makeList({makeWord("一", pos::COMMON_NOUN, X), makeWord("二", pos::COMMON_NOUN, X),
                                             makeWord("三", pos::COMMON_NOUN, X), makeWord("四", pos::COMMON_NOUN, X | I),
                                             makeWord("五", pos::VERB, Y)}));
    ASSERT_NE(title, nullptr);
    EXPECT_FALSE(title->isComplete());
    EXPECT_TRUE(title->isCompleteImi());
}

TEST(TopicTitleBuilderTest, SlotTitlesAreOwnedByTheTopicAndRemovedInOrder)
{
    CDictionary dictionary;
    MorphemeList name = makeList({makeWord("店", pos::COMMON_NOUN)});
    Entity* shop = dictionary.addEntity("店", std::make_unique<Entity>(dictionary.putParsedText("店", name, "店"), 1));
    Topic topic;
    const MorphemeList x = makeList({makeWord("店", pos::COMMON_NOUN, X)});
    const MorphemeList y = makeList({makeWord("開く", pos::VERB, Y)});
    const MorphemeList a = makeList({makeWord("朝", pos::COMMON_NOUN)});
    TopicTitle* soa = topic.addSoaTitle(shop, x, y, a);
    TopicTitle* xaa = topic.addXaaTitle(nullptr, "店です", x);
    TopicTitle* last = topic.addXaaTitle(nullptr, "最後", y);
    EXPECT_EQ(soa->getType(), topic_title_type::S_O_A);
    EXPECT_EQ(soa->slotText(1) + soa->slotText(2) + soa->slotText(3), "店開く朝");
    EXPECT_EQ(keyForms(soa->getSWords()) + "/" + keyForms(soa->getOWords()), "店/開く");
    EXPECT_EQ(soa->getCentres().front(), shop);
    EXPECT_EQ(xaa->getType(), topic_title_type::X_A_A);
    EXPECT_EQ(xaa->slotText(1) + xaa->slotText(2) + xaa->slotText(3), "店＊＊");
    EXPECT_EQ(keyForms(xaa->getWords()) + "/" + keyForms(xaa->getSWords()), "店/店");
    EXPECT_EQ(xaa->sourceText(), "店です");

    // Without the last lists, the builders take the shared empty list.
    TopicTitle* bare = topic.addSoaTitle(nullptr, x, y);
    EXPECT_EQ(bare->slotText(3), "");
    EXPECT_TRUE(topic.addXaaTitle(nullptr, "空")->getWords().empty());
    topic.removeLastTitle();
    topic.removeLastTitle();

    topic.removeTitle(xaa);
    ASSERT_EQ(topic.titleCount(), 2);
    EXPECT_EQ(topic.titles().titles()[0], soa);
    EXPECT_EQ(topic.titles().titles()[1], last);
    topic.removeTitle(xaa);  // absent: nothing happens
    EXPECT_EQ(topic.titleCount(), 2);
}

}  // namespace
}  // namespace quibo
