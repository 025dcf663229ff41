#include "pagemaker/TestDlg.h"

#include "pagemaker/PdataNameDlg.h"
#include "tests/support/PellmintTree.h"

#include <gtest/gtest.h>

namespace quibo::pagemaker {
namespace {

TEST(TestDlgTest, EnterRunsTheSendFunctionAndCtrlShortcutsOtherThanEditsStayOut)
{
    test::RecordingBrowser browser;
    TestDlg dialog;
    dialog.setStartPage("/w/test/index.html");
    dialog.setStartPage("");
    dialog.open(browser);
    EXPECT_EQ(browser.pages, std::vector<std::string>{"/w/test/index.html"});

    struct Step {
        bool down;
        Key key;
        bool swallowed;
    };
    const std::vector<Step> steps = {
        {true, Key::Enter, true},       {true, Key::Other, false},   {true, Key::Escape, true},
        {true, Key::Control, true},     {true, Key::EditLetter, false},  // Ctrl+C, Ctrl+V
        {true, Key::Other, true},                                        // Ctrl+P, Ctrl+N, Ctrl+F5
        {false, Key::Control, false},   {true, Key::Other, false},
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& s = steps[i];
        EXPECT_EQ(s.down ? dialog.keyDown(s.key, browser) : dialog.keyUp(s.key), s.swallowed) << i;
    }
    EXPECT_EQ(browser.scripts, std::vector<std::string>{"quiboSend();"});
    EXPECT_TRUE(TestDlg::mouseButton(true));
    EXPECT_FALSE(TestDlg::mouseButton(false));
}

TEST(PdataNameDlgTest, OkNeedsANameThatIsNotAllBlankAndKeepsItAsTyped)
{
    EXPECT_FALSE(PdataNameDlg::okEnabled(""));
    EXPECT_FALSE(PdataNameDlg::okEnabled("   "));
    EXPECT_TRUE(PdataNameDlg::okEnabled("  a"));
    PdataNameDlg dialog("知識", "quibo");
    dialog.ok("  a");
    EXPECT_EQ(dialog.newName(), "  a");
}

}  // namespace
}  // namespace quibo::pagemaker
