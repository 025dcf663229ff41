#include "conversation/DialogueHistory.h"

#include "conversation/ReplyState.h"
#include "knowledge/KnowledgeFile.h"
#include "knowledge/TopicTitle.h"
#include "tests/support/KnowledgeSamples.h"

#include <gtest/gtest.h>

namespace quibo {
namespace {

std::vector<ReplyRecord> recordsFor(TopicTitle* target, std::int32_t matchCode, std::int32_t groupType)
{
    ReplyRecord record;
    ReplyUnit unit;
    unit.target = target;
    unit.matchCode = matchCode;
    unit.groupType = groupType;
    record.units.push_back(unit);
    return {record};
}

std::vector<std::int32_t> kinds(const DialogueHistory& history)
{
    return {history.kindWords().begin(), history.kindWords().end()};
}

template <class Entry>
std::vector<TopicTitle*> targets(const HistoryStack<Entry>& part)
{
    std::vector<TopicTitle*> found;
    for (const Entry& entry : part.entries())
        found.push_back(entry.target);
    return found;
}

// A reply state whose last reply named the given expression ids.
void replyWithIds(ReplyState& state, std::vector<std::int32_t> ids)
{
    CaUtterance utterance;
    utterance.expressionIds = std::move(ids);
    state.setCurrentReply(utterance, "", nullptr);
}

class DialogueHistoryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(loadKnowledgeFile(dictionary, test::sampleKnowledgePath()), 0);
        address = titleWithId("住所");
        hours = titleWithId("営業時間");
        closed = titleWithId("定休日");
    }
    TopicTitle* titleWithId(const std::string& id) const
    {
        auto found = dictionary.idMap().find(id);
        return found == dictionary.idMap().end() ? nullptr : found->second;
    }

    CDictionary dictionary;
    TopicTitle* address = nullptr;  // 'd': one reply
    TopicTitle* hours = nullptr;    // 'd': one reply; 'i': 営業時間表_0, _1; 'n': one reply leading to 定休日
    TopicTitle* closed = nullptr;
    DialogueHistory history;
    ReplyState state;
    std::vector<TopicRecord> loaded;
};

