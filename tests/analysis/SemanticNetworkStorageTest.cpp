#include "analysis/SemanticNetwork.h"
#include "analysis/SemanticNetworkQueries.h"
#include "analysis/SemanticNetworkStorage.h"
#include "tests/analysis/NetworkFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>

namespace quibo {
namespace {

using testing_support::networkFile;
using testing_support::networkPlaintext;
using testing_support::writeFile;

const char8_t* const SMALL_NETWORK = u8R"(word 犬/いぬ Nn*
word 動物/どうぶつ Nn*
word いぬ n
relation 犬/いぬ 犬/いぬ 0
relation いぬ 犬/いぬ 0
related 犬/いぬ いぬ 0
link 犬/いぬ 動物/どうぶつ 1
link 動物/どうぶつ 犬/いぬ 2
)";

void put32(std::string& bytes, std::size_t at, std::uint32_t value)
{
    std::memcpy(bytes.data() + at, &value, 4);
}

std::uint32_t get32(const std::string& bytes, std::size_t at)
{
    std::uint32_t value;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

SemanticNetworkStorage* load(const std::string& plaintext)
{
    return loadSemanticNetworkStorage(plaintext.data(), plaintext.size(), "test-pstorage");
}

TEST(SemanticNetworkStorageTest, WellFormedNetworkLoadsWithItsBlocks)
{
    const std::string plain = networkPlaintext(SMALL_NETWORK);
    SemanticNetworkStorage* s = load(plain);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->wordCount, 3);
    EXPECT_EQ(s->nodeCount, 2);
    EXPECT_EQ(s->sizeA, 32);
    EXPECT_EQ(s->sizeB, 56);
    EXPECT_EQ(s->sizeD, 84);
    EXPECT_EQ(std::memcmp(s->blockD, plain.data() + plain.size() - 84, 84), 0);
    // Word records are sorted by EUC-JP bytes: いぬ A4A4, 犬 B8A4, 動物 C6B0.
    EXPECT_EQ(findWord(s, "いぬ"), 0);
    EXPECT_EQ(findWord(s, "犬"), 1);
    EXPECT_EQ(findWord(s, "動物"), 2);
    EXPECT_EQ(findWord(s, "猫"), -1);
    EXPECT_EQ(findWord(s, ""), static_cast<int>(SNET_NO_WORD));
    EXPECT_EQ(findWord(s, nullptr), static_cast<int>(SNET_NO_WORD));
    freeSemanticNetworkStorage(s);
    freeSemanticNetworkStorage(nullptr);
}

TEST(SemanticNetworkStorageTest, InPlaceLoadCopiesOnlyWhenANameWouldRunPastBlockC)
{
    const std::string plain = networkPlaintext(SMALL_NETWORK);
    SemanticNetworkStorage* s = loadSemanticNetworkStorageInPlace(plain.data(), plain.size(), "t");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->ownsBlocks, 0);
    EXPECT_EQ(reinterpret_cast<const char*>(s->blockA), plain.data() + 36);
    EXPECT_EQ(findWord(s, "動物"), 2);
    freeSemanticNetworkStorage(s);

    // One word "abc" whose name is the last bytes of block C, with no NUL
    // before block D (whose first byte, the name offset 4, is not NUL).
    std::string bare(36, '\0');
    for (auto [at, value] : {std::pair{0, SNET_MAGIC}, {4, 1u}, {20, 5u}, {24, 1u}, {28, 11u}, {32, 28u}})
        put32(bare, at, value);
    bare += std::string("xxxx\0\0\0\0abc", 11);
    std::string record(28, '\0');
    put32(record, 0, 4);
    put32(record, 24, 0xFFFFFFFF);
    bare += record;
    s = loadSemanticNetworkStorageInPlace(bare.data(), bare.size(), "t");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->ownsBlocks, 1);
    EXPECT_EQ(findWord(s, "abc"), 0);
    freeSemanticNetworkStorage(s);
}

TEST(SemanticNetworkStorageTest, EmptyNetworksLoad)
{
    std::string header(36, '\0');
    put32(header, 0, SNET_MAGIC);
    SemanticNetworkStorage* s = load(header);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(findWord(s, "犬"), -1);
    EXPECT_EQ(listRelations(s, "犬"), nullptr);
    freeSemanticNetworkStorage(s);

    const std::string noWords = networkPlaintext(u8"# nothing\n");
    s = load(noWords);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->wordCount, 0);
    EXPECT_EQ(findWord(s, "犬"), -1);
    freeSemanticNetworkStorage(s);
}

