// The control as a host meets it: liborvane.so registered into a registry
// file, created by its ProgID through dlopen, driven through its C interface;
// and the orvane-host program over it.
#include "Orvane/host/OrvaneHost.h"

#include "Orvane/OrvaneControl.h"
#include "platform/Bstr.h"
#include "platform/InProcessServer.h"
#include "tests/support/HttpTestServer.h"
#include "tests/support/InstallTree.h"
#include "tests/support/KnowledgeSamples.h"
#include "tests/support/ShiftJis.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <sys/wait.h>

namespace quibo::orvane {
namespace {

using test::utf8;

const std::string SAMPLE_GREETINGS[] = {
    utf8(u8"いらっしゃいませ、こむぎ堂の案内係です。パンのことなら何でも聞いてください。"),
    utf8(u8"こんにちは、こむぎ堂です。営業時間やパンの値段など、お気軽にどうぞ。"),
    utf8(u8"ようこそ。営業時間、場所、パンの値段などをご案内できます。"),
};

bool isSampleGreeting(const std::string& text)
{
    return std::find(std::begin(SAMPLE_GREETINGS), std::end(SAMPLE_GREETINGS), text) != std::end(SAMPLE_GREETINGS);
}

class OrvaneHostTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::ostringstream err;
        ASSERT_EQ(registerLibrary(QUIBO_ORVANE_LIBRARY, false, err), 0) << err.str();
    }

    // Runs orvane-host with `arguments` over the test's registry file: its
    // exit status; standard output and error in `out` and `err`.
    int runProgram(const std::string& arguments, std::string& out, std::string& err)
    {
        const std::string errFile = m_registry.file() + ".err";
        const std::string command = "QUIBO_REGISTRY='" + m_registry.file() + "' " QUIBO_BINARY_DIR
                                    "/Orvane/host/orvane-host " + arguments + " 2>'" + errFile + "'";
        FILE* pipe = popen(command.c_str(), "r");
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            out.append(buffer, n);
        }
        const int status = pclose(pipe);
        err = test::readFile(errFile);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    test::TempRegistry m_registry{test::productSection() + "INSTALLPATH=" + test::BuildInstallTree::root() + "\n"};
};

