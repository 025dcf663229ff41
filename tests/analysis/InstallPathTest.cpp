#include "analysis/InstallPath.h"

#include "tests/support/TempRegistry.h"

#include <gtest/gtest.h>

namespace quibo {
namespace {

using test::TempRegistry;
using test::utf8;

const std::string PRODUCT_SECTION = utf8(u8"[HKEY_LOCAL_MACHINE\\SOFTWARE\\NEVLA\\QUIBOシステム\\3.1]\n");

TEST(InstallPathTest, ReadsTheStoredDirectoryAsItIs)
{
    TempRegistry registry(PRODUCT_SECTION + "INSTALLPATH=/opt/quibo/\n");
    EXPECT_EQ(installPath(), "/opt/quibo/");
}

TEST(InstallPathTest, EmptyWithoutTheKeyOrTheValue)
{
    {
        TempRegistry registry(utf8(u8"[HKEY_LOCAL_MACHINE\\SOFTWARE\\NEVLA\\QUIBOシステム\\3.0]\n"
                                   u8"INSTALLPATH=/opt/old/\n"));
        EXPECT_EQ(installPath(), "");
    }
    {
        TempRegistry registry(PRODUCT_SECTION + "OTHER=/opt/quibo/\n");
        EXPECT_EQ(installPath(), "");
    }
}

TEST(InstallPathTest, ValueBeyondTheReadBufferGivesEmpty)
{
    const std::string longest = "/" + std::string(1021, 'd') + "/";
    ASSERT_EQ(longest.size(), 1023u);
    {
        TempRegistry registry(PRODUCT_SECTION + "INSTALLPATH=" + longest + "\n");
        EXPECT_EQ(installPath(), longest);
    }
    {
        TempRegistry registry(PRODUCT_SECTION + "INSTALLPATH=" + longest + "x\n");
        EXPECT_EQ(installPath(), "");
    }
}

}  // namespace
}  // namespace quibo
