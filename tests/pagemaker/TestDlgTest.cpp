#include "pagemaker/TestDlg.h"

#include "pagemaker/PdataNameDlg.h"
#include "pagemaker/PellmintDlg.h"
#include "tests/support/HeadlessChromium.h"
#include "tests/support/InstallTree.h"
#include "tests/support/PellmintTree.h"
#include "tests/support/SampleGreetings.h"
#include "tests/support/TempFolder.h"
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
    EXPECT_EQ(dialog.open(browser, host), "");
    TestDlg::close(host);
    host.root.clear();
    EXPECT_EQ(dialog.open(browser, host), MSG_NO_HOST);
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
        {true, Key::InputMethod, false},  // Enter that ends a composition
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& s = steps[i];
        EXPECT_EQ(s.down ? dialog.keyDown(s.key, browser) : dialog.keyUp(s.key), s.swallowed) << i;
    }
    EXPECT_EQ(browser.scripts, std::vector<std::string>{"quiboSend();"});
    EXPECT_TRUE(TestDlg::mouseButton(true));
    EXPECT_FALSE(TestDlg::mouseButton(false));
}

// The registry of the install tree names no control: the test window says
// so, and where the host looked for it.
TEST(TestDlgTest, AHostThatFindsNoControlSaysWhereItLooked)
{
    test::ScopedEnvironmentVariable registry("QUIBO_REGISTRY", QUIBO_INSTALL_TREE "/registry");
    test::TempFolder package{"quibo-package"};
    package.write("index.html", "<p>chat</p>");
    HostProcess host(QUIBO_BINARY_DIR "/Orvane/host/orvane-host");
    test::RecordingBrowser browser;
    TestDlg dialog;
    dialog.setStartPage(package.path("index.html"));
    testing::internal::CaptureStderr();
    const std::string message = dialog.open(browser, host);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(message, std::string(MSG_NO_HOST) + "\norvane-host: ORVANE.OrvaneCtrl.1 is not registered in " +
                           QUIBO_INSTALL_TREE "/registry");
    EXPECT_EQ(browser.pages, std::vector<std::string>{package.path("index.html")});
}

// The Test button end to end: Pellmint builds the local package in its work
// folder, the test window starts orvane-host for that folder, and headless
// Chromium chats on the page; the host ends with the window.  A question
// that looks like markup stays text, a page whose knowledge file is missing
// says so, and so does a page whose host has gone.
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
            const std::string log = "document.querySelectorAll('#quibo-log ";
            const std::string replies = log + ".quibo-output')";
            const std::string questions = log + ".quibo-input')";
            const std::string notices = log + ".quibo-notice')";
            const auto ask = [&](const std::string& question) {
                chromium.type("#quibo-text", question);
                chromium.click("#quibo-form button");
            };
            ASSERT_TRUE(chromium.waitFor(replies + ".length == 1"));
            greeting = chromium.evaluate(replies + "[0].textContent");
            ask("営業時間を教えて");
            EXPECT_TRUE(chromium.waitFor(replies + ".length == 2"));
            question = chromium.evaluate(questions + "[0].textContent");
            answer = chromium.evaluate(replies + "[1]?.textContent ?? ''");
            ask("<b>x</b>");
            EXPECT_TRUE(chromium.waitFor(replies + ".length == 3"));
            markup = chromium.evaluate(questions + "[1]?.textContent ?? ''");
            boldElements = chromium.evaluate(log + "b').length");
            std::filesystem::create_directories(QUIBO_TEST_ARTEFACTS);
            chromium.screenshot(screenshot);

            const std::string page = chromium.evaluate("location.href");
            const std::string folder = dialog.startPage().substr(0, dialog.startPage().rfind('/'));
            const std::string knowledge = folder + "/sample.pdata";
            std::filesystem::rename(knowledge, knowledge + ".gone");
            chromium.navigate(page);
            EXPECT_TRUE(chromium.waitFor(notices + ".length == 1 && " + replies + ".length == 0"));
            missingNotice = chromium.evaluate(notices + "[0]?.textContent ?? ''");
            std::filesystem::rename(knowledge + ".gone", knowledge);
            chromium.navigate(page);
            ASSERT_TRUE(chromium.waitFor(notices + ".length == 0 && " + replies + ".length == 1"));

            const pid_t pid = host.pid();
            TestDlg::close(host);
            EXPECT_NE(kill(pid, 0), 0);
            ask("営業時間を教えて");
            EXPECT_TRUE(chromium.waitFor(notices + ".length == 1"));
            EXPECT_EQ(chromium.evaluate(replies + ".length"), 1);
        }
        std::string screenshot = QUIBO_TEST_ARTEFACTS "/chat-page.png";
        std::string greeting;
        std::string question;
        std::string answer;
        std::string markup;
        int boldElements = -1;
        std::string missingNotice;
    };
    test::WorkingDirectory keepDirectory{std::filesystem::current_path().string()};
    test::PellmintTree tree;
    ChromiumFront front;
    std::filesystem::remove(front.screenshot);
    test::RecordingBrowser preview;
    PellmintDlg dlg{front, &preview, tree.workArea(), tree.root().path()};
    ASSERT_TRUE(dlg.initDialog());
    dlg.m_resourcePath = test::sampleResource();
    dlg.test();
    EXPECT_TRUE(front.shown.empty());
    const std::vector<std::string> greetings = test::sampleGreetings();
    EXPECT_NE(std::find(greetings.begin(), greetings.end(), front.greeting), greetings.end()) << front.greeting;
    EXPECT_EQ(front.question, "営業時間を教えて");
    const std::vector<std::string> hours = test::sampleReplies(u8"営業時間表");
    ASSERT_FALSE(hours.empty());
    EXPECT_NE(std::find(hours.begin(), hours.end(), front.answer), hours.end()) << front.answer;
    // Replies and questions are put in the page as text, never as markup.
    EXPECT_EQ(front.markup, "<b>x</b>");
    EXPECT_EQ(front.boldElements, 0);
    EXPECT_NE(front.missingNotice, "");
    EXPECT_EQ(test::TempFolder::readFile(front.screenshot).substr(0, 8), "\x89PNG\r\n\x1a\n");
}

TEST(PdataNameDlgTest, OkNeedsANameThatIsNotAllBlankAndKeepsItAsTyped)
{
    EXPECT_FALSE(PdataNameDlg::okEnabled(""));
    EXPECT_FALSE(PdataNameDlg::okEnabled("   "));
    EXPECT_TRUE(PdataNameDlg::okEnabled("  a"));
    // A name a package cannot carry is refused as it is typed, with why.
    EXPECT_FALSE(PdataNameDlg::okEnabled("a\"b"));
    EXPECT_EQ(PdataNameDlg::refusal("a\"b"),
              "「\"」は使えません。全角文字、半角カタカナ、記号 /><?:\"\\*|; は使えません。");
    EXPECT_EQ(PdataNameDlg::refusal("知識").rfind("「知」は使えません。", 0), 0u);
    EXPECT_EQ(PdataNameDlg::refusal("quibo_1"), "");
    PdataNameDlg dialog("知識", "quibo");
    dialog.ok("  a");
    EXPECT_EQ(dialog.newName(), "  a");
}

}  // namespace
}  // namespace quibo::pagemaker
