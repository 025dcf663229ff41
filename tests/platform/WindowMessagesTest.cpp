#include "platform/WindowMessages.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace quibo::platform {
namespace {

constexpr unsigned PING = WM_USER + 1;

// Records what reaches it as "id:wParam".
class Recorder : public WindowProcedure {
public:
    explicit Recorder(std::vector<std::string>& log, std::string name) : m_log(log), m_name(std::move(name)) {}
    LResult handleMessage(const Message& message) override
    {
        m_log.push_back(m_name + " " + std::to_string(message.id) + ":" + std::to_string(message.wParam));
        return static_cast<LResult>(message.wParam) + 1;
    }
    void discardMessage(const Message& message) override
    {
        m_log.push_back(m_name + " dropped " + std::to_string(message.wParam));
    }

private:
    std::vector<std::string>& m_log;
    std::string m_name;
};

class WindowMessagesTest : public testing::Test {
protected:
    FakeClock m_clock;
    ScopedClock m_scoped{m_clock};
    MessageQueue m_queue;
    std::vector<std::string> m_log;
};

TEST_F(WindowMessagesTest, PostedMessagesWaitForAPumpAndSentOnesRunAtOnce)
{
    Recorder recorder(m_log, "w");
    Recorder other(m_log, "o");
    const WindowHandle window = m_queue.createWindow(recorder);
    const WindowHandle otherWindow = m_queue.createWindow(other);
    EXPECT_TRUE(m_queue.postMessage(window, PING, 1));
    EXPECT_TRUE(m_queue.postMessage(otherWindow, PING, 9));
    EXPECT_TRUE(m_queue.postMessage(window, PING, 2));
    EXPECT_EQ(m_queue.sendMessage(window, PING, 3), 4);
    EXPECT_EQ(m_log, (std::vector<std::string>{"w 1025:3"}));

    // The pump serves its own window only, in order, and gives up once
    // nothing more can come: no message of it is queued and no timer armed.
    EXPECT_FALSE(m_queue.pumpUntil(window, [] { return false; }));
    EXPECT_EQ(m_log, (std::vector<std::string>{"w 1025:3", "w 1025:1", "w 1025:2"}));
    EXPECT_EQ(m_queue.peekMessage()->window, otherWindow);
    EXPECT_EQ(m_clock.elapsedMillis(), 0);
    m_queue.destroyWindow(window);
    m_queue.destroyWindow(otherWindow);
}

TEST_F(WindowMessagesTest, DestroyingAWindowEndsItsChildrenMessagesAndTimers)
{
    Recorder parent(m_log, "p");
    Recorder child(m_log, "c");
    const WindowHandle parentWindow = m_queue.createWindow(parent);
    const WindowHandle childWindow = m_queue.createWindow(child, parentWindow);
    ASSERT_TRUE(m_queue.moveWindow(childWindow, Rect{0, 0, 30, 40}));
    EXPECT_EQ(m_queue.windowRect(childWindow), (Rect{0, 0, 30, 40}));
    m_queue.postMessage(childWindow, PING, 7);
    m_queue.setTimer(childWindow, 1, 10);
    m_log.clear();

    m_queue.destroyWindow(parentWindow);
    EXPECT_EQ(m_log, (std::vector<std::string>{"p 2:0", "c 2:0", "c dropped 7", "c 130:0", "p 130:0"}));
    EXPECT_FALSE(m_queue.isWindow(childWindow));
    EXPECT_FALSE(m_queue.postMessage(childWindow, PING));
    EXPECT_EQ(m_queue.sendMessage(childWindow, PING, 5), 0);
    EXPECT_FALSE(m_queue.peekMessage());
    // Handles are never handed out again.
    Recorder later(m_log, "l");
    const WindowHandle laterWindow = m_queue.createWindow(later);
    EXPECT_NE(laterWindow, parentWindow);
    EXPECT_NE(laterWindow, childWindow);
    m_queue.destroyWindow(laterWindow);
}

TEST_F(WindowMessagesTest, TimersFireInVirtualTimeUntilTheyAreKilled)
{
    // Records each firing with the virtual time; stops timer 1 after its
    // third firing and timer 2 after its first.
    struct Ticker : WindowProcedure {
        MessageQueue& queue;
        WindowHandle window = NO_WINDOW;
        std::vector<std::string> log;
        std::map<WParam, int> fired;
        explicit Ticker(MessageQueue& q) : queue(q) {}
        LResult handleMessage(const Message& message) override
        {
            if (message.id == WM_TIMER) {
                log.push_back(std::to_string(message.wParam) + "@" + std::to_string(clock().elapsedMillis()));
                if (++fired[message.wParam] == (message.wParam == 1 ? 3 : 1)) {
                    EXPECT_TRUE(queue.killTimer(window, static_cast<unsigned>(message.wParam)));
                }
            }
            return 0;
        }
    } ticker(m_queue);
    ticker.window = m_queue.createWindow(ticker);
    ASSERT_TRUE(m_queue.setTimer(ticker.window, 1, 50));
    // Arming it again starts its period afresh.
    ASSERT_TRUE(m_queue.setTimer(ticker.window, 1, 10));
    ASSERT_TRUE(m_queue.setTimer(ticker.window, 2, 25));
    EXPECT_FALSE(m_queue.peekMessage(ticker.window));

    // The pump lets time pass while a timer is armed and gives up only once
    // both are stopped.
    EXPECT_FALSE(m_queue.pumpUntil(ticker.window, [] { return false; }));
    EXPECT_EQ(ticker.log, (std::vector<std::string>{"1@10", "1@20", "2@25", "1@30"}));
    EXPECT_EQ(m_clock.elapsedMillis(), 30);
    EXPECT_FALSE(m_queue.killTimer(ticker.window, 1));
    m_queue.destroyWindow(ticker.window);
}

}  // namespace
}  // namespace quibo::platform
