#include "Orvane/ChatBridgeDialog.h"

#include "tests/support/ControlShell.h"
#include "tests/support/ScopedTimeZone.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace quibo::orvane {
namespace {

using platform::MessageQueue;
using platform::Rect;
using test::sjis;

class Parent : public platform::WindowProcedure {
public:
    platform::LResult handleMessage(const platform::Message&) override { return 0; }
};

class ChatBridgeDialogTest : public test::ControlShellTest {
protected:
    void SetUp() override
    {
        m_parent = queue().createWindow(m_parentProcedure);
        ASSERT_TRUE(m_dialog.create(m_parent));
    }
    void TearDown() override { queue().destroyWindow(m_parent); }

    static MessageQueue& queue() { return MessageQueue::forThisThread(); }
    void ask(const std::string& question)
    {
        queue().sendMessage(m_dialog.window(), ChatBridgeDialog::MSG_QUESTION,
                            reinterpret_cast<platform::WParam>(question.c_str()));
    }
    // A reply that reaches the dialog as the session client posts it,
    // delivered by the host's own message loop.
    void answerWith(const std::string& text)
    {
        postReply(text);
        runHostLoop();
    }
    static void runHostLoop()
    {
        while (const auto message = queue().peekMessage()) {
            queue().dispatchMessage(*message);
        }
    }
    void postReply(const std::string& text)
    {
        char* posted = new char[text.size() + 1];
        std::memcpy(posted, text.c_str(), text.size() + 1);
        queue().postMessage(m_dialog.window(), EngineSessionClient::MSG_REPLY, reinterpret_cast<platform::WParam>(posted));
    }

