#include "Orvane/EngineSessionClient.h"

#include "Orvane/ChatFacade.h"
#include "Orvane/QuestionNormalizer.h"

#include <cstring>

namespace quibo::orvane {
namespace {

constexpr int QUESTION_LIMIT = 1024;
constexpr char FIELD_SEPARATOR = '\x1F';
constexpr const char* PEER_ADDRESS = "127.0.0.1";

}  // namespace

int EngineSessionClient::open(platform::WindowHandle window, int mode, const std::string& knowledgeFile,
                              const std::string& resourcePath, const std::string& startText,
                              const std::string& startId, const std::string& sessionId)
{
    m_window = window;
    m_mode = mode;
    m_startText = startText;
    m_key = sessionId + ":;" + knowledgeFile;
    m_failure.clear();
    if (chatOpen(m_key.c_str(), knowledgeFile.c_str(), resourcePath.c_str(), m_startText.c_str(), PEER_ADDRESS,
                 1) != 0) {
        m_failure = chatOpenFailure();
        chatClose(m_key.c_str());
        return -2;
    }
    m_fetchOutput.clear();
    m_firstNumber = 0;
    m_secondNumber = 0;
    m_startList.clear();
    chatStart(m_key.c_str(), startId.c_str(), m_firstNumber, m_secondNumber, m_startList);
    return 0;
}

void EngineSessionClient::post(unsigned message, platform::WParam wParam)
{
    platform::MessageQueue::forThisThread().postMessage(m_window, message, wParam);
}

void EngineSessionClient::fetch(int firstNumber, int secondNumber)
{
    std::string dropped;
    chatAsk(m_key.c_str(), m_startText.c_str(), dropped, 0);
    chatFetch(m_key.c_str(), firstNumber, secondNumber, m_fetchOutput);
}

void EngineSessionClient::start()
{
    fetch(m_firstNumber, m_secondNumber);
    post(MSG_STARTED);
}

std::string EngineSessionClient::query(const std::string& question)
{
    if (question.empty()) {
        return {};
    }
    std::string dropped;
    chatAsk(m_key.c_str(), question.c_str(), dropped, 0);
    const std::string extension = chatExtensionInfo(m_key.c_str(), -1);
    return chatReplyText(m_key.c_str(), -1) + FIELD_SEPARATOR + extension;
}

bool EngineSessionClient::ask(const std::string& question)
{
    std::string normalized = question;
    if (!normalizeQuestion(normalized, QUESTION_LIMIT, false) || normalized.empty()) {
        return false;
    }
    const std::string text = query(normalized);
    char* posted = new char[text.size() + 1];
    std::memcpy(posted, text.c_str(), text.size() + 1);
    // A window that is gone takes nothing: the text is still ours to free.
    const bool delivered = platform::MessageQueue::forThisThread().postMessage(
        m_window, MSG_REPLY, reinterpret_cast<platform::WParam>(posted));
    if (!delivered) {
        delete[] posted;
    }
    if (m_mode == MODE_FETCH_AFTER_ASK) {
        fetch(m_firstNumber, m_secondNumber);
    }
    return delivered;
}

int EngineSessionClient::greeting(std::string& out)
{
    const int result = chatGreeting(m_key.c_str(), out);
    if (!out.empty() && out.back() == ';') {
        out.pop_back();
    }
    if (const std::size_t last = out.rfind(';'); last != std::string::npos) {
        out[last] = FIELD_SEPARATOR;
    }
    return result;
}

void EngineSessionClient::close(int notify)
{
    chatClose(m_key.c_str());
    if (notify == 1) {
        post(MSG_CLOSED);
    }
}

}  // namespace quibo::orvane
