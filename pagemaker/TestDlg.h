// The test window's model: shows the assembled package's start page and
// filters the keyboard and the mouse, so that Enter runs the page's send
// function (unless it ends a composition of the input method) and the
// browser's own shortcuts and menus stay out of reach.
#pragma once

#include "pagemaker/DialogFront.h"
#include "pagemaker/HostProcess.h"
#include "pagemaker/PageBuilder.h"

#include <string>

namespace quibo::pagemaker {

inline constexpr const char* TEST_TITLE = "Pellmint：テスト";
inline constexpr int TEST_MARGIN = 10;  // pixels between the window's edge and the page
inline constexpr const char* MSG_NO_HOST =
    "Orvane が見つかりません。テストページを配信する orvane-host を起動できませんでした。";

class TestDlg {
public:
    // An empty path leaves the start page as it is.
    void setStartPage(const std::string& path);
    const std::string& startPage() const { return m_startPage; }

    // Shows the start page as `host` serves its folder; without a host, the
    // file itself (whose page then finds no control), and the message that
    // says so, with the host's reason (where it looked for the control).
    // "" when the host serves the page.
    std::string open(Browser& browser, PackageHost& host) const;
    // The window closed: its host goes with it.
    static void close(PackageHost& host) { host.stop(); }

    // True when the key or button is swallowed (the page never sees it).
    bool keyDown(Key key, Browser& browser);
    bool keyUp(Key key);
    static bool mouseButton(bool rightButton) { return rightButton; }

private:
    std::string m_startPage;
    bool m_ctrlHeld = false;
};

}  // namespace quibo::pagemaker
