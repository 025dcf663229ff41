#include "pagemaker/PellmintDlg.h"

#include "pagemaker/ShellOperations.h"
#include "tests/support/InstallTree.h"
#include "tests/support/PellmintTree.h"
#include "tests/support/ScriptedFront.h"
#include "tests/support/TarWriter.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace quibo::pagemaker {
namespace {

using test::TempFolder;

const std::string NO_RESOURCE = "リソースファイルが指定されていません。";
const std::string MADE = "パッケージを作成しました。";

std::string packageListing(const std::string& package)
{
    return test::commandOutput("tar -tzf '" + package + "' | sort");
}

class PellmintDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dlg.initDialog());
        std::filesystem::create_directory(tree.root().path("res"));
        std::filesystem::copy_file(test::sampleResource(), resource());
    }
    std::string resource() const { return tree.root().path("res/sample.res"); }
    std::string customJs() const { return TempFolder::readFile(tree.workFolder() + "/quibo/custom.js"); }
    // A resource file holding `members` in the resource folder.
    std::string resourceHolding(const std::string& name, const std::vector<test::TarMember>& members)
    {
        const std::string path = tree.root().path("res/" + name);
        EXPECT_TRUE(test::writeTar(path, members));
        return path;
    }

    test::WorkingDirectory keepDirectory{std::filesystem::current_path().string()};
    test::PellmintTree tree;
    test::ScriptedFront front;
    test::RecordingBrowser browser;
    PellmintDlg dlg{front, &browser, tree.workArea(), tree.root().path()};
};

TEST_F(PellmintDlgTest, SettingsAreCheckedBeforeAnyFileWork)
{
    struct Case {
        int serverMode;
        std::string chatName;
        std::string downloadUrl;
        std::string message;
    };
    const std::string forbidden = "チャット名に使用できない文字が含まれています。\n"
                                  "全角文字、半角カタカナ、記号 /><?:\"\\*|; は使用できません";
    const std::vector<Case> cases = {
        {1, std::string(32, 'a'), "", NO_RESOURCE},
        {1, std::string(33, 'a'), "", "入力されたチャット名が長すぎます。短くしてからやり直して下さい。"},
        {1, "チャ", "", forbidden},
        {1, "ｶﾅ", "", forbidden},
        {1, "a;b", "", forbidden},
        {0, std::string(40, ';'), "", NO_RESOURCE},
        {0, "", "http://x/\"", "ダウンロードサイトのURLに記号 \" は使用できません。\n"},
        {1, "chat", "http://x/\"", NO_RESOURCE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chatName + " " + c.downloadUrl);
        front.shown.clear();
        dlg.m_serverMode = c.serverMode;
        dlg.m_chatName = c.chatName;
        dlg.m_downloadUrl = c.downloadUrl;
        std::string name;
        EXPECT_FALSE(dlg.validateAndPrepare(name, false));
        EXPECT_EQ(front.shown, std::vector<std::string>{c.message});
    }
    for (const char* passes : {"\x80", "\xA0", "a-b_c.d"}) {
        EXPECT_FALSE(PellmintDlg::containsForbidden(passes));
    }
    for (const char* refused : {"\x81", "\xDF", "\xE0", "*", "\\"}) {
        EXPECT_TRUE(PellmintDlg::containsForbidden(refused));
    }
}

