#include "pagemaker/ShellOperations.h"

#include "tests/support/InstallTree.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace quibo::pagemaker {
namespace {

using test::TempFolder;

TEST(ShellOperationsTest, ClearFolderEmptiesOnlyFoldersInsideTheWorkArea)
{
    TempFolder tmp;
    test::WorkingDirectory keep(std::filesystem::current_path().string());
    const std::string area = tmp.path("area");
    tmp.write("area/test/quibo/x.js", "x");
    tmp.write("outside/keep", "k");
    std::filesystem::create_directory_symlink(tmp.path("outside"), area + "/link");
    for (const std::string& refused : {std::string(), std::string("/"), area, area + "/", tmp.path("outside"),
                                       area + "/../outside", area + "/link", area + "/missing"}) {
        EXPECT_FALSE(clearFolder(refused, area)) << refused;
    }
    EXPECT_EQ(tmp.read("outside/keep"), "k");
    ASSERT_TRUE(clearFolder(area + "/test", area));
    EXPECT_TRUE(std::filesystem::is_empty(area + "/test"));
    EXPECT_EQ(std::filesystem::current_path(), area);
    struct stat st;
    ASSERT_EQ(::stat((area + "/test").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(ShellOperationsTest, LinksAreNeverFollowed)
{
    TempFolder tmp;
    tmp.write("target/secret", "s");
    tmp.write("from/page.html", "p");
    tmp.write("from/sub/deep.js", "d");
    std::filesystem::create_directory_symlink(tmp.path("target"), tmp.path("from/linkdir"));
    std::filesystem::create_symlink(tmp.path("target/secret"), tmp.path("from/linkfile"));
    ASSERT_TRUE(copyFolderContents(tmp.path("from"), tmp.path("to")));
    EXPECT_EQ(tmp.read("to/sub/deep.js"), "d");
    EXPECT_FALSE(pathExists(tmp.path("to/linkdir")));
    EXPECT_FALSE(pathExists(tmp.path("to/linkfile")));

    // A link where a copied file goes is replaced, not written through.
    std::filesystem::remove(tmp.path("to/page.html"));
    std::filesystem::create_symlink(tmp.path("target/secret"), tmp.path("to/page.html"));
    ASSERT_TRUE(copyFolderContents(tmp.path("from"), tmp.path("to")));
    EXPECT_EQ(tmp.read("target/secret"), "s");
    EXPECT_EQ(tmp.read("to/page.html"), "p");

    ASSERT_TRUE(deletePath(tmp.path("from")));
    EXPECT_EQ(tmp.read("target/secret"), "s");
    EXPECT_FALSE(deletePath(tmp.path("from")));
}

}  // namespace
}  // namespace quibo::pagemaker
