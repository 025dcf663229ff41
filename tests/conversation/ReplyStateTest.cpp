#include "conversation/ReplyState.h"

#include "knowledge/Entity.h"
#include "knowledge/ParsedText.h"
#include "knowledge/TopicTitle.h"
#include "tests/support/Words.h"

#include <gtest/gtest.h>

namespace quibo {
namespace {

using test::makeWord;

// A list of n nouns: n counted words.
MorphemeList nouns(const std::string& stem, int n)
{
    MorphemeList words;
    for (int i = 0; i < n; ++i)
        words.push_back(makeWord(stem + std::to_string(i), pos::COMMON_NOUN));
    return words;
}

// A knowledge object whose title is one noun.
struct TitledEntity {
    explicit TitledEntity(const std::string& text)
        : title(text, MorphemeList({makeWord(text, pos::COMMON_NOUN)}), ""), entity(&title, 1)
    {
    }
    ParsedText title;
    Entity entity;
};

KeyRow row(std::initializer_list<TitledEntity*> objects)
{
    KeyRow keys;
    for (TitledEntity* object : objects)
        keys.items().push_back(&object->entity);
    return keys;
}

TEST(ReplyStateTest, ContextPiecesJoinTheNewestSentences)
{
    ReplyState state;
    state.addUtterance("A", nouns("a", 2), KeyRow());
    state.addUtterance("B", nouns("b", 3), KeyRow());
    state.addUtterance("C", nouns("c", 4), KeyRow());
    const std::vector<ContextPiece> pieces = state.getContextPieces();
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].text, "A、B、C、");
    EXPECT_EQ(pieces[0].wordCount, 9);
    EXPECT_EQ(pieces[1].text, "B、C、");
    EXPECT_EQ(pieces[1].wordCount, 7);
    EXPECT_EQ(pieces[2].text, "C、");
    EXPECT_EQ(pieces[2].wordCount, 4);
    const std::vector<MorphemeList> analysed = state.getAnalysedPieces();
    ASSERT_EQ(analysed.size(), 3u);
    EXPECT_EQ(analysed[0].size(), 9u);
    EXPECT_EQ(analysed[2].joinSurfaces(), "c0c1c2c3");

    // Eleven counted words cannot be remembered at all.
    state.addUtterance("D", nouns("d", 11), KeyRow());
    EXPECT_TRUE(state.getContextPieces().empty());
    EXPECT_TRUE(state.getRecentKeyRows().empty());
}

TEST(ReplyStateTest, KeyRowsForgetWhatTheNewWordsNoLongerSpeakOf)
{
    TitledEntity shop("店"), station("駅"), bread("パン");
    ReplyState state;
    state.addUtterance("店", nouns("店", 1), row({&shop}));
    state.addUtterance("駅", nouns("駅", 1), row({&station, &bread}));
    EXPECT_TRUE(state.hasRowObjects());

    // "駅" still speaks of the station: the shop and the bread are dropped.
    MorphemeList aboutStation;
    aboutStation.push_back(makeWord("駅", pos::COMMON_NOUN));
    state.addUtterance("駅は", aboutStation, row({}));
    std::vector<KeyRow> rows = state.getRecentKeyRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_TRUE(rows[0].empty());
    EXPECT_EQ(rows[1].items(), (std::vector<KnowledgeObject*>{&station.entity}));

    // A fourth utterance drops the oldest sentence and row; the station,
    // named again by the new row, is remembered only there.
    state.addUtterance("また駅", nouns("x", 1), row({&station}));
    rows = state.getRecentKeyRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(state.recentSentences().front().text, "駅");
    EXPECT_TRUE(rows[0].empty());
    EXPECT_EQ(rows[2].items(), (std::vector<KnowledgeObject*>{&station.entity}));
}

TEST(ReplyStateTest, ResetForgetsTheDialogueButKeepsAnEmptyContext)
{
    TitledEntity act("ＣＡ発話");
    TopicTitle group(nullptr, &act.entity);
    ReplyState state;
    state.addId(7);
    state.addId(7);
    EXPECT_EQ(state.usedIds(), (std::vector<std::int32_t>{7}));

    CaUtterance utterance;
    utterance.sourceGroup = &group;
    utterance.itemType = CaUtterance::FROM_HISTORY;
    utterance.candidateId = 3;
    utterance.expressionIds = {94};
    state.setCurrentReply(utterance, "", nullptr);
    EXPECT_TRUE(state.hasId(3));
    state.getReplyContext()->setWordClass(2);
    state.setCurrentReply(utterance, "", nullptr);
    EXPECT_EQ(state.getReplyContext()->getWordClass(), 2);  // a CA group keeps the class
    state.rememberChoice(&group, 100, 1);
    state.addUtterance("A", nouns("a", 2), KeyRow());
    state.setRecentKeys(std::vector<KeyWordInfo>(2));

    state.reset(nullptr);
    EXPECT_TRUE(state.getRecentKeys().empty());
    EXPECT_TRUE(state.usedIds().empty());
    EXPECT_TRUE(state.choices().empty());
    EXPECT_TRUE(state.getContextPieces().empty());
    ASSERT_NE(state.getReplyContext(), nullptr);
    EXPECT_TRUE(state.getReplyContext()->getIdList().empty());
    EXPECT_EQ(state.getReplyContext()->getWordClass(), 0);
    EXPECT_EQ(state.getReplyContext()->getSource(), nullptr);
}

}  // namespace
}  // namespace quibo
