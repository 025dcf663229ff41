#include "platform/SharedFileMapping.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

namespace quibo::platform {
namespace {

std::string writeFile(const std::string& name, const std::string& bytes)
{
    std::string path = std::string(QUIBO_BINARY_DIR) + "/mapping-" + name + "-" + std::to_string(::getpid());
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

TEST(SharedFileMappingTest, SecondHolderBorrowsTheMappingAfterTheFileIsRemoved)
{
    std::string path = writeFile("shared", "dictionary bytes");
    SharedFileMapping first;
    ASSERT_TRUE(first.open(path, "TEST_SHARED"));
    EXPECT_TRUE(first.ownsFile());
    std::remove(path.c_str());

    SharedFileMapping second;
    ASSERT_TRUE(second.open(path, "TEST_SHARED"));
    EXPECT_FALSE(second.ownsFile());
    EXPECT_EQ(second.data(), first.data());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(second.data()), second.size()), "dictionary bytes");
    EXPECT_EQ(SharedFileMapping::holders("TEST_SHARED"), 2);
}

TEST(SharedFileMappingTest, LastReleaseUnmapsAndTheNameIsFreeAgain)
{
    std::string path = writeFile("release", "one");
    {
        SharedFileMapping first, second;
        ASSERT_TRUE(first.open(path, "TEST_RELEASE"));
        ASSERT_TRUE(second.open(path, "TEST_RELEASE"));
        first.close();
        EXPECT_EQ(SharedFileMapping::holders("TEST_RELEASE"), 1);
    }
    EXPECT_EQ(SharedFileMapping::holders("TEST_RELEASE"), 0);
    std::remove(path.c_str());
    SharedFileMapping again;
    EXPECT_FALSE(again.open(path, "TEST_RELEASE"));  // nothing left to borrow, no file
    EXPECT_FALSE(again.mapped());
}

TEST(SharedFileMappingTest, MissingOrEmptyFileIsNotMapped)
{
    SharedFileMapping mapping;
    EXPECT_FALSE(mapping.open("/nonexistent/dosk.dic", "TEST_MISSING"));
    std::string empty = writeFile("empty", "");
    EXPECT_FALSE(mapping.open(empty, "TEST_MISSING"));
    EXPECT_EQ(SharedFileMapping::holders("TEST_MISSING"), 0);
    std::remove(empty.c_str());
}

}  // namespace
}  // namespace quibo::platform
