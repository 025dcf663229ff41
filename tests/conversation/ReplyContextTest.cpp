#include "conversation/ReplyContext.h"

#include "knowledge/Entity.h"
#include "knowledge/ParsedText.h"
#include "knowledge/ReplyTable.h"
#include "knowledge/Topic.h"
#include "knowledge/TopicTitle.h"
#include "tests/support/InstalledAnalyzer.h"
#include "tests/support/Words.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quibo {
namespace {

TEST(ReplyContextTest, ContextKindComesFromFlagsThenTheSourceGroup)
{
    // A topic whose 'i' group has type 64 and whose 'n' group has type 256.
    ReplyTable table;
    table.groups()['i'].setKind(1);
    table.groups()['n'].setKind(2);
    Topic topic;
    topic.setReplyTable(&table);
    topic.setReplyKinds(0x2 | 0x40);
    TopicTitle source(&topic, nullptr);

    const struct {
        std::uint32_t flagWord;
        std::int32_t form;
        std::int32_t kind;
    } cases[] = {{0x1, 'i', 2}, {0x80, 'n', 2}, {0x2, 'i', 4}, {0x0, 'i', 1}, {0x0, 'n', 8}, {0x0, 'd', 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.form);
        CaUtterance utterance;
        utterance.recordFlagWord = c.flagWord;
        utterance.sourceGroup = &source;
        utterance.sentenceForm = c.form;
        EXPECT_EQ(ReplyContext(utterance, "", nullptr, 3).getContextKind(), c.kind);
    }
}

TEST(ReplyContextTest, OnlyConversationActGroupsKeepTheWordClass)
{
    ParsedText actTitle("ＣＡ発話", MorphemeList(), "");
    ParsedText placeTitle("住所", MorphemeList(), "");
    Entity act(&actTitle, 4);
    Entity place(&placeTitle, 1);
    TopicTitle actGroup(nullptr, &act);
    TopicTitle placeGroup(nullptr, &place);
    CaUtterance utterance;
    utterance.sourceGroup = &actGroup;
    EXPECT_EQ(ReplyContext(utterance, "", nullptr, 3).getWordClass(), 3);
    utterance.sourceGroup = &placeGroup;
    utterance.utterance.setTitleRef(&actGroup);  // a title pointer, never read as a class
    EXPECT_EQ(ReplyContext(utterance, "", nullptr, 3).getWordClass(), 0);
    utterance.sourceGroup = nullptr;
    EXPECT_EQ(ReplyContext(utterance, "", nullptr, 3).getWordClass(), 0);
}

class AnalysedReplyContextTest : public test::InstalledAnalyzerTest {};

TEST_F(AnalysedReplyContextTest, TheReplyTextIsJudgedForTheNextTurn)
{
    CaUtterance utterance;
    utterance.visitorText = "営業時間は？";
    const ReplyContext context(utterance, "営業時間を教えてください", nullptr, 0);
    EXPECT_EQ(context.getText(), "営業時間は？");
    EXPECT_EQ(context.getItemWords().joinSurfaces(), "営業時間を教えてください");
    std::vector<int> codes;
    for (const MeanContent& content : context.getItemList())
        codes.push_back(content.dcaCode);
    EXPECT_NE(std::find(codes.begin(), codes.end(), 140), codes.end());  // 説明: 教える + くださる

    // Of a question's four contents, the active ones are the two 質問 of
    // "何…ですか" (a question that asks what, not whether) and of "？".
    const ReplyContext question(utterance, "営業時間は何時ですか？", nullptr, 0);
    std::vector<int> active;
    for (const MeanContent& content : question.getActiveItems())
        active.push_back(content.dcaCode);
    EXPECT_EQ(question.getItemList().size(), 4u);
    EXPECT_EQ(active, (std::vector<int>{133, 133}));
}

}  // namespace
}  // namespace quibo
