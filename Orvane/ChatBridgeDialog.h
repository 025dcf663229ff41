// The hidden dialog inside the control that turns the control's
// synchronous calls into the engine's message-driven conversation: it
// starts the session for a downloaded knowledge file, takes questions as a
// sent message, gets replies as posted messages, and lets the control wait
// for a reply (at most 5000 ms, on timer 1), read the error text and look
// up extension values.  All text is Shift_JIS.
//
// Waits pump the dialog window's own messages and give up as soon as
// nothing can arrive for it, so no wait ever hangs.
#pragma once

#include "Orvane/EngineSessionClient.h"
#include "Orvane/SessionIds.h"
#include "platform/WindowMessages.h"

#include <optional>
#include <string>

namespace quibo::orvane {

class ChatBridgeDialog : public platform::WindowProcedure {
public:
    // Sent by the control; wParam: the NUL-terminated question.
    static constexpr unsigned MSG_QUESTION = 0x857;
    static constexpr unsigned REPLY_TIMER = 1;
    static constexpr std::int64_t REPLY_TIMEOUT_MILLIS = 5000;

    // The transcript and input controls hold text only; the dialog lays
    // them out when it is sized.
    struct TextControl {
        platform::Rect bounds;
        std::string text;
    };

    ChatBridgeDialog() = default;
    ~ChatBridgeDialog() override;
    ChatBridgeDialog(const ChatBridgeDialog&) = delete;
    ChatBridgeDialog& operator=(const ChatBridgeDialog&) = delete;

    // Creates the dialog's (hidden) window as a child of `parent`, with its
    // transcript and input controls.
    bool create(platform::WindowHandle parent);
    platform::WindowHandle window() const { return m_window; }

    // Starts a session over the local knowledge file: 1 with the error
    // text empty, or 0 with it set (an earlier start's text never stays).
    // A start fails when the engine cannot open the conversation (its
    // language data or the file cannot be loaded) and when the base holds
    // no greeting: the error text says what failed and which file.
    int startSession(const std::string& knowledgeFile);
    void stopSession();
    // The reply of the last question (or the greeting); an empty reply when
    // none arrives within 5000 ms.  Without a session nothing can arrive,
    // and the wait ends at once.
    std::string waitReply();
    std::string errorText() const { return m_errorText; }
    // The control's own failure before a start (a download that failed)
    // is the page's error text too.
    void setErrorText(const std::string& text) { m_errorText = text; }
    // The value of the last pair named `name` (ASCII letters compared
    // without case) in the reply's extension list; "" when there is none.
    std::string extensionValue(const std::string& name);

    // A question that cannot produce a reply (blank once normalised, or
    // asked with no session running) is answered at once with an empty
    // reply: no wait of one conversation holds up the thread it shares.
    void onQuestion(const char* question);
    void onStarted();
    // Takes a reply posted by the session client; frees it.
    void onReply(char* posted);
    void setReply(const std::string& text);
    void onTimer(unsigned id);
    void onSize();

    bool ready() const { return m_ready; }
    bool running() const { return m_running; }
    const std::string& replyText() const { return m_replyText; }
    const std::string& extensionText() const { return m_extensionText; }
    const std::string& knowledgeFile() const { return m_knowledgeFile; }
    const std::optional<TextControl>& transcript() const { return m_transcript; }
    const std::optional<TextControl>& input() const { return m_input; }

    platform::LResult handleMessage(const platform::Message& message) override;
    void discardMessage(const platform::Message& message) override;

private:
    // Pumps the dialog's messages until ready; false when nothing could
    // make it ready.
    bool pumpUntilReady();
    void onWindowEnd();

    platform::WindowHandle m_window = platform::NO_WINDOW;
    std::optional<TextControl> m_transcript;
    std::optional<TextControl> m_input;
    EngineSessionClient m_client;
    std::string m_knowledgeFile;
    bool m_ready = false;
    bool m_running = false;
    bool m_greeted = false;
    std::string m_replyText;
    std::string m_extensionText;
    std::string m_errorText;
};

// Whether two Shift_JIS texts are equal when single-byte ASCII letters are
// compared without case (trail bytes are compared as they are).
bool equalIgnoringCase(const std::string& a, const std::string& b);

}  // namespace quibo::orvane
