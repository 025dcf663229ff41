#include "pagemaker/TestDlg.h"

#include "pagemaker/PdataNameDlg.h"
#include "pagemaker/PellmintDlg.h"
#include "tests/support/HeadlessChromium.h"
#include "tests/support/InstallTree.h"
#include "tests/support/PellmintTree.h"
#include "tests/support/SampleGreetings.h"
#include "tests/support/ScriptedFront.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

namespace quibo::pagemaker {
namespace {

struct RecordingHost : PackageHost {
    std::string start(const std::string& folder) override
    {
        calls.push_back("start " + folder);
        return root;
    }
    void stop() override { calls.push_back("stop"); }
    std::string root;
    std::vector<std::string> calls;
};

TEST(TestDlgTest, ThePageComesFromTheHostAndEnterRunsTheSendFunctionAndCtrlShortcutsOtherThanEditsStayOut)
{
    test::RecordingBrowser browser;
    TestDlg dialog;
    dialog.setStartPage("/w/test/index.html");
    dialog.setStartPage("");
    RecordingHost host;
    host.root = "http://127.0.0.1:5/";
    dialog.open(browser, host);
    TestDlg::close(host);
    host.root.clear();
    dialog.open(browser, host);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"start /w/test", "stop", "start /w/test"}));
    EXPECT_EQ(browser.pages, (std::vector<std::string>{"http://127.0.0.1:5/index.html", "/w/test/index.html"}));

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

// The Test button end to end: Pellmint builds the local package in its work
// folder, the test window starts orvane-host for that folder, and headless
// Chromium chats on the page; the host ends with the window.
TEST(TestDlgTest, TheTestWindowChatsThroughTheHostItStartsForTheWorkFolder)
{
    struct ChromiumFront : test::ScriptedFront {
        void runTest(TestDlg& dialog) override
        {
            test::ScopedEnvironmentVariable registry("QUIBO_REGISTRY", QUIBO_BINARY_DIR "/registry");
            HostProcess host(QUIBO_BINARY_DIR "/Orvane/host/orvane-host");
            test::HeadlessChromium chromium;
            dialog.open(chromium, host);
            ASSERT_GT(host.pid(), 0);
            const std::string replies = "document.querySelectorAll('#quibo-log .quibo-output')";
            ASSERT_TRUE(chromium.waitFor(replies + ".length == 1"));
            greeting = chromium.evaluate(replies + "[0].textContent");
            chromium.type("#quibo-text", "営業時間を教えて");
            chromium.click("#quibo-form button");
            EXPECT_TRUE(chromium.waitFor(replies + ".length == 2"));
            question = chromium.evaluate("document.querySelector('#quibo-log .quibo-input').textContent");
            chromium.screenshot(QUIBO_BINARY_DIR "/chat-page-screenshot.png");
            const pid_t pid = host.pid();
            TestDlg::close(host);
            EXPECT_NE(kill(pid, 0), 0);
        }
        std::string greeting;
        std::string question;
    };
    test::WorkingDirectory keepDirectory{std::filesystem::current_path().string()};
    test::PellmintTree tree;
    ChromiumFront front;
    test::RecordingBrowser preview;
    PellmintDlg dlg{front, &preview, tree.workArea(), tree.root().path()};
    ASSERT_TRUE(dlg.initDialog());
    dlg.m_resourcePath = test::sampleResource();
    dlg.test();
    EXPECT_TRUE(front.shown.empty());
    EXPECT_EQ(front.question, "営業時間を教えて");
    const std::vector<std::string> greetings = test::sampleGreetings();
    EXPECT_NE(std::find(greetings.begin(), greetings.end(), front.greeting), greetings.end()) << front.greeting;
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
