#include "Orvane/ChatBridgeDialog.h"

#include "Orvane/QuestionNormalizer.h"
#include "analysis/InstallPath.h"
#include "platform/Clock.h"
#include "platform/FullWidthMapping.h"
#include "platform/IconvText.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

namespace quibo::orvane {
namespace {

using platform::MessageQueue;

constexpr int QUESTION_LIMIT = 1024;
constexpr char FIELD_SEPARATOR = '\x1F';
constexpr const char* INPUT_PATH_ERROR = "input pdata path error";
constexpr const char* INSTALL_PATH_ERROR = "install path error";
// The session client's mode for the dialog: no fetch after a question.
constexpr int DIALOG_MODE = 5;

char foldedAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool equalIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t pos = 0; pos < a.size();) {
        const std::size_t length = platform::shiftJisCharacterLength(a, pos);
        if (platform::shiftJisCharacterLength(b, pos) != length) {
            return false;
        }
        if (length == 1 ? foldedAscii(a[pos]) != foldedAscii(b[pos]) : a.compare(pos, 2, b, pos, 2) != 0) {
            return false;
        }
        pos += length;
    }
    return true;
}

ChatBridgeDialog::~ChatBridgeDialog()
{
    // Destroying the window ends the session and frees undelivered replies.
    MessageQueue::forThisThread().destroyWindow(m_window);
}

bool ChatBridgeDialog::create(platform::WindowHandle parent)
{
    MessageQueue& queue = MessageQueue::forThisThread();
    if (queue.isWindow(m_window) || !queue.isWindow(parent)) {
        return false;
    }
    // The layout of the dialog's template, in dialog units, until the first
    // sizing lays the controls out in the control's pixels.
    m_window = queue.createWindow(*this, parent, platform::Rect{0, 0, 153, 129});
    m_transcript = TextControl{platform::Rect{7, 7, 139, 49}, {}};
    m_input = TextControl{platform::Rect{7, 86, 139, 36}, {}};
    return true;
}

int ChatBridgeDialog::startSession(const std::string& knowledgeFile)
{
    m_knowledgeFile = knowledgeFile;
    m_errorText.clear();
    if (knowledgeFile.empty()) {
        m_errorText = INPUT_PATH_ERROR;
        m_ready = true;
        return 0;
    }
    const std::string install = installPath();
    if (install.empty()) {
        m_errorText = INSTALL_PATH_ERROR;
        m_ready = true;
        return 0;
    }
    // The engine resolves what it opens from the control's working folder,
    // where the processes of one install also agree on session ids; a
    // folder that cannot be made leaves the process where it is.
    const std::string workFolder = install + "QUIBO3.0/";
    mkdir(workFolder.c_str(), 0755);
    const bool inWorkFolder = chdir(workFolder.c_str()) == 0;
    stopSession();
    m_ready = false;
    const std::string resourcePath = install + "juman/win_.jumanrc20";
    const std::string sessionId = SessionIds::reserve(inWorkFolder ? workFolder : std::string());
    if (m_client.open(m_window, DIALOG_MODE, knowledgeFile, resourcePath, "", "", sessionId) < 0) {
        m_errorText = m_client.failure();
        m_replyText.clear();
        m_ready = true;
        return 0;
    }
    m_greeted = false;
    m_client.start();
    MessageQueue::forThisThread().pumpUntil(m_window, [this] { return m_running; });
    m_ready = true;
    // A base without a greeting would answer the page with nothing at all.
    if (m_running && !m_greeted) {
        stopSession();
        m_replyText.clear();
        m_errorText = platform::convertWithIconv(
            "CP932", "UTF-8",
            "the knowledge file " + knowledgeFile +
                reinterpret_cast<const char*>(u8" holds no greeting (the replies of the title ＣＡ発話 / 呼びかけ / ＊)"));
        return 0;
    }
    return 1;
}

void ChatBridgeDialog::stopSession()
{
    if (m_running) {
        m_client.close(0);
        m_running = false;
    }
}

bool ChatBridgeDialog::pumpUntilReady()
{
    return MessageQueue::forThisThread().pumpUntil(m_window, [this] { return m_ready; });
}

