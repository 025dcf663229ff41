// The control a page's script drives: it holds the chat-bridge dialog,
// fetches the knowledge file the page names, and hands replies, error texts
// and extension values out as BSTRs that it owns until the page frees them.
#pragma once

#include "Orvane/ChatBridgeDialog.h"
#include "platform/Bstr.h"
#include "platform/WindowMessages.h"

#include <memory>
#include <string>
#include <vector>

namespace quibo::orvane {

class COrvaneCtrl : public platform::WindowProcedure {
public:
    // The host's activation of the control, queued when it is created; its
    // handling creates the window's dialog.
    static constexpr unsigned WM_CREATE = 0x0001;
    // The size of the buffer the downloaded file's name must fit (with its NUL).
    static constexpr std::size_t FILE_NAME_BUFFER = 1024;

    COrvaneCtrl();
    ~COrvaneCtrl() override;
    COrvaneCtrl(const COrvaneCtrl&) = delete;
    COrvaneCtrl& operator=(const COrvaneCtrl&) = delete;

    platform::WindowHandle window() const { return m_window; }
    ChatBridgeDialog* dialog() const { return m_dialog.get(); }
    // Ends the window; the dialog goes with it.
    void destroyWindow();

    int Iinitialize(const char* url);
    void IsetUserQuestion(const char* question);
    platform::BSTR IgetReplyInfo();
    void IfreeReplyBstr();
    platform::BSTR IgetErrorMessage();
    void IfreeErrorBstr();
    platform::BSTR IgetExtensionInfo(const char* name);
    void IfreeExtensionInfo();
    void AboutBox();

    platform::LResult handleMessage(const platform::Message& message) override;

protected:
    // The control's dialog with its window; null when it cannot be made.
    virtual std::unique_ptr<ChatBridgeDialog> createDialog();

private:
    int onCreate();
    void onSize();
    // Stores a new BSTR of `text` in `slot` and returns it; a string the
    // slot held is kept valid until the control goes.
    platform::BSTR handOut(platform::BSTR& slot, const std::string& text);
    void free(platform::BSTR& slot);

    platform::WindowHandle m_window = platform::NO_WINDOW;
    std::unique_ptr<ChatBridgeDialog> m_dialog;
    platform::BSTR m_replyBstr = nullptr;
    platform::BSTR m_errorBstr = nullptr;
    platform::BSTR m_extensionBstr = nullptr;
    std::vector<platform::BSTR> m_replaced;
};

}  // namespace quibo::orvane
