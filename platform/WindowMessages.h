// Our stand-in for the window system's messages: window handles, one
// message queue per thread, posted (queued) and sent (synchronous) messages,
// timers by id, and pumps that peek and dispatch without ever blocking for
// good.
//
// A pump gives up as soon as nothing can arrive for the window it serves:
// no message of that window is queued and none of its timers is armed.
// While only a timer can still fire, the pump lets time pass on the clock in
// force (platform/Clock.h), so a test that installs a FakeClock waits in
// virtual time.
//
// Handles are never reused: a handle of a destroyed window stays invalid,
// so a late message can never reach a window created after it.
#pragma once

#include "platform/Clock.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <utility>

namespace quibo::platform {

using WindowHandle = std::uintptr_t;
using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;

inline constexpr WindowHandle NO_WINDOW = 0;

// Message ids that the layer itself sends.
inline constexpr unsigned WM_DESTROY = 0x0002;
inline constexpr unsigned WM_SIZE = 0x0005;
inline constexpr unsigned WM_NCDESTROY = 0x0082;
inline constexpr unsigned WM_TIMER = 0x0113;  // wParam: the timer id
// Messages of the window's own, as the system numbers them.
inline constexpr unsigned WM_USER = 0x0400;

struct Message {
    WindowHandle window = NO_WINDOW;
    unsigned id = 0;
    WParam wParam = 0;
    LParam lParam = 0;
};

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rect&) const = default;
};

// What a window does with its messages.  The object must outlive its
// window, up to and including the WM_NCDESTROY message.
class WindowProcedure {
public:
    virtual ~WindowProcedure() = default;
    virtual LResult handleMessage(const Message& message) = 0;
    // A posted message that will never be delivered because its window is
    // being destroyed: frees whatever the message's parameters own.
    virtual void discardMessage(const Message&) {}
};

class MessageQueue {
public:
    // The calling thread's queue.
    static MessageQueue& forThisThread();

    MessageQueue() = default;
    MessageQueue(const MessageQueue&) = delete;
    MessageQueue& operator=(const MessageQueue&) = delete;

    WindowHandle createWindow(WindowProcedure& procedure, WindowHandle parent = NO_WINDOW,
                              Rect bounds = {});
    // Sends WM_DESTROY, destroys the children, discards the window's queued
    // messages and timers, then sends WM_NCDESTROY.  An invalid handle is
    // ignored.
    void destroyWindow(WindowHandle window);
    bool isWindow(WindowHandle window) const;
    WindowHandle parentOf(WindowHandle window) const;

    // The window's bounds (in its parent's coordinates); an empty rectangle
    // for an invalid handle.
    Rect windowRect(WindowHandle window) const;
    // Moves and sizes the window, then sends it WM_SIZE.  False for an
    // invalid handle.
    bool moveWindow(WindowHandle window, Rect bounds);

    // Queues the message; false when the window is invalid or being
    // destroyed (the message is then not taken: its owner frees it).
    bool postMessage(WindowHandle window, unsigned id, WParam wParam = 0, LParam lParam = 0);
    // Hands the message to the window's procedure at once; 0 for an invalid
    // handle.
    LResult sendMessage(WindowHandle window, unsigned id, WParam wParam = 0, LParam lParam = 0);

    // Arms (or re-arms) timer `id` of the window: it fires every `millis`
    // milliseconds, the first time `millis` from now.  False for an invalid
    // window.
    bool setTimer(WindowHandle window, unsigned id, std::int64_t millis);
    // Stops the timer; false when it was not armed.
    bool killTimer(WindowHandle window, unsigned id);

    // Takes the next message for `window` (any window for NO_WINDOW): queued
    // messages first, then a WM_TIMER of a timer that is due (which re-arms
    // it).  Nothing when none is ready now.
    std::optional<Message> peekMessage(WindowHandle window = NO_WINDOW);
    LResult dispatchMessage(const Message& message);

    // Pumps `window`'s messages until `done()` holds (true), or until
    // nothing can arrive for the window any more, or it is gone (false).
    bool pumpUntil(WindowHandle window, const std::function<bool()>& done);

private:
    struct WindowRecord {
        WindowProcedure* procedure = nullptr;
        WindowHandle parent = NO_WINDOW;
        Rect bounds;
        bool dying = false;
    };
    struct Timer {
        std::int64_t interval = 0;
        std::int64_t due = 0;
    };

    const WindowRecord* live(WindowHandle window) const;
    // When the earliest armed timer of `window` is due; nothing when none
    // is armed.
    std::optional<std::int64_t> nextTimerDue(WindowHandle window) const;

    WindowHandle m_lastHandle = NO_WINDOW;
    std::map<WindowHandle, WindowRecord> m_windows;
    std::deque<Message> m_messages;
    std::map<std::pair<WindowHandle, unsigned>, Timer> m_timers;
};

}  // namespace quibo::platform
