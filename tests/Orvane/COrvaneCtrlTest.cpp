#include "Orvane/COrvaneCtrl.h"

#include "platform/IconvText.h"
#include "tests/support/ControlShell.h"
#include "tests/support/HttpTestServer.h"
#include "tests/support/TempCacheHome.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

namespace quibo::orvane {
namespace {

using platform::BSTR;

std::u16string text(BSTR bstr) { return std::u16string(bstr, platform::SysStringLen(bstr)); }

class COrvaneCtrlTest : public test::ControlShellTest {
protected:
    test::TempCacheHome m_cache;
    COrvaneCtrl m_control;
};

// A control whose dialog cannot be made.
class ControlWithoutDialog : public COrvaneCtrl {
protected:
    std::unique_ptr<ChatBridgeDialog> createDialog() override { return nullptr; }
};

TEST_F(COrvaneCtrlTest, WithoutItsDialogEveryMethodAnswersEmpty)
{
    // The host has not run the control's activation yet.
    ASSERT_EQ(m_control.dialog(), nullptr);
    testing::internal::CaptureStdout();
    m_control.AboutBox();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "About Orvane Control\nOrvane Control, Version 1.0\n");
    m_control.IsetUserQuestion("x");
    for (BSTR result : {m_control.IgetReplyInfo(), m_control.IgetErrorMessage(), m_control.IgetExtensionInfo("a")}) {
        ASSERT_NE(result, nullptr);
        EXPECT_EQ(platform::SysStringLen(result), 0u);
    }
    // Once its window is gone nothing can create the dialog: the wait gives up.
    m_control.destroyWindow();
    EXPECT_EQ(m_control.Iinitialize(m_sample.c_str()), 0);
    EXPECT_EQ(m_control.dialog(), nullptr);
    EXPECT_EQ(platform::SysStringLen(m_control.IgetReplyInfo()), 0u);

    // A window whose dialog cannot be made refuses its creation, and the
    // wait for the dialog gives up at once.
    ControlWithoutDialog refused;
    EXPECT_EQ(platform::MessageQueue::forThisThread().sendMessage(refused.window(), COrvaneCtrl::WM_CREATE), -1);
    EXPECT_EQ(refused.Iinitialize(m_sample.c_str()), 0);
    EXPECT_TRUE(platform::MessageQueue::forThisThread().isWindow(refused.window()));
    EXPECT_EQ(refused.dialog(), nullptr);
    EXPECT_EQ(m_clock.elapsedMillis(), 0);
}

TEST_F(COrvaneCtrlTest, APageConversesAndFreesWhatItIsHandedOut)
{
    ASSERT_EQ(m_control.Iinitialize(m_sample.c_str()), 1);
    const std::u16string greeting =
        u"いらっしゃいませ、こむぎ堂の案内係です。パンのことなら何でも聞いてください。";
    BSTR first = m_control.IgetReplyInfo();
    EXPECT_EQ(text(first), greeting);
    // No question asked: the reply is still ready and comes again at once.
    m_control.IsetUserQuestion("");
    BSTR second = m_control.IgetReplyInfo();
    EXPECT_EQ(text(second), greeting);
    // The first string stays valid until the control goes.
    EXPECT_EQ(text(first), greeting);
    m_control.IfreeReplyBstr();
    m_control.IfreeReplyBstr();

    m_control.IsetUserQuestion(test::sjis(u8"営業時間を教えてください").c_str());
    EXPECT_EQ(text(m_control.IgetReplyInfo()), u"平日の営業時間は午前７時から午後７時までです。土曜日と日曜日の営業時間もお知らせしましょうか？");
    EXPECT_EQ(text(m_control.IgetExtensionInfo(test::sjis(u8"表情").c_str())), u"普通");
    EXPECT_EQ(text(m_control.IgetErrorMessage()), u"");
    EXPECT_EQ(m_clock.elapsedMillis(), 0);
}

TEST_F(COrvaneCtrlTest, KnowledgeIsFetchedFromTheUrlAndKeptUnderAPlainPath)
{
    test::HttpTestServer server;
    server.serve("/kb/index.pdata", test::readFile(m_sample));
    const std::string odd = m_cache.home() + "/odd:;name.pdata";
    std::filesystem::copy_file(m_sample, odd);
    for (const std::string& url : {server.url("/kb/index.pdata"), "file://" + odd}) {
        ASSERT_EQ(m_control.Iinitialize(url.c_str()), 1) << url;
        const std::string& local = m_control.dialog()->knowledgeFile();
        EXPECT_EQ(local.rfind(m_cache.folder(), 0), 0u) << local;
        EXPECT_EQ(local.find_first_of(":;"), std::string::npos) << local;
        EXPECT_EQ(test::readFile(local), test::readFile(m_sample));
    }
    // The two copies, and what the download's server said of its own.
    EXPECT_EQ(m_cache.files().size(), 3u);

    // The page names a local file in Shift_JIS; it is used in place.
    const std::string japanese = m_cache.home() + test::utf8(u8"/知識.pdata");
    std::filesystem::copy_file(m_sample, japanese);
    ASSERT_EQ(m_control.Iinitialize(platform::convertWithIconv("CP932", "UTF-8", japanese).c_str()), 1);
    EXPECT_EQ(m_control.dialog()->knowledgeFile(), japanese);
}

TEST_F(COrvaneCtrlTest, AFailedInitialisationTellsThePageWhyAndOnlyTheLastOne)
{
    test::HttpTestServer server;
    const std::string missingUrl = server.url("/missing.pdata");
    const std::string missingFile = m_cache.home() + test::utf8(u8"/知識.pdata");
    const auto error = [this] { return platform::bstrToUtf8(m_control.IgetErrorMessage()); };

    EXPECT_EQ(m_control.Iinitialize(missingUrl.c_str()), 0);
    EXPECT_EQ(error().rfind("download error: " + missingUrl + ": ", 0), 0u) << error();
    EXPECT_NE(error().find("404"), std::string::npos) << error();
    // The reason reaches the page in Shift_JIS, like every text of the control.
    EXPECT_EQ(m_control.Iinitialize(platform::convertWithIconv("CP932", "UTF-8", missingFile).c_str()), 0);
    EXPECT_EQ(error(), "download error: no readable file at " + missingFile);
    EXPECT_EQ(m_control.Iinitialize(""), 0);
    EXPECT_EQ(error(), "");

    {
        test::TempRegistry noInstall(test::productSection());
        EXPECT_EQ(m_control.Iinitialize(m_sample.c_str()), 0);
        EXPECT_EQ(error(), "install path error");
        EXPECT_EQ(m_control.Iinitialize(missingUrl.c_str()), 0);
        EXPECT_EQ(error().rfind("download error: ", 0), 0u) << error();
    }
    // A start that succeeds reports no earlier error.
    ASSERT_EQ(m_control.Iinitialize(m_sample.c_str()), 1);
    EXPECT_EQ(error(), "");

    // A file that is no knowledge base starts no session: the page learns
    // what failed and which file.
    const std::string broken = m_cache.home() + "/broken.pdata";
    std::ofstream(broken) << "not knowledge";
    EXPECT_EQ(m_control.Iinitialize(broken.c_str()), 0);
    EXPECT_EQ(error(), "the knowledge file " + broken + " is too short to be a knowledge file");
    EXPECT_EQ(platform::bstrToUtf8(m_control.IgetReplyInfo()), "");
}

}  // namespace
}  // namespace quibo::orvane
