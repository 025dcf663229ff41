// The test window's model: shows the assembled package's start page and
// filters the keyboard and the mouse, so that Enter always runs the page's
// send function and the browser's own shortcuts and menus stay out of reach.
#pragma once

#include "pagemaker/DialogFront.h"
#include "pagemaker/PageBuilder.h"

#include <string>

namespace quibo::pagemaker {

inline constexpr const char* TEST_TITLE = "Pellmint：テスト";
inline constexpr int TEST_MARGIN = 10;  // pixels between the window's edge and the page

class TestDlg {
public:
    // An empty path leaves the start page as it is.
    void setStartPage(const std::string& path);
    const std::string& startPage() const { return m_startPage; }

    void open(Browser& browser) const { browser.navigate(m_startPage); }

    // True when the key or button is swallowed (the page never sees it).
    bool keyDown(Key key, Browser& browser);
    bool keyUp(Key key);
    static bool mouseButton(bool rightButton) { return rightButton; }

private:
    std::string m_startPage;
    bool m_ctrlHeld = false;
};

}  // namespace quibo::pagemaker
