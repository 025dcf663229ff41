#include "pagemaker/PageBuilder.h"

#include "pagemaker/ShellOperations.h"
#include "pagemaker/Tar32Library.h"

#include "tests/support/InstallTree.h"
#include "tests/support/PellmintTree.h"
#include "tests/support/TarWriter.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <filesystem>

namespace quibo::pagemaker {
namespace {

using test::PellmintTree;
using test::RecordingBrowser;
using test::TempFolder;
using test::commandOutput;

class PageBuilderTest : public ::testing::Test {
protected:
    void start()
    {
        ASSERT_TRUE(builder.init(&browser, tree.workArea()));
    }
    int indexOf(const std::string& name)
    {
        std::vector<std::string> names;
        builder.templateNames(names);
        return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
    }

    test::WorkingDirectory keepDirectory{std::filesystem::current_path().string()};
    PellmintTree tree;
    RecordingBrowser browser;
    std::vector<std::string> messages;
    PageBuilder builder{[this](const std::string& text) { messages.push_back(text); }};
};

TEST_F(PageBuilderTest, ListsTemplateFoldersByNameAndDropsOverlongOnesWithOneNotice)
{
    std::filesystem::create_directory(tree.templateRoot() + "/Zeta");
    std::filesystem::create_directory(tree.templateRoot() + "/alpha");
    tree.root().write("install/QUIBO3.1/pellmint/readme.txt", "not a template");
    const std::size_t room = MAX_PATH_LENGTH - (tree.templateRoot() + "/" + "/thumbnail/view.html").size();
    std::filesystem::create_directory(tree.templateRoot() + "/" + std::string(room, 'a'));
    std::filesystem::create_directory(tree.templateRoot() + "/" + std::string(room + 1, 'b'));
    std::filesystem::create_directory(tree.templateRoot() + "/" + std::string(room + 2, 'c'));
    start();

    std::vector<std::string> names;
    builder.templateNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{std::string(room, 'a'), "alpha", "simple", "standard", "Zeta"}));
    EXPECT_EQ(messages, std::vector<std::string>{"不正なテンプレートパスを削除しました"});
    ASSERT_EQ(browser.pages.size(), 1u);
    EXPECT_EQ(browser.pages[0].size(), MAX_PATH_LENGTH);

    EXPECT_TRUE(builder.showThumbnail(indexOf("simple")));
    EXPECT_EQ(browser.pages.back(), tree.templateRoot() + "/simple/thumbnail/view.html");
    EXPECT_TRUE(builder.showThumbnail(99));  // out of range: nothing changes
    EXPECT_EQ(builder.current(), indexOf("simple"));
}

TEST_F(PageBuilderTest, AnInstallWithoutTemplatesShowsNothingAndCannotPrepare)
{
    std::filesystem::remove_all(tree.templateRoot());
    start();
    EXPECT_TRUE(browser.pages.empty());
    tree.root().write("work/test/leftover.txt", "x");
    EXPECT_FALSE(builder.prepareWorkFolder());
    EXPECT_EQ(tree.root().listing(), "install\ninstall/QUIBO3.1\nwork\nwork/test\n");
}

TEST_F(PageBuilderTest, PreparesTheChosenTemplateWithoutThumbnailCaches)
{
    start();
    tree.root().write("work/test/old.txt", "from the last run");
    builder.showThumbnail(indexOf("standard"));
    ASSERT_TRUE(builder.prepareWorkFolder());
    EXPECT_EQ(TempFolder::readFile(tree.workFolder() + "/index.html"),
              TempFolder::readFile(tree.templateRoot() + "/standard/parts/index.html"));
    std::vector<std::string> names;
    ASSERT_TRUE(folderEntries(tree.workFolder(), names));
    EXPECT_EQ(names, (std::vector<std::string>{"index.html", "mp3player.swf", "quibo"}));
    ASSERT_TRUE(folderEntries(tree.workFolder() + "/quibo", names));
    EXPECT_EQ(names, (std::vector<std::string>{"lib_chat.js", "lib_chats.js", "orvane_host.js", "page.js"}));

    ASSERT_TRUE(builder.switchScripts(true));
    EXPECT_EQ(TempFolder::readFile(tree.workFolder() + "/quibo/lib_chat.js"),
              TempFolder::readFile(tree.templateRoot() + "/standard/parts/quibo/lib_chats.js"));
    EXPECT_TRUE(builder.removePlayer());
    EXPECT_FALSE(pathExists(tree.workFolder() + "/mp3player.swf"));
    EXPECT_TRUE(builder.removePlayer());
}