TEST_F(OrvaneHostTest, AHostCreatesTheControlByItsProgIdAndConverses)
{
    std::string error;
    const auto server = platform::InProcessServer::load(ORVANE_PROGID, error);
    ASSERT_NE(server, nullptr) << error;
    EXPECT_EQ(server->classId(), ORVANE_CLSID);
    const auto& api = *static_cast<const OrvaneClassObject*>(server->classObject());

    // The library writes nothing on the host's standard streams; its
    // progress is there for a developer who asks for it.
    OrvaneCtrl* control = api.CreateControl();
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    ASSERT_EQ(api.Iinitialize(control, test::sampleKnowledgePath().c_str()), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(isSampleGreeting(platform::bstrToUtf8(api.IgetReplyInfo(control))));
    api.IfreeReplyBstr(control);
    api.IsetUserQuestion(control, test::sjis(u8"営業時間を教えてください").c_str());
    EXPECT_EQ(platform::bstrToUtf8(api.IgetReplyInfo(control)), utf8(u8"平日の営業時間は午前７時から午後７時までです。土曜日と日曜日の営業時間もお知らせしましょうか？"));
    EXPECT_EQ(platform::bstrToUtf8(api.IgetExtensionInfo(control, test::sjis(u8"表情").c_str())), utf8(u8"普通"));
    api.IfreeExtensionInfo(control);
    EXPECT_EQ(OrvaneBstrLength(api.IgetExtensionInfo(control, "x")), 0u);
    api.IfreeExtensionInfo(control);
    // The page goes: the control answers empty and never crashes.
    api.DestroyWindow(control);
    EXPECT_EQ(OrvaneBstrLength(api.IgetReplyInfo(control)), 0u);
    api.DestroyControl(control);

    {
        test::ScopedEnvironmentVariable verbose("QUIBO_VERBOSE", "1");
        control = api.CreateControl();
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        EXPECT_EQ(api.Iinitialize(control, test::sampleKnowledgePath().c_str()), 1);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_NE(testing::internal::GetCapturedStderr().find(utf8(u8"--- 意味目録判定辞書作成開始 ---\n")),
                  std::string::npos);
        api.DestroyControl(control);
    }

    std::ostringstream err;
    ASSERT_EQ(registerLibrary(QUIBO_ORVANE_LIBRARY, true, err), 0) << err.str();
    EXPECT_EQ(platform::InProcessServer::load(ORVANE_PROGID, error), nullptr);
}

TEST_F(OrvaneHostTest, PlainHostWritesOneLinePerReplyAndNothingElse)
{
    const std::string questions = m_registry.file() + ".questions";
    std::ofstream(questions) << utf8(u8"こんにちは\n\n営業時間を教えてください\r\n");
    std::string out;
    std::string err;
    ASSERT_EQ(runProgram("--plain '" + questions + "'", out, err), 0) << err;
    // The greeting, then one line per question; the blank line asks nothing.
    // (The greeting word's reply names the time band of the host's clock.)
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = out.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(out.substr(start, end - start));
    ASSERT_EQ(lines.size(), 3u) << out;
    EXPECT_TRUE(isSampleGreeting(lines[0])) << out;
    EXPECT_EQ(lines[1].rfind(utf8(u8"こんにちは。"), 0), 0u) << out;
    EXPECT_NE(lines[1].find(utf8(u8"こむぎ堂の案内係です。")), std::string::npos) << out;
    EXPECT_EQ(lines[2], utf8(u8"平日の営業時間は午前７時から午後７時までです。土曜日と日曜日の営業時間もお知らせしましょうか？"));
}

// The conversation scripts/run plays gets a reply to each of its questions.
TEST_F(OrvaneHostTest, TheBundledConversationGetsAReplyToEveryQuestion)
{
    const std::string file = std::string(QUIBO_SOURCE_DIR) + "/data/sample_conversation.txt";
    std::string out;
    std::string err;
    ASSERT_EQ(runProgram("--plain '" + file + "'", out, err), 0) << err;
    const std::string questions = test::readFile(file);
    const auto count = [](const std::string& text) { return std::count(text.begin(), text.end(), '\n'); };
    ASSERT_GE(count(questions), 20);
    EXPECT_EQ(count(out), count(questions) + 1) << out;
    EXPECT_EQ(out.find("\n\n"), std::string::npos) << out;
}

// Every failed start is reported as one: exit status 1, nothing on
// standard output, one line on standard error saying what failed and which
// file.  A base without a greeting (the small base has none) would answer
// the page with nothing at all, so it fails too.
TEST_F(OrvaneHostTest, AKnowledgeFileThatCannotConverseFailsTheHost)
{
    const std::string sample = test::readFile(test::sampleKnowledgePath());
    const std::string base = m_registry.file();
    std::ofstream(base + ".empty.pdata", std::ios::binary) << "";
    std::ofstream(base + ".text.pdata", std::ios::binary) << "# a knowledge source, not a compiled file\nentity 店\n";
    std::ofstream(base + ".cut.pdata", std::ios::binary) << sample.substr(0, 3000);
    std::ofstream(base + ".small.pdata", std::ios::binary) << test::fileBytes(*test::compileSmall());
    const std::pair<std::string, std::string> cases[] = {
        {".empty.pdata", " is empty"},
        {".text.pdata", " is damaged or is not a knowledge file: "},
        {".cut.pdata", " is damaged or is not a knowledge file: "},
        {".small.pdata", utf8(u8" holds no greeting (the replies of the title ＣＡ発話 / 呼びかけ / ＊)")},
    };
    for (const auto& [suffix, reason] : cases) {
        const std::string file = base + suffix;
        std::string out;
        std::string err;
        EXPECT_EQ(runProgram("--plain --knowledge '" + file + "' </dev/null", out, err), 1) << suffix;
        EXPECT_EQ(out, "") << suffix;
        const std::string line = "orvane-host: cannot initialise the control with \"" + file +
                                 "\": the knowledge file " + file + reason;
        EXPECT_EQ(err.rfind(line, 0), 0u) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
}

TEST_F(OrvaneHostTest, AFailedInitialisationPrintsTheControlsErrorText)
{
    test::HttpTestServer server;
    const std::string missing = server.url("/missing.pdata");
    std::string out;
    std::string err;
    EXPECT_EQ(runProgram("--plain --knowledge " + missing + " </dev/null", out, err), 1);
    EXPECT_EQ(out, "");
    // The one line on standard error is the host's, with the control's
    // error text: the download's reason.
    const std::string line = "orvane-host: cannot initialise the control with \"" + missing + "\": download error: " +
                             missing + ": ";
    EXPECT_EQ(err.rfind(line, 0), 0u) << err;
    EXPECT_NE(err.find("404\n"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;

    // Without an install tree the session cannot start; the control says why.
    // An install folder without the language data fails as clearly.
    test::TempFolder emptyInstall{"quibo-empty-install"};
    const std::pair<std::string, std::string> installs[] = {
        {"", "install path error"},
        {emptyInstall.path() + "/", "the language data cannot be loaded (-3): the morphological dictionary " +
                                        emptyInstall.path() + "/dosk/dosk.dic cannot be loaded"},
    };
    for (const auto& [install, reason] : installs) {
        std::ofstream(m_registry.file(), std::ios::app) << test::productSection() << "INSTALLPATH=" << install << "\n";
        out.clear();
        EXPECT_EQ(runProgram("--plain --knowledge " + test::sampleKnowledgePath() + " </dev/null", out, err), 1);
        EXPECT_EQ(out, "");
        EXPECT_EQ(err, "orvane-host: cannot initialise the control with \"" + test::sampleKnowledgePath() + "\": " +
                           reason + "\n");
    }
}

}  // namespace
}  // namespace quibo::orvane
