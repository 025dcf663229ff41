#include "pagemaker/TestDlg.h"

namespace quibo::pagemaker {

void TestDlg::setStartPage(const std::string& path)
{
    if (!path.empty()) {
        m_startPage = path;
    }
}

std::string TestDlg::open(Browser& browser, PackageHost& host) const
{
    const std::size_t slash = m_startPage.rfind('/');
    const std::string root = slash == std::string::npos ? std::string() : host.start(m_startPage.substr(0, slash));
    browser.navigate(root.empty() ? m_startPage : root + m_startPage.substr(slash + 1));
    if (!root.empty()) {
        return {};
    }
    const std::string reason = host.failure();
    return std::string(MSG_NO_HOST) + (reason.empty() ? "" : "\n" + reason);
}

bool TestDlg::keyDown(Key key, Browser& browser)
{
    switch (key) {
    case Key::Enter:
        browser.runScript("quiboSend();");
        return true;
    case Key::Control:
        m_ctrlHeld = true;
        return true;
    case Key::Escape:
        return true;
    case Key::EditLetter:
    case Key::InputMethod:
        return false;
    case Key::Other:
        return m_ctrlHeld;
    }
    return false;
}

bool TestDlg::keyUp(Key key)
{
    if (key == Key::Control) {
        m_ctrlHeld = false;
    }
    return false;
}

}  // namespace quibo::pagemaker