TEST_F(PageBuilderTest, CustomJsOfBothModesIsByteExact)
{
    start();
    std::filesystem::create_directories(tree.workFolder() + "/quibo");
    builder.inputStyle().colour = 0xFF;      // red
    builder.replyStyle().colour = 0xFF0000;  // blue
    builder.replyStyle().face.clear();
    builder.setPdataName("sample.pdata");
    PackageSettings local{0, "quibo1", "/servlet++/omi_service", "chat", "https://example.org/setup"};
    PackageSettings server = local;
    server.mode = 1;
    const std::string styles = "changeQuiboFont(\"quibo-input\", \"'ＭＳ ゴシック'\") ;\n"
                               "changeQuiboColor(\"quibo-input\", \"#ff0000\") ;\n"
                               "changeQuiboColor(\"quibo-output\", \"#0000ff\") ;\n";
    ASSERT_TRUE(builder.writeCustomJs(local));
    EXPECT_EQ(TempFolder::readFile(tree.workFolder() + "/quibo/custom.js"),
              "var\tquibo_pdata_name = \"\" ;\nvar\torvane_download_url = \"\" ;\n"
              "function\tquiboCustom()\n{\nquibo_pdata_name = \"sample.pdata\" ;\n" + styles +
              "orvane_download_url = \"https://example.org/setup\" ;\n}\n");
    ASSERT_TRUE(builder.writeCustomJs(server));
    EXPECT_EQ(TempFolder::readFile(tree.workFolder() + "/quibo/custom.js"),
              "var\tquibo_server_name = \"\" ;\nvar\tquibo_servlet_name = \"\" ;\nvar\tquibo_chat_name = \"\" ;\n"
              "function\tquiboCustom()\n{\n" + styles +
              "quibo_server_name = \"quibo1\" ;\nquibo_servlet_name = \"/servlet++/omi_service\" ;\n"
              "quibo_chat_name = \"chat\" ;\n}\n");
}

// node runs custom.js with the template's helpers stubbed and prints what it
// set: every value arrives intact, whatever it holds.
TEST_F(PageBuilderTest, CustomJsValuesStayInsideTheirStringsWhenNodeRunsThem)
{
    start();
    std::filesystem::create_directories(tree.workFolder() + "/quibo");
    const std::string hostile = "a\"b\\c\nd\r</script><b>\xE2\x80\xA8" "e";
    builder.setPdataName("x\".pdata");
    builder.replyStyle().face = "Face\"'";
    const std::string script = tree.workFolder() + "/quibo/custom.js";
    const std::string stubs = "const set = [];"
                              "globalThis.changeQuiboFont = (n, f) => set.push(['font', n, f]);"
                              "globalThis.changeQuiboColor = (n, c) => set.push(['color', n, c]);";
    for (int mode : {0, 1}) {
        SCOPED_TRACE(mode);
        ASSERT_TRUE(builder.writeCustomJs({mode, hostile, hostile, hostile, hostile}));
        EXPECT_EQ(commandOutput("node --check '" + script + "' 2>&1 && echo checked"), "checked\n");
        const std::string variables = mode == 1 ? "[quibo_server_name, quibo_servlet_name, quibo_chat_name]"
                                                : "[quibo_pdata_name, orvane_download_url]";
        const std::string program = stubs + "require('vm').runInThisContext(require('fs').readFileSync('" +
                                    script + "', 'utf8')); quiboCustom();"
                                    "console.log(JSON.stringify([" + variables + ", set]));";
        tree.root().write("run.js", program);
        const std::string h = "a\\\"b\\\\c\\nd\\r</script><b>\xE2\x80\xA8" "e";
        const std::string set = "[[\"font\",\"quibo-input\",\"'ＭＳ ゴシック'\"],[\"color\",\"quibo-input\",\"#000000\"],"
                                "[\"font\",\"quibo-output\",\"'Face\\\"''\"],[\"color\",\"quibo-output\",\"#000000\"]]";
        const std::string expected = mode == 1 ? "[[\"" + h + "\",\"" + h + "\",\"" + h + "\"]," + set + "]\n"
                                               : "[[\"x\\\".pdata\",\"" + h + "\"]," + set + "]\n";
        EXPECT_EQ(commandOutput("node '" + tree.root().path("run.js") + "'"), expected);
    }
}