TEST_F(PellmintDlgTest, ResourceFilesAreCheckedExtractedAndTheirKnowledgeFileFound)
{
    const std::string other = resourceHolding("other.res", {{"other.pdata", "k"}, {"img/a.png", "p"}});
    const std::string none = resourceHolding("none.res", {{"readme.txt", "r"}});
    const std::string hostile = resourceHolding("hostile.res", {{"x.pdata", "k"}, {"/tmp/x", "x"}});
    const std::string quoted = resourceHolding("quoted.res", {{"x.pdata", "k"}, {"a\"b.html", "q"}});
    const std::string text = tree.root().write("res/text.res", "plain text");
    std::filesystem::copy_file(resource(), tree.root().path("res/upper.RES"));
    const std::string missing = tree.root().path("res/missing.res");
    struct Case {
        std::string path;
        std::string message;  // empty: accepted
        std::string pdata;
    };
    const std::vector<Case> cases = {
        {"  " + resource() + "\t", "", "sample.pdata"},
        {"res/sample.res", "", "sample.pdata"},  // relative to the folder Pellmint started in
        {tree.root().path("res/upper.RES"), "", "sample.pdata"},
        {other, "", "other.pdata"},
        {tree.root().path("res/sample.tar"), NO_RESOURCE, ""},
        {missing, "指定されたリソースファイルが見つかりません。", ""},
        // A refusal names the member and the reason.
        {text, "リソースファイルでエラーが発生しました。\n" + text + " is not a whole tar archive", ""},
        {hostile, "リソースファイルの展開中にエラーが発生しました。\nthe member /tmp/x is absolute or leaves its folder", ""},
        {quoted,
         "リソースファイルの展開中にエラーが発生しました。\nthe member a\"b.html holds a double quote or a line end, "
         "which a package cannot carry",
         ""},
        {none, "リソースファイル中にpdataファイルが見つかりません。", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        front.shown.clear();
        dlg.m_resourcePath = c.path;
        tree.root().write("work/test/marker", "");
        std::string name;
        EXPECT_EQ(dlg.validateAndPrepare(name, true), c.message.empty());
        if (c.message.empty()) {
            EXPECT_TRUE(front.shown.empty());
            EXPECT_NE(customJs().find("quibo_pdata_name = \"" + c.pdata + "\""), std::string::npos);
            EXPECT_EQ(dlg.m_resourcePath.front(), '/');
        } else {
            EXPECT_EQ(front.shown, std::vector<std::string>{c.message});
        }
        // Paths refused by their name, or missing, never reach the file work.
        EXPECT_EQ(pathExists(tree.workFolder() + "/marker"), c.message == NO_RESOURCE || c.path == missing);
    }
}

TEST_F(PellmintDlgTest, MakeWritesALocalPackageBesideTheResourceAndAsksBeforeOverwriting)
{
    dlg.m_resourcePath = resource();
    dlg.onTemplateChange(1);  // standard: with a player and thumbnail caches
    ASSERT_EQ(dlg.templates().at(1), "standard");
    dlg.make();
    const std::string package = tree.root().path("res/sample.tgz");
    EXPECT_EQ(front.shown, std::vector<std::string>{MADE});
    EXPECT_EQ(packageListing(package), "index.html\nquibo/custom.js\nquibo/lib_chat.js\nquibo/orvane_host.js\nquibo/page.js\nsample.pdata\n");

    test::TempFolder unpacked;
    ASSERT_EQ(std::system(("tar -xzf '" + package + "' -C '" + unpacked.path() + "'").c_str()), 0);
    EXPECT_EQ(unpacked.read("sample.pdata"), TempFolder::readFile(tree.workFolder() + "/sample.pdata"));
    EXPECT_EQ(unpacked.read("quibo/lib_chat.js"),
              TempFolder::readFile(tree.templateRoot() + "/standard/parts/quibo/lib_chat.js"));

    front.shown.clear();
    front.okCancel = {false, true};
    const auto before = std::filesystem::last_write_time(package);
    dlg.make();
    EXPECT_EQ(front.shown,
              std::vector<std::string>{"パッケージファイル（sample.tgz）が存在します。\n上書きしてもいいですか？"});
    EXPECT_EQ(std::filesystem::last_write_time(package), before);
    dlg.make();
    EXPECT_EQ(front.shown.back(), MADE);
}

TEST_F(PellmintDlgTest, ServerPackagesCarryTheServerScriptAndNoKnowledgeFile)
{
    dlg.m_resourcePath = resource();
    dlg.onServerToggle();
    dlg.m_chatName = "bakery";
    dlg.onTemplateChange(1);
    dlg.make();
    EXPECT_EQ(front.shown, std::vector<std::string>{MADE});
    EXPECT_EQ(packageListing(tree.root().path("res/sample.tgz")),
              "index.html\nmp3player.swf\nquibo/custom.js\nquibo/lib_chat.js\nquibo/orvane_host.js\nquibo/page.js\n");
    EXPECT_NE(customJs().find("quibo_chat_name = \"bakery\" ;\n"), std::string::npos);

    // A test always builds the local variant, after a note on what it is.
    front.shown.clear();
    dlg.test();
    ASSERT_EQ(front.shown.size(), 1u);
    EXPECT_EQ(front.shown[0].rfind("ここで行われるのは、", 0), 0u);
    EXPECT_EQ(front.testPages, std::vector<std::string>{tree.workFolder() + "/index.html"});
    EXPECT_NE(customJs().find("quibo_pdata_name = \"sample.pdata\""), std::string::npos);
    EXPECT_TRUE(pathExists(tree.workFolder() + "/quibo/lib_chats.js"));
}

TEST_F(PellmintDlgTest, AKnowledgeFileWithAForbiddenNameIsRenamedOnlyForAPackage)
{
    const std::string res = resourceHolding("知識.res", {{"知識.pdata", "k"}});
    dlg.m_resourcePath = res;
    const std::string tooLong(MAX_PATH_LENGTH, 'n');
    front.pdataNames = {"bad;name", tooLong, std::nullopt};
    dlg.make();
    EXPECT_EQ(front.shown, (std::vector<std::string>{"[pdata 知識 -> quibo]", "[pdata 知識 -> bad;name]",
                                                     "ファイル名が長すぎます。",
                                                     "[pdata 知識 -> " + tooLong + "]"}));

    front.shown.clear();
    front.pdataNames = {"mychat"};
    dlg.make();
    EXPECT_EQ(front.shown, (std::vector<std::string>{"[pdata 知識 -> quibo]", MADE}));
    EXPECT_EQ(packageListing(tree.root().path("res/mychat.tgz")),
              "index.html\nmychat.pdata\nquibo/custom.js\nquibo/lib_chat.js\nquibo/orvane_host.js\nquibo/page.js\n");

    front.shown.clear();
    dlg.test();
    EXPECT_TRUE(front.shown.empty());
    EXPECT_NE(customJs().find("quibo_pdata_name = \"知識.pdata\""), std::string::npos);

    // A new name that the resource already holds is never overwritten.
    resourceHolding("知識.res", {{"知識.pdata", "k"}, {"mychat.pdata", "another knowledge file"}});
    std::filesystem::remove(tree.root().path("res/mychat.tgz"));
    front.shown.clear();
    front.pdataNames = {"mychat"};
    dlg.make();
    EXPECT_EQ(front.shown, (std::vector<std::string>{"[pdata 知識 -> quibo]", "pdataファイル名の変更に失敗しました。"}));
    EXPECT_EQ(TempFolder::readFile(tree.workFolder() + "/mychat.pdata"), "another knowledge file");
    EXPECT_EQ(TempFolder::readFile(tree.workFolder() + "/知識.pdata"), "k");
    EXPECT_FALSE(pathExists(tree.root().path("res/mychat.tgz")));
}

TEST_F(PellmintDlgTest, AnEmptyDownloadAddressIsFilledFromTheRegistryOrTheBuiltInOne)
{
    dlg.m_resourcePath = resource();
    EXPECT_EQ(dlg.m_downloadUrl, BUILT_IN_DOWNLOAD_URL);
    test::TempRegistry registry(test::productSection() + "OrvaneDefaultDlUrl=https://dl.example/p\n");
    dlg.m_downloadUrl.clear();
    std::string name;
    ASSERT_TRUE(dlg.validateAndPrepare(name, true));
    EXPECT_EQ(dlg.m_downloadUrl, "https://dl.example/p");
    EXPECT_NE(customJs().find("orvane_download_url = \"https://dl.example/p\" ;\n"), std::string::npos);
}

TEST_F(PellmintDlgTest, ServerModeEnablesItsSettingsAndDisablesTheDownloadAddress)
{
    const std::vector<int> serverSettings = {1026, 1053, 1027, 1018, 1028, 1019};
    const std::vector<int> downloadAddress = {1056, 1055};
    const std::vector<int> always = {1052, 1012, 1004, 1005, 1017, 1006, 1007, 1013, 1008, 2};
    for (const int serverMode : {0, 1, 0}) {  // off after initialisation, then toggled twice
        SCOPED_TRACE(serverMode);
        if (dlg.m_serverMode != serverMode) {
            dlg.onServerToggle();
        }
        ASSERT_EQ(dlg.m_serverMode, serverMode);
        for (const int id : serverSettings) {
            EXPECT_EQ(dlg.isEnabled(id), serverMode == 1) << id;
        }
        for (const int id : downloadAddress) {
            EXPECT_EQ(dlg.isEnabled(id), serverMode == 0) << id;
        }
        for (const int id : always) {
            EXPECT_TRUE(dlg.isEnabled(id)) << id;
        }
    }
}

TEST_F(PellmintDlgTest, DroppedFilesAndKeys)
{
    dlg.m_resourcePath = "old.res";
    dlg.onDroppedFiles({"/x/notes.txt", "/x/a.res"});
    EXPECT_EQ(front.shown, std::vector<std::string>{"リソースファイルを指定してください。"});
    EXPECT_EQ(dlg.m_resourcePath, "old.res");
    dlg.onDroppedFiles({"/x/b.Res", "/x/c.txt"});
    EXPECT_EQ(dlg.m_resourcePath, "/x/b.Res");

    // The file dialog opens where the typed path points, or where Pellmint
    // started; never in the work area the builder leaves current.
    front.chosenFiles = {std::nullopt, std::nullopt, std::string("/x/d.res")};
    dlg.m_resourcePath = resource();
    dlg.onBrowse();
    dlg.m_resourcePath = "res/none.res";
    dlg.onBrowse();
    ASSERT_TRUE(std::filesystem::exists(tree.workArea()));
    std::filesystem::current_path(tree.workArea());
    dlg.m_resourcePath = tree.workFolder() + "/sample.res";
    dlg.onBrowse();
    EXPECT_EQ(front.chooserFolders, (std::vector<std::string>{tree.root().path("res/"), tree.root().path() + "/res/",
                                                              tree.root().path()}));
    EXPECT_EQ(dlg.m_resourcePath, "/x/d.res");

    EXPECT_TRUE(PellmintDlg::swallowsKey(Key::Enter, false));
    EXPECT_TRUE(PellmintDlg::swallowsKey(Key::Escape, false));
    EXPECT_TRUE(PellmintDlg::swallowsKey(Key::Other, true));
    EXPECT_FALSE(PellmintDlg::swallowsKey(Key::EditLetter, false));
}

TEST(PellmintDlgInitTest, WithoutAPreviewTheWindowGoesWithOneMessage)
{
    test::PellmintTree tree;
    test::ScriptedFront front;
    PellmintDlg dlg(front, nullptr, tree.workArea(), "");
    EXPECT_FALSE(dlg.initDialog());
    EXPECT_EQ(front.shown, std::vector<std::string>{"初期化に失敗しました。"});
}

}  // namespace
}  // namespace quibo::pagemaker