std::string ChatBridgeDialog::waitReply()
{
    if (!m_running) {
        m_ready = true;
    }
    MessageQueue& queue = MessageQueue::forThisThread();
    queue.setTimer(m_window, REPLY_TIMER, REPLY_TIMEOUT_MILLIS);
    pumpUntilReady();
    // A timer left running would later wipe a reply not read yet.
    queue.killTimer(m_window, REPLY_TIMER);
    return m_replyText;
}

std::string ChatBridgeDialog::extensionValue(const std::string& name)
{
    pumpUntilReady();
    std::string result;
    std::size_t begin = 0;
    while (true) {
        const std::size_t comma = m_extensionText.find(',', begin);
        if (comma == std::string::npos) {
            break;
        }
        const std::size_t next = m_extensionText.find(',', comma + 1);
        if (equalIgnoringCase(m_extensionText.substr(begin, comma - begin), name)) {
            result = m_extensionText.substr(comma + 1, next == std::string::npos ? std::string::npos
                                                                                 : next - comma - 1);
        }
        if (next == std::string::npos) {
            break;
        }
        begin = next + 1;
    }
    return result;
}

void ChatBridgeDialog::onQuestion(const char* question)
{
    m_ready = false;
    m_replyText.clear();
    std::string copy = question ? question : "";
    normalizeQuestion(copy, QUESTION_LIMIT, false);
    if (copy.empty() || !m_running || !m_client.ask(copy)) {
        setReply("");
    }
}

void ChatBridgeDialog::onStarted()
{
    std::string text;
    const int result = m_client.greeting(text);
    setReply(text);
    m_greeted = result == 0 && !m_replyText.empty();
    m_running = true;
}

void ChatBridgeDialog::onReply(char* posted)
{
    MessageQueue::forThisThread().killTimer(m_window, REPLY_TIMER);
    m_extensionText.clear();
    m_replyText.clear();
    const std::string copy = posted ? posted : "";
    delete[] posted;
    setReply(copy);
}

void ChatBridgeDialog::setReply(const std::string& text)
{
    const std::size_t separator = text.find(FIELD_SEPARATOR);
    if (separator == std::string::npos) {
        m_replyText = text;
    } else {
        m_replyText = text.substr(0, separator);
        m_extensionText = text.substr(separator + 1);
    }
    m_ready = true;
}

void ChatBridgeDialog::onTimer(unsigned id)
{
    if (id == REPLY_TIMER) {
        m_replyText.clear();
        m_ready = true;
    }
}

void ChatBridgeDialog::onSize()
{
    const platform::Rect outer = MessageQueue::forThisThread().windowRect(m_window);
    const int w = std::max(outer.width - 20, 0);
    const int h = std::max(outer.height - 25, 0);
    if (m_transcript) {
        m_transcript->bounds = platform::Rect{10, 10, w, 3 * h / 4};
        m_input->bounds = platform::Rect{10, 3 * h / 4 + 15, w, h / 4};
    }
}

void ChatBridgeDialog::onWindowEnd()
{
    stopSession();
    m_transcript.reset();
    m_input.reset();
    m_window = platform::NO_WINDOW;
}

platform::LResult ChatBridgeDialog::handleMessage(const platform::Message& message)
{
    switch (message.id) {
    case MSG_QUESTION:
        onQuestion(reinterpret_cast<const char*>(message.wParam));
        break;
    case EngineSessionClient::MSG_STARTED:
        onStarted();
        break;
    case EngineSessionClient::MSG_REPLY:
        onReply(reinterpret_cast<char*>(message.wParam));
        break;
    case platform::WM_SIZE:
        onSize();
        break;
    case platform::WM_TIMER:
        onTimer(static_cast<unsigned>(message.wParam));
        break;
    case platform::WM_NCDESTROY:
        onWindowEnd();
        break;
    default:
        break;
    }
    return 0;
}

void ChatBridgeDialog::discardMessage(const platform::Message& message)
{
    if (message.id == EngineSessionClient::MSG_REPLY) {
        delete[] reinterpret_cast<char*>(message.wParam);
    }
}

}  // namespace quibo::orvane