TEST_F(PageBuilderTest, ListFileLeavesOutKnowledgeFilesAndThePackageUnpacksWithTheSystemTar)
{
    start();
    builder.showThumbnail(indexOf("simple"));
    ASSERT_TRUE(builder.prepareWorkFolder());
    for (const char* name : {"sample.pdata", "data.PDATA", "notes.kb.txt", "a.kbx", "a/b/deep.txt"}) {
        tree.root().write(std::string("work/test/") + name, name);
    }
    const std::string package = tree.root().path("out dir/sample.tgz");
    std::filesystem::create_directory(tree.root().path("out dir"));
    ASSERT_TRUE(builder.makeArchive(package, true));
    EXPECT_EQ(std::filesystem::current_path(), tree.workFolder());
    const std::string listed =
        "a/b/deep.txt\ndata.PDATA\nindex.html\nquibo/lib_chat.js\nquibo/lib_chats.js\nquibo/orvane_host.js\nquibo/page.js\n";
    EXPECT_EQ(tree.root().read("work/quibo_tgz.in"),
              "--\r\n\"a/b/deep.txt\"\r\n\"data.PDATA\"\r\n\"index.html\"\r\n\"quibo/lib_chat.js\"\r\n"
              "\"quibo/lib_chats.js\"\r\n\"quibo/orvane_host.js\"\r\n\"quibo/page.js\"\r\n");
    EXPECT_EQ(commandOutput("tar -tzf '" + package + "' | sort"), listed);

    // Local mode packs the knowledge file too.
    ASSERT_TRUE(builder.makeArchive(package, false));
    EXPECT_NE(commandOutput("tar -tzf '" + package + "'").find("sample.pdata\n"), std::string::npos);
}

TEST_F(PageBuilderTest, AFailedPackageLeavesTheOldOneInPlace)
{
    start();
    ASSERT_TRUE(builder.prepareWorkFolder());
    const std::string package = tree.root().write("out/pkg.tgz", "the good package");
    builder.setArchiver("libno-such-archiver.so");
    EXPECT_FALSE(builder.makeArchive(package, false));
    builder.setArchiver("libz.so.1");  // loads, but has no Tar
    EXPECT_FALSE(builder.makeArchive(package, false));
    builder.setArchiver(TAR32_LIBRARY);
    EXPECT_FALSE(builder.makeArchive(tree.root().path("out/q\"uote.tgz"), false));
    tree.root().write("work/test/bad\nname.txt", "x");
    EXPECT_FALSE(builder.makeArchive(package, false));
    EXPECT_EQ(tree.root().listing().find("out/pkg.tgz."), std::string::npos);  // no temporary left
    EXPECT_EQ(tree.root().read("out/pkg.tgz"), "the good package");
}

