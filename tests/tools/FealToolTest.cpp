#include "tools/FealTool.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace quibo::tools {
namespace {

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeAll(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

TEST(FealToolTest, FilesRoundTripWithTheProjectKey)
{
    const std::string dir = testing::TempDir();
    for (const std::string& plain : {std::string(), std::string("x"), std::string("mean\tdictionary\n", 16),
                                     std::string(51200 + 13, '\xA4')}) {
        writeAll(dir + "feal-plain", plain);
        std::string error;
        ASSERT_EQ(encipherFile(dir + "feal-plain", dir + "feal-image", error), 0) << error;
        const std::string image = readAll(dir + "feal-image");
        EXPECT_EQ(image.size(), 4 + (plain.size() + 7) / 8 * 8);
        testing::internal::CaptureStderr();
        ASSERT_EQ(decipherFile(dir + "feal-image", dir + "feal-back", error), 0) << error;
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(readAll(dir + "feal-back"), plain);
    }
}

TEST(FealToolTest, MalformedOrMissingInputIsAnError)
{
    const std::string dir = testing::TempDir();
    writeAll(dir + "feal-bad", std::string("\x20\0\0\0abc", 7));
    std::string error;
    testing::internal::CaptureStderr();
    EXPECT_EQ(decipherFile(dir + "feal-bad", dir + "feal-out", error), 1);
    EXPECT_EQ(error, dir + "feal-bad is not a well-formed enciphered file");
    EXPECT_EQ(decipherFile(dir + "feal-none", dir + "feal-out", error), 1);
    EXPECT_EQ(encipherFile(dir + "feal-none", dir + "feal-out", error), 1);
    testing::internal::GetCapturedStderr();
}

}  // namespace
}  // namespace quibo::tools
