#include "analysis/FealCipher.h"
#include "analysis/FealFile.h"
#include "tools/FealTool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace quibo {
namespace {

std::vector<std::uint8_t> bytesOf(const std::string& text)
{
    return {text.begin(), text.end()};
}

std::string plainOfLength(std::size_t n)
{
    std::string plain(n, '\0');
    for (std::size_t i = 0; i < n; ++i) plain[i] = static_cast<char>(i * 7 + 3);
    return plain;
}

std::string littleEndian(std::int32_t n)
{
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) out[i] = static_cast<char>(static_cast<std::uint32_t>(n) >> (8 * i));
    return out;
}

std::string decipheredText(const std::string& image)
{
    FealFile file;
    const auto bytes = bytesOf(image);
    file.decipherBuffer(bytes.data(), bytes.size());
    std::vector<char> out;
    if (file.appendTo(out) != 0) return "<none>";
    return std::string(out.begin(), out.end());
}

TEST(FealCipherTest, PublishedTestVector)
{
    std::uint8_t block[8] = {};
    FealCipher(0x0123456789ABCDEFULL, FealCipher::Direction::Encipher).processBlock(block);
    const std::uint8_t expected[8] = {0xCE, 0xEF, 0x2C, 0x86, 0xF2, 0x49, 0x07, 0x52};
    EXPECT_EQ(std::vector<std::uint8_t>(block, block + 8), std::vector<std::uint8_t>(expected, expected + 8));

    FealCipher(0x0123456789ABCDEFULL, FealCipher::Direction::Decipher).processBlock(block);
    EXPECT_EQ(std::vector<std::uint8_t>(block, block + 8), std::vector<std::uint8_t>(8, 0));
}

TEST(FealCipherTest, BatchesEqualBlockByBlockInBothDirections)
{
    // Whole batches of 16 blocks, with and without a remainder.
    for (const auto direction : {FealCipher::Direction::Encipher, FealCipher::Direction::Decipher}) {
        const FealCipher cipher(FEAL_PROJECT_KEY, direction);
        for (std::size_t count : {15u, 16u, 33u}) {
            const std::string plain = plainOfLength(8 * count);
            std::vector<std::uint8_t> batched(plain.begin(), plain.end()), single = batched;
            cipher.processBlocks(batched.data(), count);
            for (std::size_t at = 0; at < single.size(); at += 8) cipher.processBlock(single.data() + at);
            EXPECT_EQ(batched, single) << count;
        }
    }
}

TEST(FealFileTest, RoundTripsThroughTheEncipherTool)
{
    // Lengths around block and chunk boundaries: 51200 bytes is one chunk.
    for (std::size_t n : {1u, 7u, 8u, 9u, 16u, 8u * 100 - 3, 51199u, 51200u, 51201u, 51200u * 3 + 5}) {
        const std::string plain = plainOfLength(n);
        const auto image = tools::encipherImage(plain);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->size(), 4 + (n + 7) / 8 * 8) << n;
        EXPECT_EQ(decipheredText(*image), plain) << n;
    }
}

TEST(FealFileTest, ChunkedDecipheringEqualsBlockByBlock)
{
    const std::string plain = plainOfLength(51200 * 2 + 800);
    const std::string image = *tools::encipherImage(plain);
    std::string oneBlockAtATime;
    const FealCipher cipher(FEAL_PROJECT_KEY, FealCipher::Direction::Decipher);
    for (std::size_t at = 4; at < image.size(); at += 8) {
        std::uint8_t block[8];
        std::copy(image.begin() + at, image.begin() + at + 8, block);
        cipher.processBlock(block);
        oneBlockAtATime.append(reinterpret_cast<char*>(block), 8);
    }
    EXPECT_EQ(decipheredText(image), oneBlockAtATime.substr(0, plain.size()));
}

TEST(FealFileTest, LengthNotAMultipleOfEightDropsThePadding)
{
    const std::string plain = plainOfLength(8 * 5 - 3);
    FealFile file;
    const auto bytes = bytesOf(*tools::encipherImage(plain));
    file.decipherBuffer(bytes.data(), bytes.size());
    EXPECT_EQ(file.plainLength(), 37);
    std::string copied(37, '\0');
    EXPECT_EQ(file.copyTo(copied.data()), 0);
    EXPECT_EQ(copied, plain);
}

struct MalformedShape {
    const char* name;
    std::string image;
};

TEST(FealFileTest, MalformedShapesGiveNoPlaintext)
{
    const std::string valid = *tools::encipherImage(plainOfLength(16));
    const MalformedShape shapes[] = {
        {"empty file", ""},
        {"one byte", std::string(1, '\x10')},
        {"three bytes", std::string("\x08\x00\x00", 3)},
        {"length only, N = 0", littleEndian(0)},
        {"eight bytes more than N rounded up", valid + std::string(8, '\0')},
        {"ciphertext shorter than N", valid.substr(0, valid.size() - 8)},
        {"negative N in a 4-byte file", littleEndian(-3)},
        {"negative N with blocks", littleEndian(-1) + std::string(8, 'x')},
        {"most negative N", littleEndian(INT32_MIN) + std::string(16, 'x')},
    };
    for (const auto& shape : shapes) {
        FealFile file;
        const auto bytes = bytesOf(shape.image);
        EXPECT_EQ(file.decipherBuffer(bytes.data(), bytes.size()), 0) << shape.name;
        EXPECT_EQ(file.plainLength(), 0) << shape.name;
        char buffer[4] = {'k', 'e', 'p', 't'};
        EXPECT_EQ(file.copyTo(buffer), -1) << shape.name;
        EXPECT_EQ(std::string(buffer, 4), "kept") << shape.name;
        std::vector<char> vector{'a', 'b'};
        EXPECT_EQ(file.appendTo(vector), -1) << shape.name;
        EXPECT_EQ(vector, (std::vector<char>{'a', 'b'})) << shape.name;
    }
}

TEST(FealFileTest, MissingFileIsReportedAndLeavesNothing)
{
    FealFile file;
    testing::internal::CaptureStderr();
    EXPECT_EQ(file.decipherFile("/nonexistent/quibo/pstorage"), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Error : source file(/nonexistent/quibo/pstorage) can't open.\n");
    EXPECT_EQ(file.plainLength(), 0);
}

TEST(FealFileTest, SecondFileReplacesTheFirst)
{
    const std::string path = testing::TempDir() + "feal-second.bin";
    {
        std::ofstream out(path, std::ios::binary);
        out << *tools::encipherImage("second file");
    }
    FealFile file;
    const auto first = bytesOf(*tools::encipherImage(plainOfLength(100)));
    file.decipherBuffer(first.data(), first.size());
    ASSERT_EQ(file.decipherFile(path.c_str()), 0);
    std::vector<char> out;
    ASSERT_EQ(file.appendTo(out), 0);
    EXPECT_EQ(std::string(out.begin(), out.end()), "second file");
    std::remove(path.c_str());
}

}  // namespace
}  // namespace quibo