TEST(SemanticNetworkStorageTest, WrongMagicIsReportedAndTheConstructorThrowsCode1)
{
    std::string plain = networkPlaintext(SMALL_NETWORK);
    plain[0] = 'X';
    const std::string path = writeFile("semnet-bad-magic", *tools::encipherImage(plain));
    testing::internal::CaptureStderr();
    try {
        SemanticNetwork network(path.c_str());
        ADD_FAILURE() << "loaded a file with a wrong magic";
    } catch (const SemanticNetwork::Exception& e) {
        EXPECT_EQ(e.code, 1);
    }
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Error: file " + path + " is not a semantic-network-storage!\n"), std::string::npos);
}

TEST(SemanticNetworkStorageTest, MissingFileThrowsCode1)
{
    testing::internal::CaptureStderr();
    EXPECT_THROW(SemanticNetwork("/nonexistent/pstorage"), SemanticNetwork::Exception);
    testing::internal::GetCapturedStderr();
}

struct Corruption {
    const char* name;
    std::function<void(std::string&)> apply;
};

TEST(SemanticNetworkStorageTest, BrokenSizesOffsetsAndIndicesFailTheLoad)
{
    const std::string plain = networkPlaintext(SMALL_NETWORK);
    const std::size_t a = 36;
    const std::size_t b = a + get32(plain, 12);
    const std::size_t c = b + get32(plain, 16);
    const std::size_t d = c + get32(plain, 28);
    const Corruption corruptions[] = {
        {"shorter than the header", [](std::string& p) { p.resize(35); }},
        {"truncated blocks", [](std::string& p) { p.resize(p.size() - 1); }},
        {"negative block A", [](std::string& p) { put32(p, 12, 0xFFFFFFF0); }},
        {"negative block C", [](std::string& p) { put32(p, 28, 0x80000000); }},
        {"sizes that wrap when summed", [](std::string& p) {
             put32(p, 12, 0x7FFFFFFF);
             put32(p, 16, 0x7FFFFFFF);
             put32(p, 28, 0x7FFFFFFF);
             put32(p, 32, 0x7FFFFFFF);
         }},
        {"negative node count", [](std::string& p) { put32(p, 8, 0xFFFFFFFF); }},
        {"more nodes than block B holds", [](std::string& p) { put32(p, 8, 3); }},
        {"more words than block D holds", [](std::string& p) { put32(p, 24, 4); }},
        {"word name outside block C", [d](std::string& p) { put32(p, d, 0x00FFFFFF); }},
        {"relation list outside block C", [d](std::string& p) { put32(p, d + 28 + 12, 0x0FFFFFF0); }},
        {"relation count past block C", [d](std::string& p) { p[d + 28 + 8] = static_cast<char>(200); }},
        {"node index beyond the nodes", [d](std::string& p) { put32(p, d + 28 + 24, 7); }},
        {"node index below -1", [d](std::string& p) { put32(p, d + 28 + 24, 0xFFFFFFFE); }},
        {"name entry with a word index out of range", [c](std::string& p) { put32(p, c, 99); }},
        {"name entry with a negative word index", [c](std::string& p) { put32(p, c, 0xFFFFFFFF); }},
        {"node links outside block A", [b](std::string& p) { put32(p, b + 16, 0x7FFFFFF0); }},
        {"node link count past block A", [b](std::string& p) { p[b + 13] = static_cast<char>(0xFF); }},
        {"link target outside block C", [a](std::string& p) { put32(p, a, 0x3FFFFFF0); }},
        {"node name outside block C", [b](std::string& p) { put32(p, b, 0x12345678); }},
    };
    for (const auto& corruption : corruptions) {
        std::string broken = plain;
        corruption.apply(broken);
        testing::internal::CaptureStderr();
        SemanticNetworkStorage* s = load(broken);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(s, nullptr) << corruption.name;
        EXPECT_NE(err.find("is not a semantic-network-storage"), std::string::npos) << corruption.name;
        freeSemanticNetworkStorage(s);
    }
}

TEST(SemanticNetworkStorageTest, EncipheredFileLoadsThroughTheWrapper)
{
    const std::string path = networkFile("semnet-nowords", SMALL_NETWORK);
    SemanticNetwork network(path.c_str());
    EXPECT_EQ(network.findWord("犬"), 1);
}

}  // namespace
}  // namespace quibo