// One conversation over five turns, its stacks worked out by hand.
TEST_F(DialogueHistoryTest, FiveTurnsOfOneConversation)
{
    ASSERT_TRUE(address && hours && closed);

    // 1. A reply of group type 128 opens a state of kind 2 for 住所: the
    // first state of all, so the record is marked.
    std::vector<ReplyRecord> replies = recordsFor(address, 'd', 128);
    EXPECT_EQ(history.update(replies, state, 0), 2);
    EXPECT_EQ(kinds(history), (std::vector<std::int32_t>{2}));
    EXPECT_EQ(targets(history.partA()), (std::vector<TopicTitle*>{address}));
    EXPECT_EQ(replies[0].replyFlags, ReplyRecord::FLAG_FIRST_STATE);
    history.loadTopicRecords(loaded);
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0].firstNumber, 0x10000000);
    EXPECT_EQ(loaded[0].source, address);

    // 2. An indexed group (64) after a reply that named id 1: of 営業時間's two
    // indexed replies only 営業時間表_1 stays, in a state of kind 1 on top.
    // Taking that last reply closes the state and its kind word.
    replyWithIds(state, {1});
    replies = recordsFor(hours, 'i', 64);
    EXPECT_EQ(history.update(replies, state, 0), 1);
    EXPECT_EQ(kinds(history), (std::vector<std::int32_t>{2, 1}));
    EXPECT_EQ(history.partA().replyCount(), 1);
    EXPECT_EQ(replies[0].replyFlags, 0u);  // not the only state
    const TopicRecord taken = history.lookUp(0);
    EXPECT_EQ(taken.firstNumber, 0x10000000);
    EXPECT_EQ(taken.entry.text(), "営業時間表_1");
    EXPECT_EQ(kinds(history), (std::vector<std::int32_t>{2}));
    EXPECT_EQ(targets(history.partA()), (std::vector<TopicTitle*>{address}));

    // 3. Group type 256 opens a state of kind 16 in part B; the position 3
    // is held to the one 'n' reply, which leads to 定休日.  Entering family
    // 0x30 from 0x7 closes nothing: 住所 stays in part A.
    replies = recordsFor(hours, 'n', 256);
    EXPECT_EQ(history.update(replies, state, 3), 16);
    EXPECT_EQ(kinds(history), (std::vector<std::int32_t>{2, 16}));
    EXPECT_EQ(targets(history.partA()), (std::vector<TopicTitle*>{address}));
    EXPECT_EQ(history.partB().newestValue(), 0);
    EXPECT_EQ(history.partB().singleTarget(), hours);
    history.loadTopicRecords(loaded);
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0].firstNumber, 0x20000000);
    EXPECT_EQ(loaded[0].focus, closed);
    ASSERT_TRUE(loaded[0].entry.label());
    EXPECT_EQ(*loaded[0].entry.label(), "かしこまりました。なお、毎週水曜日は定休日です。");

    // 4. 住所 again: its state and kind word return to the top; leaving
    // family 0x30 for 0x7 closes the state of kind 16 below it, so the one
    // kind word left marks the record as the first state.
    replies = recordsFor(address, 'd', 128);
    EXPECT_EQ(history.update(replies, state, 0), 2);
    EXPECT_EQ(kinds(history), (std::vector<std::int32_t>{2}));
    EXPECT_TRUE(history.partB().entries().empty());
    EXPECT_EQ(targets(history.partA()), (std::vector<TopicTitle*>{address}));
    EXPECT_EQ(replies[0].replyFlags, ReplyRecord::FLAG_FIRST_STATE);
    // Families 0x100 and 0x1000 hold no state: closing theirs answers stack
    // C's size (0) and "no part" (-1); a depth past the kind words keeps them.
    EXPECT_EQ(history.rewind(DialogueHistory::FAMILY_C, 0, 1), 0);
    EXPECT_EQ(history.rewind(DialogueHistory::FAMILY_D, 0, 1), -1);
    EXPECT_EQ(history.partD().count(), 0);
    EXPECT_EQ(kinds(history), (std::vector<std::int32_t>{2}));

    // 5. A record with flag word 1 records nothing; the reset command then
    // rewinds the newest state, and nothing is left to load or look up.
    replies = recordsFor(closed, 'd', 128);
    replies[0].flagWord = 1;
    EXPECT_EQ(history.update(replies, state, 0), DialogueHistory::NOTHING_RECORDED);
    EXPECT_EQ(kinds(history), (std::vector<std::int32_t>{2}));
    EXPECT_EQ(targets(history.partA()), (std::vector<TopicTitle*>{address}));
    EXPECT_EQ(history.rewind(0, 0, 0), 0);
    EXPECT_EQ(history.currentKind(), 0);
    EXPECT_TRUE(history.partA().entries().empty());
    EXPECT_EQ(history.lookUp(0).firstNumber, 0);
    EXPECT_EQ(history.rewind(0, 0, 0), -1);
}

// Nothing opens a state of part C: its operations answer as for none.
TEST(HistoryPartCTest, EmptyStackAnswersNone)
{
    HistoryPartC part;
    std::vector<TopicRecord> records(1);
    EXPECT_EQ(part.lookUp(0).firstNumber, 0);
    EXPECT_EQ(part.replyCount(), 0);
    EXPECT_EQ(part.removeAt(0), 0);
    EXPECT_EQ(part.moveToTop(nullptr), -1);
    part.load(records);
    EXPECT_TRUE(records.empty());
}

