// The one object through which the chat-bridge dialog talks to the engine:
// it holds the conversation key, calls the engine's C facade and hands its
// results to the dialog as posted window messages, so that replies reach
// the dialog through its message queue.  All text is Shift_JIS.
#pragma once

#include "platform/WindowMessages.h"

#include <string>
#include <vector>

namespace quibo::orvane {

class EngineSessionClient {
public:
    // Messages posted to the dialog's window.
    static constexpr unsigned MSG_CLOSED = 0x3402;
    static constexpr unsigned MSG_STARTED = 0x3405;
    // wParam: a NUL-terminated reply text, byte 0x1F, extension text,
    // allocated with new[]; the receiver frees it with delete[].
    static constexpr unsigned MSG_REPLY = 0x3406;
    // The mode that makes ask() run a fetch after each question.
    static constexpr int MODE_FETCH_AFTER_ASK = 4;

    EngineSessionClient() = default;
    virtual ~EngineSessionClient() = default;
    EngineSessionClient(const EngineSessionClient&) = delete;
    EngineSessionClient& operator=(const EngineSessionClient&) = delete;

    // Opens the conversation "sessionId:;knowledgeFile" and runs the
    // facade's start step; 0, or -2 when the facade's open fails: its use of
    // the engine is given back and failure() tells why.
    int open(platform::WindowHandle window, int mode, const std::string& knowledgeFile,
             const std::string& resourcePath, const std::string& startText, const std::string& startId,
             const std::string& sessionId);
    // Runs the start fetch, then posts MSG_STARTED.
    void start();
    void fetch(int firstNumber, int secondNumber);
    // Normalises the question and, unless it was cut or came out empty,
    // posts its reply as MSG_REPLY: true when a reply was posted.
    bool ask(const std::string& question);
    // The reply text, 0x1F, and the extension text of `question`; "" for an
    // empty question.
    std::string query(const std::string& question);
    // The greeting with its last ';' made 0x1F (and a closing ';' dropped);
    // the facade's result.
    int greeting(std::string& out);
    // Closes the conversation; notify 1 posts MSG_CLOSED.
    void close(int notify);

    const std::string& key() const { return m_key; }
    const std::string& fetchOutput() const { return m_fetchOutput; }
    const std::string& failure() const { return m_failure; }

private:
    void post(unsigned message, platform::WParam wParam = 0);

    platform::WindowHandle m_window = platform::NO_WINDOW;
    int m_mode = 0;
    std::string m_key;
    std::string m_startText;
    std::string m_fetchOutput;
    int m_firstNumber = 0;
    int m_secondNumber = 0;
    std::vector<int> m_startList;
    std::string m_failure;
};

}  // namespace quibo::orvane