TEST_F(PageBuilderTest, ExtractionFailsWhenAMemberDidNotArriveOrTheArchiverIsLacking)
{
    start();
    ASSERT_TRUE(builder.prepareWorkFolder());
    const std::string res = test::sampleResource();
    EXPECT_TRUE(builder.checkResource(res));
    ASSERT_TRUE(builder.extractResource(res));
    EXPECT_TRUE(builder.existsInWork("sample.pdata"));

    const std::string hostile = tree.root().path("hostile.res");
    ASSERT_TRUE(test::writeTar(hostile, {{"fine.txt", "x"}, {"../escape.txt", "x"}}));
    EXPECT_TRUE(builder.checkResource(hostile));  // sound as an archive, refused when extracted
    EXPECT_FALSE(builder.extractResource(hostile));
    EXPECT_FALSE(pathExists(tree.workArea() + "/escape.txt"));
    EXPECT_FALSE(builder.extractResource(tree.root().write("q\"uote.res", "")));

    builder.setArchiver("libfaketar32.so");
    EXPECT_FALSE(builder.checkResource(res));    // no TarCheckArchive
    EXPECT_FALSE(builder.extractResource(res));  // "ghost.pdata" never arrived
    builder.setArchiver("libno-such-archiver.so");
    EXPECT_FALSE(builder.checkResource(res));
    EXPECT_FALSE(builder.extractResource(res));
}

// Each step loads the archiver and lets it go again, whichever of its places
// it came from: beside the program, or the install tree's QUIBO3.1 folder
// (a name only the install tree holds).
TEST_F(PageBuilderTest, TheArchiverIsReleasedAfterEveryStepWhereverItWasFound)
{
    const std::string beside = std::string(QUIBO_BINARY_DIR) + "/pagemaker/" + TAR32_LIBRARY;
    const std::string installed = tree.root().path("install/QUIBO3.1/libtar32-installed.so");
    std::filesystem::copy_file(beside, installed);
    const auto loaded = [](const std::string& path) {
        void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (handle != nullptr) {
            ::dlclose(handle);
        }
        return handle != nullptr;
    };
    start();
    const std::string res = test::sampleResource();
    const std::string package = tree.root().path("sample.tgz");
    for (const auto& [name, path] : {std::pair<std::string, std::string>{TAR32_LIBRARY, beside},
                                     {"libtar32-installed.so", installed}}) {
        SCOPED_TRACE(path);
        void* held = ::dlopen(path.c_str(), RTLD_NOW);
        ASSERT_TRUE(loaded(path));  // the probe sees a library that is loaded
        ::dlclose(held);
        ASSERT_FALSE(loaded(path));
        builder.setArchiver(name);
        ASSERT_TRUE(builder.prepareWorkFolder());
        EXPECT_TRUE(builder.checkResource(res));
        EXPECT_FALSE(loaded(path));
        EXPECT_TRUE(builder.extractResource(res));
        EXPECT_FALSE(loaded(path));
        EXPECT_TRUE(builder.makeArchive(package, false));
        EXPECT_FALSE(loaded(path));
    }
}

TEST_F(PageBuilderTest, KnowledgeFilesAreFoundAndRenamedWithoutOverwriting)
{
    start();
    tree.root().write("work/test/b.PDATA", "b");
    tree.root().write("work/test/c.pdata", "c");
    std::filesystem::create_directory(tree.workFolder() + "/a.pdata");
    std::string found;
    ASSERT_TRUE(builder.findPdata(found));
    EXPECT_EQ(found, tree.workFolder() + "/b.PDATA");
    EXPECT_FALSE(builder.renameInWork("c.pdata", "b.PDATA"));
    EXPECT_EQ(tree.root().read("work/test/c.pdata"), "c");
    const std::string longest(MAX_PATH_LENGTH - tree.workFolder().size() - 1, 'n');
    EXPECT_TRUE(builder.fitsInWork(longest));
    EXPECT_FALSE(builder.renameInWork(longest + "n", "b.PDATA"));
    EXPECT_TRUE(builder.renameInWork("d.pdata", "b.PDATA"));
    EXPECT_EQ(tree.root().read("work/test/d.pdata"), "b");
}

TEST(PageBuilderTextTest, Utf8ChecksItsInput)
{
    EXPECT_EQ(toUtf8("ＭＳ ゴシック"), "ＭＳ ゴシック");
    for (const char* bad : {"\x82\xa0", "\xC0\xAF", "\xED\xA0\x80", "\xE3\x81"}) {
        EXPECT_EQ(toUtf8(bad), "") << bad;
    }
}

}  // namespace
}  // namespace quibo::pagemaker