// A scenario named again while its state is open starts over at the step
// asked for, with the titles that step leads to; it opens no second state.
TEST_F(DialogueHistoryTest, AScenarioNamedAgainStartsOver)
{
    TopicTitle* bread = titleWithId("食パン予約");  // three steps, each leading back to the title
    ASSERT_NE(bread, nullptr);
    std::vector<ReplyRecord> replies = recordsFor(bread, 'd', 256);
    EXPECT_EQ(history.update(replies, state, 2), 16);
    EXPECT_EQ(history.partB().newestValue(), 2);
    EXPECT_EQ(history.partB().lookUp(0).focus, bread);
    EXPECT_EQ(history.partB().replyCount(), 0);

    EXPECT_EQ(history.update(replies, state, 0), 16);
    EXPECT_EQ(kinds(history), (std::vector<std::int32_t>{16}));
    EXPECT_EQ(history.partB().entries().size(), 1u);
    EXPECT_EQ(history.partB().newestValue(), 0);
    EXPECT_EQ(history.partB().replyCount(), 1);

    // Taking the step the state holds closes the scenario.
    EXPECT_EQ(history.lookUp(0).focus, bread);
    EXPECT_TRUE(kinds(history).empty());
    EXPECT_TRUE(history.partB().entries().empty());
}

TEST_F(DialogueHistoryTest, IndexedGroupWithoutNamedRepliesOpensWhole)
{
    // No reply context: no id names a reply, so the group opens as kind 2
    // with both replies.
    std::vector<ReplyRecord> replies = recordsFor(hours, 'i', 64);
    EXPECT_EQ(history.update(replies, state, 0), 2);
    EXPECT_EQ(kinds(history), (std::vector<std::int32_t>{2}));
    EXPECT_EQ(history.partA().replyCount(), 2);

    replies = recordsFor(hours, 'd', 1000);  // no such group type
    EXPECT_EQ(history.update(replies, state, 0), DialogueHistory::NOTHING_RECORDED);
    EXPECT_EQ(history.partA().entries().size(), 1u);
}

TEST_F(DialogueHistoryTest, ResetClosesOnlyWhatLinesUpWithItsKindWords)
{
    std::vector<ReplyRecord> replies = recordsFor(address, 'd', 32);
    ASSERT_EQ(history.update(replies, state, 0), 4);
    replyWithIds(state, {0});
    replies = recordsFor(hours, 'i', 64);
    ASSERT_EQ(history.update(replies, state, 0), 1);
    ASSERT_EQ(kinds(history), (std::vector<std::int32_t>{4, 1}));

    // rewind(1, 0, 0) closes the newest; rewind(4, 1, 1) then reaches past
    // the one state and the one kind word left.
    history.reset();
    EXPECT_EQ(kinds(history), (std::vector<std::int32_t>{4}));
    EXPECT_EQ(targets(history.partA()), (std::vector<TopicTitle*>{address}));
}

TEST_F(DialogueHistoryTest, StaleDepthsAndPositionsChangeNothing)
{
    std::vector<ReplyRecord> replies = recordsFor(hours, 'i', 128);
    ASSERT_EQ(history.update(replies, state, 0), 2);
    for (std::int32_t index : {-1, 2, 0x10000000}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(history.lookUp(index).firstNumber, 0);
        EXPECT_EQ(history.removeKindAt(index), 1);
        EXPECT_EQ(history.rewind(2, index, index), 1);
    }
    history.reactivate(0xf, 5);
    EXPECT_EQ(kinds(history), (std::vector<std::int32_t>{2}));
    EXPECT_EQ(history.partA().replyCount(), 2);

    // A title without replies opens no state of kind 16, nor its kind word.
    TopicTitle bare(nullptr, nullptr);
    replies = recordsFor(&bare, 'd', 256);
    EXPECT_EQ(history.update(replies, state, 0), DialogueHistory::NOTHING_RECORDED);
    EXPECT_EQ(kinds(history), (std::vector<std::int32_t>{2}));
    EXPECT_EQ(history.removeKindAt(0), 0);
}

}  // namespace
}  // namespace quibo
