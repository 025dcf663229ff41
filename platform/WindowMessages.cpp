#include "platform/WindowMessages.h"

#include <vector>

namespace quibo::platform {

MessageQueue& MessageQueue::forThisThread()
{
    thread_local MessageQueue queue;
    return queue;
}

const MessageQueue::WindowRecord* MessageQueue::live(WindowHandle window) const
{
    const auto it = m_windows.find(window);
    return it == m_windows.end() ? nullptr : &it->second;
}

WindowHandle MessageQueue::createWindow(WindowProcedure& procedure, WindowHandle parent, Rect bounds)
{
    const WindowHandle handle = ++m_lastHandle;
    m_windows[handle] = WindowRecord{&procedure, live(parent) ? parent : NO_WINDOW, bounds, false};
    return handle;
}

void MessageQueue::destroyWindow(WindowHandle window)
{
    const auto it = m_windows.find(window);
    if (it == m_windows.end() || it->second.dying) {
        return;
    }
    it->second.dying = true;
    WindowProcedure& procedure = *it->second.procedure;
    sendMessage(window, WM_DESTROY);

    std::vector<WindowHandle> children;
    for (const auto& [handle, record] : m_windows) {
        if (record.parent == window) {
            children.push_back(handle);
        }
    }
    for (WindowHandle child : children) {
        destroyWindow(child);
    }

    std::vector<Message> dropped;
    std::erase_if(m_messages, [&](const Message& message) {
        if (message.window != window) {
            return false;
        }
        dropped.push_back(message);
        return true;
    });
    for (const Message& message : dropped) {
        procedure.discardMessage(message);
    }
    std::erase_if(m_timers, [window](const auto& entry) { return entry.first.first == window; });

    sendMessage(window, WM_NCDESTROY);
    m_windows.erase(window);
}

bool MessageQueue::isWindow(WindowHandle window) const { return live(window) != nullptr; }

WindowHandle MessageQueue::parentOf(WindowHandle window) const
{
    const WindowRecord* record = live(window);
    return record ? record->parent : NO_WINDOW;
}

Rect MessageQueue::windowRect(WindowHandle window) const
{
    const WindowRecord* record = live(window);
    return record ? record->bounds : Rect{};
}

bool MessageQueue::moveWindow(WindowHandle window, Rect bounds)
{
    const auto it = m_windows.find(window);
    if (it == m_windows.end()) {
        return false;
    }
    it->second.bounds = bounds;
    sendMessage(window, WM_SIZE);
    return true;
}

bool MessageQueue::postMessage(WindowHandle window, unsigned id, WParam wParam, LParam lParam)
{
    const WindowRecord* record = live(window);
    if (!record || record->dying) {
        return false;
    }
    m_messages.push_back(Message{window, id, wParam, lParam});
    return true;
}

LResult MessageQueue::sendMessage(WindowHandle window, unsigned id, WParam wParam, LParam lParam)
{
    return dispatchMessage(Message{window, id, wParam, lParam});
}

bool MessageQueue::setTimer(WindowHandle window, unsigned id, std::int64_t millis)
{
    const WindowRecord* record = live(window);
    if (!record || record->dying) {
        return false;
    }
    const std::int64_t interval = millis > 0 ? millis : 1;
    m_timers[{window, id}] = Timer{interval, clock().elapsedMillis() + interval};
    return true;
}

bool MessageQueue::killTimer(WindowHandle window, unsigned id) { return m_timers.erase({window, id}) > 0; }

std::optional<Message> MessageQueue::peekMessage(WindowHandle window)
{
    for (auto it = m_messages.begin(); it != m_messages.end(); ++it) {
        if (window == NO_WINDOW || it->window == window) {
            const Message message = *it;
            m_messages.erase(it);
            return message;
        }
    }
    const std::int64_t now = clock().elapsedMillis();
    auto earliest = m_timers.end();
    for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
        const bool mine = window == NO_WINDOW || it->first.first == window;
        if (mine && it->second.due <= now && (earliest == m_timers.end() || it->second.due < earliest->second.due)) {
            earliest = it;
        }
    }
    if (earliest == m_timers.end()) {
        return std::nullopt;
    }
    earliest->second.due = now + earliest->second.interval;
    return Message{earliest->first.first, WM_TIMER, earliest->first.second, 0};
}

LResult MessageQueue::dispatchMessage(const Message& message)
{
    const WindowRecord* record = live(message.window);
    return record ? record->procedure->handleMessage(message) : 0;
}

std::optional<std::int64_t> MessageQueue::nextTimerDue(WindowHandle window) const
{
    std::optional<std::int64_t> due;
    for (const auto& [key, timer] : m_timers) {
        if (key.first == window && (!due || timer.due < *due)) {
            due = timer.due;
        }
    }
    return due;
}

bool MessageQueue::pumpUntil(WindowHandle window, const std::function<bool()>& done)
{
    while (!done()) {
        if (!isWindow(window)) {
            return false;
        }
        if (const std::optional<Message> message = peekMessage(window)) {
            dispatchMessage(*message);
            continue;
        }
        const std::optional<std::int64_t> due = nextTimerDue(window);
        if (!due) {
            return false;
        }
        clock().sleepMillis(*due - clock().elapsedMillis());
    }
    return true;
}

}  // namespace quibo::platform
