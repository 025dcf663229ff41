#include "pagemaker/TestDlg.h"

namespace quibo::pagemaker {

void TestDlg::setStartPage(const std::string& path)
{
    if (!path.empty()) {
        m_startPage = path;
    }
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
