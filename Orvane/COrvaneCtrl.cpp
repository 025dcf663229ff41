#include "Orvane/COrvaneCtrl.h"

#include "platform/IconvText.h"
#include "platform/UrlDownload.h"

#include <cstdio>
#include <iostream>

namespace quibo::orvane {

using platform::BSTR;
using platform::MessageQueue;

namespace {

constexpr const char* DOWNLOAD_ERROR = "download error: ";

}  // namespace

COrvaneCtrl::COrvaneCtrl()
{
    MessageQueue& queue = MessageQueue::forThisThread();
    m_window = queue.createWindow(*this);
    queue.postMessage(m_window, WM_CREATE);
}

COrvaneCtrl::~COrvaneCtrl()
{
    destroyWindow();
    for (BSTR* slot : {&m_replyBstr, &m_errorBstr, &m_extensionBstr}) {
        free(*slot);
    }
    for (BSTR text : m_replaced) {
        platform::SysFreeString(text);
    }
}

void COrvaneCtrl::destroyWindow() { MessageQueue::forThisThread().destroyWindow(m_window); }

std::unique_ptr<ChatBridgeDialog> COrvaneCtrl::createDialog()
{
    auto dialog = std::make_unique<ChatBridgeDialog>();
    return dialog->create(m_window) ? std::move(dialog) : nullptr;
}

int COrvaneCtrl::onCreate()
{
    m_dialog = createDialog();
    if (!m_dialog) {
        return -1;
    }
    onSize();
    return 0;
}

void COrvaneCtrl::onSize()
{
    if (m_dialog) {
        const platform::Rect bounds = MessageQueue::forThisThread().windowRect(m_window);
        MessageQueue::forThisThread().moveWindow(m_dialog->window(), {0, 0, bounds.width, bounds.height});
    }
}

platform::LResult COrvaneCtrl::handleMessage(const platform::Message& message)
{
    switch (message.id) {
    case WM_CREATE:
        return onCreate();
    case platform::WM_SIZE:
        onSize();
        break;
    case platform::WM_NCDESTROY:
        // The dialog's window went with ours, as its child.
        m_dialog.reset();
        m_window = platform::NO_WINDOW;
        break;
    default:
        break;
    }
    return 0;
}

int COrvaneCtrl::Iinitialize(const char* url)
{
    if (!url || !*url) {
        // The error text tells about the last initialisation only.
        if (m_dialog) {
            m_dialog->setErrorText("");
        }
        return 0;
    }
    if (!MessageQueue::forThisThread().pumpUntil(m_window, [this] { return m_dialog != nullptr; })) {
        return 0;
    }
    // The page names the file in Shift_JIS; file names here are UTF-8.
    const std::string name = platform::convertWithIconv("UTF-8", "CP932", url);
    platform::DownloadResult local = platform::urlDownloadToCacheFile(name);
    // The conversation key separates its parts with ':' and ';'.
    if (local.ok && local.path.find_first_of(":;") != std::string::npos) {
        local = platform::copyIntoCache(local.path);
    }
    if (local.ok && local.path.find_first_of(":;") != std::string::npos) {
        local = {false, {}, local.path + ": the path holds ':' or ';'"};
    }
    if (local.ok && local.path.size() + 1 > FILE_NAME_BUFFER) {
        local = {false, {}, local.path + ": the path is too long"};
    }
    if (!local.ok) {
        // The page's author needs the reason: a missing file, a status, a
        // time-out, a size.
        m_dialog->setErrorText(DOWNLOAD_ERROR + platform::convertWithIconv("CP932", "UTF-8", local.error));
        return 0;
    }
    return m_dialog->startSession(local.path);
}

void COrvaneCtrl::IsetUserQuestion(const char* question)
{
    if (question && *question && m_dialog) {
        MessageQueue::forThisThread().sendMessage(m_dialog->window(), ChatBridgeDialog::MSG_QUESTION,
                                                  reinterpret_cast<platform::WParam>(question));
    }
}

BSTR COrvaneCtrl::handOut(BSTR& slot, const std::string& text)
{
    if (slot) {
        m_replaced.push_back(slot);
    }
    slot = platform::SysAllocStringFromShiftJis(text);
    return slot;
}

void COrvaneCtrl::free(BSTR& slot)
{
    platform::SysFreeString(slot);
    slot = nullptr;
}

BSTR COrvaneCtrl::IgetReplyInfo() { return handOut(m_replyBstr, m_dialog ? m_dialog->waitReply() : ""); }

void COrvaneCtrl::IfreeReplyBstr() { free(m_replyBstr); }

BSTR COrvaneCtrl::IgetErrorMessage() { return handOut(m_errorBstr, m_dialog ? m_dialog->errorText() : ""); }

void COrvaneCtrl::IfreeErrorBstr() { free(m_errorBstr); }

BSTR COrvaneCtrl::IgetExtensionInfo(const char* name)
{
    return handOut(m_extensionBstr, m_dialog && name ? m_dialog->extensionValue(name) : "");
}

void COrvaneCtrl::IfreeExtensionInfo() { free(m_extensionBstr); }

void COrvaneCtrl::AboutBox()
{
    std::cout << "About Orvane Control\nOrvane Control, Version 1.0\n" << std::flush;
}

}  // namespace quibo::orvane
