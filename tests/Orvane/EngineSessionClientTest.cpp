#include "Orvane/EngineSessionClient.h"

#include "conversation/SessionLog.h"
#include "tests/support/ControlShell.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace quibo::orvane {
namespace {

using platform::Message;
using platform::MessageQueue;

// The dialog's side of the messages: what arrived, with posted reply texts
// taken over and freed.
class Receiver : public platform::WindowProcedure {
public:
    platform::LResult handleMessage(const Message& message) override
    {
        ids.push_back(message.id);
        if (message.id == EngineSessionClient::MSG_REPLY) {
            char* text = reinterpret_cast<char*>(message.wParam);
            replies.emplace_back(text);
            delete[] text;
        }
        return 0;
    }
    void discardMessage(const Message& message) override
    {
        if (message.id == EngineSessionClient::MSG_REPLY) {
            delete[] reinterpret_cast<char*>(message.wParam);
        }
    }

    std::vector<unsigned> ids;
    std::vector<std::string> replies;
};

class EngineSessionClientTest : public test::ControlShellTest {
protected:
    void SetUp() override { m_window = queue().createWindow(m_receiver); }
    void TearDown() override { queue().destroyWindow(m_window); }

    static MessageQueue& queue() { return MessageQueue::forThisThread(); }
    void deliver()
    {
        while (const auto message = queue().peekMessage(m_window)) {
            queue().dispatchMessage(*message);
        }
    }
    int open(const std::string& file)
    {
        return m_client.open(m_window, 5, file, test::rcPathIn(m_tree.root()), "", "", "0112233444");
    }

    Receiver m_receiver;
    platform::WindowHandle m_window = platform::NO_WINDOW;
    EngineSessionClient m_client;
};

TEST_F(EngineSessionClientTest, ASessionOverTheSampleBase)
{
    ASSERT_EQ(open(m_sample), 0);
    EXPECT_EQ(m_client.key(), "0112233444:;" + m_sample);
    // Nothing reaches the dialog until its queue is pumped.
    m_client.start();
    EXPECT_TRUE(m_receiver.ids.empty());
    deliver();
    EXPECT_EQ(m_receiver.ids, std::vector<unsigned>{EngineSessionClient::MSG_STARTED});
    // An empty start id names no title: the fetch is refused and its
    // output stays empty.
    EXPECT_EQ(m_client.fetchOutput(), "");

    std::string greeting;
    EXPECT_EQ(m_client.greeting(greeting), 0);
    EXPECT_EQ(greeting, test::firstSampleGreeting());

    // The reply text and the extension text, joined by 0x1F.
    m_client.ask(test::sjis(u8"営業時間を教えてください"));
    // Questions that come out empty or too long are not asked at all.
    m_client.ask(test::sjis(u8"  \t　\x01"));
    m_client.ask(std::string(1025, '\xA0'));
    deliver();
    EXPECT_EQ(m_receiver.replies, std::vector<std::string>{test::sjis(u8"平日の営業時間は午前７時から午後７時までです。土曜日と日曜日の営業時間もお知らせしましょうか？\x1F表情,普通")});

    m_client.close(1);
    deliver();
    EXPECT_EQ(m_receiver.ids.back(), EngineSessionClient::MSG_CLOSED);
}

TEST_F(EngineSessionClientTest, ABaseWithoutGreetingsGreetsWithALoneSeparator)
{
    char path[] = "/tmp/quibo-small-XXXXXX.pdata";
    const int fd = mkstemps(path, 6);
    ASSERT_GE(fd, 0);
    close(fd);
    std::ofstream(path, std::ios::binary) << test::fileBytes(*test::compileSmall());
    ASSERT_EQ(open(path), 0);
    std::string greeting;
    m_client.greeting(greeting);
    EXPECT_EQ(greeting, "\x1F");
    m_client.close(0);
    std::remove(path);
}

TEST_F(EngineSessionClientTest, ModeFourFetchesAfterEachQuestion)
{
    ASSERT_EQ(m_client.open(m_window, EngineSessionClient::MODE_FETCH_AFTER_ASK, m_sample,
                            test::rcPathIn(m_tree.root()), "", "", "0112233444"),
              0);
    m_client.start();
    m_client.ask(test::sjis(u8"営業時間を教えてください"));
    deliver();
    EXPECT_EQ(m_receiver.replies.size(), 1u);
    EXPECT_EQ(m_receiver.replies[0].rfind(test::sjis(u8"平日の営業時間は"), 0), 0u);
    // Each fetch asks the start text (empty): one at the start, one after
    // the question.
    std::vector<std::string> asked;
    for (const UtteranceRecord& record : SessionLogRegistry::get(m_client.key(), "", "", "")->utterances()) {
        asked.push_back(record.inSent());
    }
    EXPECT_EQ(asked, (std::vector<std::string>{"", "営業時間を教えてください", ""}));
    m_client.close(0);
}

// An open that fails says so: the client gives its use of the engine back
// (the next open builds the engine anew) and keeps the engine's reason.
TEST_F(EngineSessionClientTest, AConversationThatCannotBeOpenedFailsTheOpenWithTheReason)
{
    const std::string missing = m_tree.root() + "missing.pdata";
    EXPECT_EQ(open(missing), -2);
    EXPECT_EQ(m_client.failure(), "the knowledge file " + missing + " cannot be read");
    const std::size_t services = m_random.seeds().size();
    ASSERT_EQ(open(m_sample), 0);
    EXPECT_EQ(m_random.seeds().size(), services + 1);
    EXPECT_EQ(m_client.failure(), "");
    m_client.close(0);
}

TEST_F(EngineSessionClientTest, AReplyForAWindowThatIsGoneIsFreed)
{
    ASSERT_EQ(open(m_sample), 0);
    queue().destroyWindow(m_window);
    m_client.ask(test::sjis(u8"こんにちは"));
    m_client.close(1);
    EXPECT_FALSE(queue().peekMessage());
}

}  // namespace
}  // namespace quibo::orvane
