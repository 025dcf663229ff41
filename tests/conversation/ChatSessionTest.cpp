#include "conversation/ChatSession.h"

#include <gtest/gtest.h>

namespace quibo {
namespace {

TEST(ChatSessionTest, ANewConversationHoldsNoTurn)
{
    ChatSession session("key", "name", nullptr);
    EXPECT_EQ(session.getKey(), "key");
    const TurnRequest& request = session.getRequest();
    EXPECT_EQ(request.status(), 0);
    EXPECT_TRUE(request.candidates().empty());
    EXPECT_GE(request.candidates().candidates().capacity(), TurnRequest::CANDIDATE_ROOM);
    EXPECT_EQ(request.manyCandidates(), 0);
    TurnReply& reply = session.getTurnReply();
    EXPECT_EQ(reply.matchCode(), 'z');
    EXPECT_EQ(reply.focus(), nullptr);
    EXPECT_EQ(reply.getExtensionText(), "");
    EXPECT_EQ(session.getHistory().currentKind(), 0);
    EXPECT_EQ(session.getReplyState().getReplyContext(), nullptr);

    // A tie of the last question is not the next one's.
    TurnRequest& next = session.getRequest();
    next.setManyCandidates(1);
    next.reset();
    EXPECT_EQ(next.manyCandidates(), 0);

    reply.setReplyText("一");
    reply.rollOver();
    reply.rollOver();
    EXPECT_EQ(reply.getReplyText(), "");
    EXPECT_EQ(reply.previousReplyText(), "");
}

TEST(ChatSessionTest, StartTitlesAreHandedOutAsSmallHandles)
{
    ChatSession session("key", "name", nullptr);
    int a = 0, b = 0;  // stand-ins: handles never dereference their titles
    TopicTitle* first = reinterpret_cast<TopicTitle*>(&a);
    TopicTitle* second = reinterpret_cast<TopicTitle*>(&b);
    EXPECT_EQ(session.startTitleHandle(nullptr), 0);
    EXPECT_EQ(session.startTitleHandle(first), 1);
    EXPECT_EQ(session.startTitleHandle(second), 2);
    EXPECT_EQ(session.startTitleHandle(first), 1);
    EXPECT_EQ(session.startTitle(2), second);
    for (int unknown : {0, 3, -1, 0x7FFFFFFF})
        EXPECT_EQ(session.startTitle(unknown), nullptr) << unknown;
}

}  // namespace
}  // namespace quibo
