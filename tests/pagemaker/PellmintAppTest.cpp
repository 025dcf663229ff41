#include "pagemaker/PellmintApp.h"

#include "tests/support/InstallTree.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace quibo::pagemaker {
namespace {

using test::TempFolder;

TEST(PellmintAppTest, LeftoverWorkAreasAreSkippedByTheirSuffix)
{
    TempFolder tmp;
    const std::string folder = tmp.path() + "/";
    std::filesystem::create_directory(folder + "pellmint1234");
    std::filesystem::create_directory(folder + "pellmint1234_0");
    tmp.write("pellmint1234_0/keep", "an earlier run's");
    PellmintApp app;
    ASSERT_TRUE(app.createWorkArea(folder, 1234));
    EXPECT_EQ(app.workArea(), folder + "pellmint1234_1");
    struct stat st;
    ASSERT_EQ(::stat(app.workArea().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    PellmintApp second;
    ASSERT_TRUE(second.createWorkArea(folder, 99));
    EXPECT_EQ(second.workArea(), folder + "pellmint99");
    EXPECT_FALSE(PellmintApp().createWorkArea(folder + "missing/", 1));
    EXPECT_EQ(tmp.read("pellmint1234_0/keep"), "an earlier run's");
}

TEST(PellmintAppTest, RemovingTheWorkAreaTakesEverythingInItAndNothingElse)
{
    TempFolder tmp;
    test::WorkingDirectory keep(std::filesystem::current_path().string());
    PellmintApp app;
    ASSERT_TRUE(app.createWorkArea(tmp.path() + "/", 7));
    tmp.write("pellmint7/test/quibo/custom.js", "var a;");
    tmp.write("pellmint7/quibo_tgz.in", "--\r\n");
    tmp.write("sample.tgz", "package");
    std::filesystem::current_path(tmp.path("pellmint7/test"));
    app.removeWorkArea();
    EXPECT_EQ(tmp.listing(), "sample.tgz\n");
    EXPECT_EQ(std::filesystem::current_path(), tmp.path());
}

}  // namespace
}  // namespace quibo::pagemaker