    Parent m_parentProcedure;
    platform::WindowHandle m_parent = platform::NO_WINDOW;
    ChatBridgeDialog m_dialog;
};

TEST_F(ChatBridgeDialogTest, ConversationOverTheSampleBase)
{
    ASSERT_EQ(m_dialog.startSession(m_sample), 1);
    EXPECT_TRUE(m_dialog.running());
    EXPECT_TRUE(m_dialog.ready());
    const std::string greeting = test::firstSampleGreeting();
    EXPECT_EQ(m_dialog.waitReply(), greeting.substr(0, greeting.find('\x1F')));
    EXPECT_EQ(m_dialog.extensionText(), sjis(u8"表情,笑顔"));
    EXPECT_EQ(m_dialog.extensionValue(sjis(u8"表情")), sjis(u8"笑顔"));
    // The follow-up leans on the offer the first reply made.
    const std::pair<const char8_t*, const char8_t*> turns[] = {
        {u8"営業時間を教えてください", u8"平日の営業時間は午前７時から午後７時までです。土曜日と日曜日の営業時間もお知らせしましょうか？"},
        {u8"土日は？", u8"土日は午前８時から午後６時までです。"},
    };
    for (const auto& [question, reply] : turns) {
        ask(sjis(question));
        EXPECT_FALSE(m_dialog.ready());
        EXPECT_EQ(m_dialog.waitReply(), sjis(reply));
        EXPECT_EQ(m_dialog.extensionValue(sjis(u8"表情")), sjis(u8"普通"));
    }
    // The replies came at once, not by the time-out.
    EXPECT_EQ(m_clock.elapsedMillis(), 0);
    m_dialog.stopSession();
    EXPECT_FALSE(m_dialog.running());
}

// A question that cannot produce a reply is answered at once, never by the
// time-out: the thread the dialog runs on is shared by every page of a host.
TEST_F(ChatBridgeDialogTest, AQuestionThatCannotBeAnsweredIsAnsweredAtOnce)
{
    ASSERT_EQ(m_dialog.startSession(m_sample), 1);
    for (const std::string& blank : {std::string(" \t "), sjis(u8"　"), std::string("\x01\x1F")}) {
        ask(blank);
        EXPECT_TRUE(m_dialog.ready());
        EXPECT_EQ(m_dialog.waitReply(), "");
    }
    m_dialog.stopSession();
    ask(sjis(u8"パン"));
    EXPECT_EQ(m_dialog.waitReply(), "");
    EXPECT_EQ(m_clock.elapsedMillis(), 0);

    // A reply that arrived but is not read yet survives the host's own
    // message loop, however late it runs: no timer is left to wipe it.
    answerWith("answer\x1Fk,v");
    m_clock.advance(20000);
    runHostLoop();
    EXPECT_EQ(m_dialog.waitReply(), "answer");
    EXPECT_EQ(m_dialog.extensionValue("K"), "v");

    // A reply still queued when the window goes is freed with it.
    postReply("late\x1F");
}

TEST_F(ChatBridgeDialogTest, StartFailuresLeaveTheirErrorText)
{
    EXPECT_EQ(m_dialog.startSession(""), 0);
    EXPECT_EQ(m_dialog.errorText(), "input pdata path error");
    test::TempRegistry noInstall(test::productSection());
    EXPECT_EQ(m_dialog.startSession(m_sample), 0);
    EXPECT_EQ(m_dialog.errorText(), "install path error");
    EXPECT_TRUE(m_dialog.ready());
    EXPECT_FALSE(m_dialog.running());
}

TEST_F(ChatBridgeDialogTest, ExtensionLookupTakesTheLastPairOfTheName)
{
    m_dialog.setReply("x\x1F" "a,1,B,2,a,3," + sjis(u8"ア,4,ャ,5,") + "tail");
    const std::pair<std::string, std::string> cases[] = {
        {"A", "3"}, {"b", "2"}, {"c", ""}, {"tail", ""},
        // ア (83 41) and ャ (83 61) differ only in a trail byte's "case".
        {sjis(u8"ア"), "4"},
    };
    for (const auto& [name, value] : cases) {
        EXPECT_EQ(m_dialog.extensionValue(name), value) << name;
    }
    // Set directly, a reply without 0x1F keeps the extensions; through the
    // reply message they are emptied first.
    m_dialog.setReply("y");
    EXPECT_EQ(m_dialog.extensionValue("a"), "3");
    answerWith("z");
    EXPECT_EQ(m_dialog.waitReply(), "z");
    EXPECT_EQ(m_dialog.extensionValue("a"), "");
}

TEST_F(ChatBridgeDialogTest, SizingLaysOutTranscriptAndInput)
{
    const struct {
        int width, height;
        Rect transcript, input;
    } cases[] = {
        {220, 125, {10, 10, 200, 75}, {10, 90, 200, 25}},
        {121, 30, {10, 10, 101, 3}, {10, 18, 101, 1}},
        {5, 5, {10, 10, 0, 0}, {10, 15, 0, 0}},
    };
    for (const auto& c : cases) {
        queue().moveWindow(m_dialog.window(), {0, 0, c.width, c.height});
        EXPECT_EQ(m_dialog.transcript()->bounds, c.transcript) << c.width;
        EXPECT_EQ(m_dialog.input()->bounds, c.input) << c.width;
    }
}

// Conversations started in one millisecond, in one process or in several
// that share a log folder, never share a key: the ids go on to the next
// free millisecond, in the same format.
TEST(ChatBridgeSessionIdTest, IdsAreNeverHandedOutTwiceWithinOrAcrossProcesses)
{
    test::ScopedTimeZone zone("UTC");
    platform::FakeClock clock;
    // A time no other test of the process reaches.
    clock.setWallMillis(1'900'000'000'007);
    platform::ScopedClock scoped(clock);
    test::TempFolder logs{"quibo-logs"};
    const std::string folder = logs.path() + "/";
    std::vector<std::string> ids = {SessionIds::reserve(folder), SessionIds::reserve(folder)};
    EXPECT_EQ(ids, (std::vector<std::string>{"17174640007", "17174640008"}));
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    std::vector<pid_t> children;
    for (int child = 0; child < 3; ++child) {
        const pid_t pid = fork();
        if (pid == 0) {
            std::string mine;
            for (int i = 0; i < 20; ++i) {
                mine += SessionIds::reserve(folder) + "\n";
            }
            _exit(write(pipeEnds[1], mine.data(), mine.size()) == static_cast<ssize_t>(mine.size()) ? 0 : 1);
        }
        children.push_back(pid);
    }
    close(pipeEnds[1]);
    for (const pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::string received;
    char block[4096];
    for (ssize_t n; (n = read(pipeEnds[0], block, sizeof block)) > 0;) {
        received.append(block, static_cast<std::size_t>(n));
    }
    close(pipeEnds[0]);
    for (std::size_t start = 0, end; (end = received.find('\n', start)) != std::string::npos; start = end + 1) {
        ids.push_back(received.substr(start, end - start));
    }
    ids.push_back(SessionIds::reserve(folder));
    ASSERT_EQ(ids.size(), 63u);
    EXPECT_EQ(std::set<std::string>(ids.begin(), ids.end()).size(), ids.size());
    EXPECT_EQ(ids.back(), "17174640069");
}

TEST(ChatBridgeSessionIdTest, DayHourMinuteSecondMillisecond)
{
    test::ScopedTimeZone zone("UTC");
    // 2023-11-14 22:13:20.007 UTC
    EXPECT_EQ(sessionIdAt(1'700'000'000'007), "14221320007");
}

}  // namespace
}  // namespace quibo::orvane
