// Loading the dictionary file: locating it, the header and section rules,
// the shared mapping, and hostile images.
#include "analysis/DoskDictionary.h"
#include "analysis/DoskFormat.h"
#include "analysis/LatticeBuilder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "tests/analysis/DoskTestDictionary.h"

namespace quibo {
namespace {

using namespace testing;

std::vector<std::uint8_t> readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void writeAll(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void putLE32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

DoskSource smallSource()
{
    DoskSource source = baseSource();
    source.ranges = {{0x30A1, 0x30F6, KATAKANA, 1000}, {0xFF10, 0xFF19, NUMERAL, 500}};
    addWord(source, "犬", NOUN, 100, "イヌ");
    addWord(source, "が", PARTICLE, 50, "ガ");
    addWord(source, "走る", VERB, 200, "ハシル");
    return source;
}

TEST(DoskDictionaryFileTest, DictionaryPathIsBesideTheGivenFolder)
{
    struct Case {
        const char* given;
        const char* expected;
    } cases[] = {
        {"C:\\app\\juman\\win_.jumanrc20", "C:\\app\\dosk\\dosk.dic"},
        {"C:\\app\\dosk\\dosk.dic", "C:\\app\\dosk\\dosk.dic"},
        {"/opt/quibo/juman/win_.jumanrc20", "/opt/quibo/dosk/dosk.dic"},
        {"juman\\win_.jumanrc20", "dosk\\dosk.dic"},
        {"win_.jumanrc20", "dosk/dosk.dic"},
        {"dosk.dic.bak", "dosk.dic.bak"},
    };
    for (const Case& c : cases) EXPECT_EQ(DoskDictionary::dictionaryPath(c.given), c.expected) << c.given;
}

TEST(DoskDictionaryFileTest, LoadsClassTableAndMatrixFromTheirSections)
{
    DoskSource source = smallSource();
    setConnection(source, NOUN, PARTICLE, -123);
    TemporaryDictionary file("load", source);
    LatticeBuilder builder;
    ASSERT_TRUE(builder.load(file.path(), CODE_TYPE_EUC, "TEST_LOAD"));
    const DoskClassTable& classes = builder.classTable();
    EXPECT_EQ(classes.classCount(), CLASS_COUNT);
    EXPECT_EQ(classes.className(VERB), "動詞,*,子音動詞ラ行,基本形");
    EXPECT_EQ(classes.lastNameComponent(VERB), "基本形");
    EXPECT_EQ(classes.firstName(VERB), "動詞");
    EXPECT_EQ(classes.attribute(VERB, 2), 10);
    EXPECT_EQ(classes.attribute(VERB, 3), 45);
    EXPECT_EQ(classes.attribute(CLASS_COUNT, 0), 0);
    EXPECT_EQ(classes.className(CLASS_COUNT + 5), "未定義語,その他,*,*");
    EXPECT_EQ(builder.connectionMatrix().size(), CLASS_COUNT);
    EXPECT_EQ(builder.connectionMatrix().cost(NOUN, PARTICLE), -123);
    EXPECT_EQ(builder.connectionMatrix().cost(NOUN, CLASS_COUNT), 0);
}

TEST(DoskDictionaryFileTest, UnitInNoRangeBelongsToTheLastClassAtCost20000)
{
    TemporaryDictionary file("ranges", smallSource());
    LatticeBuilder builder;
    ASSERT_TRUE(builder.load(file.path(), CODE_TYPE_EUC, "TEST_RANGES"));
    EXPECT_EQ(builder.classTable().charClass(0x4E00), CLASS_COUNT - 1);
    EXPECT_EQ(builder.classTable().charCost(0x4E00), 20000);
    EXPECT_EQ(builder.classTable().charClass(0x30A2), KATAKANA);
    EXPECT_EQ(builder.classTable().charCost(0xFF11), 500);
}

TEST(DoskDictionaryFileTest, OnlyRegisteredReadersAreUsedAndFurtherSizesAreExtraHeaderBytes)
{
    TemporaryDictionary file("sections", smallSource());
    std::vector<std::uint8_t> image = readAll(file.path());
    putLE32(image, 40, 5);
    putLE32(image, 52, 0x11111111);
    putLE32(image, 56, 0x22222222);
    putLE32(image, 60, 0x33333333);
    writeAll(file.path(), image);
    LatticeBuilder builder;
    ASSERT_TRUE(builder.load(file.path(), CODE_TYPE_EUC, "TEST_SECTIONS"));
    EXPECT_EQ(builder.sectionCount(), 2);
    ASSERT_EQ(builder.extraHeaderBytes().size(), 44u);
    EXPECT_EQ(builder.extraHeaderBytes()[0], 0x11);
    EXPECT_EQ(builder.extraHeaderBytes()[8], 0x33);
    EXPECT_EQ(builder.classTable().classCount(), CLASS_COUNT);
}

TEST(DoskDictionaryFileTest, SectionSizeZeroEndsTheSectionList)
{
    TemporaryDictionary file("zero", smallSource());
    std::vector<std::uint8_t> image = readAll(file.path());
    putLE32(image, 44, 0);  // class table size
    writeAll(file.path(), image);
    LatticeBuilder builder;
    ASSERT_TRUE(builder.load(file.path(), CODE_TYPE_EUC, "TEST_ZERO"));
    EXPECT_EQ(builder.classTable().classCount(), 0);
    EXPECT_EQ(builder.connectionMatrix().size(), 0);  // never reached
}

TEST(DoskDictionaryFileTest, SectionWithWrongTagLeavesItsReaderEmpty)
{
    TemporaryDictionary file("tag", smallSource());
    std::vector<std::uint8_t> image = readAll(file.path());
    std::int32_t block0 = dosk::readLE32s(image.data() + 36);
    image[96 + static_cast<std::size_t>(block0)] = 0xF3;
    writeAll(file.path(), image);
    LatticeBuilder builder;
    ASSERT_TRUE(builder.load(file.path(), CODE_TYPE_EUC, "TEST_TAG"));
    EXPECT_EQ(builder.classTable().classCount(), 0);
    EXPECT_EQ(builder.connectionMatrix().size(), CLASS_COUNT);
}

TEST(DoskDictionaryFileTest, SecondAnalyserWorksAfterTheFileWasRemoved)
{
    TemporaryDictionary file("shared", smallSource());
    std::string rc = file.path().substr(0, file.path().rfind('/')) + "/juman/win_.jumanrc20";
    // The dictionary path derived from rc is <folder>/dosk/dosk.dic: map the
    // test file under the shared name first, as the first analyser would.
    LatticeBuilder first;
    ASSERT_TRUE(first.load(file.path(), CODE_TYPE_EUC));
    std::remove(file.path().c_str());
    DoskDictionary second(rc);
    ASSERT_EQ(second.state(), 0);
    std::string text = "犬が走る";
    std::vector<RawWord> words;
    ASSERT_EQ(second.analyze(text, words), 0);
    ASSERT_EQ(words.size(), 3u);
    EXPECT_EQ(words[2].surface, "走る");
}

TEST(DoskDictionaryFileTest, MissingFileGivesStateMinusOne)
{
    DoskDictionary dictionary("/nonexistent/juman/win_.jumanrc20");
    EXPECT_EQ(dictionary.state(), -1);
    std::string text = "犬";
    std::vector<RawWord> words;
    EXPECT_EQ(dictionary.analyze(text, words), -1);
}

// Every image below is refused as a whole; none may crash the loader.
TEST(DoskDictionaryFileTest, HostileHeadersAndSectionsAreRefused)
{
    TemporaryDictionary file("hostile", smallSource());
    const std::vector<std::uint8_t> good = readAll(file.path());
    const std::int32_t block0 = dosk::readLE32s(good.data() + 36);
    const std::size_t classTableAt = 96 + static_cast<std::size_t>(block0);
    const std::int32_t classTableSize = dosk::readLE32s(good.data() + 44);
    const std::size_t matrixAt = classTableAt + static_cast<std::size_t>(classTableSize);
    struct Case {
        const char* what;
        std::size_t at;
        std::uint32_t value;
        int width;
    } cases[] = {
        {"header area below 64", 32, 63, 4},
        {"block 0 below 2", 36, 1, 4},
        {"block 0 past the file", 36, 0x7FFFFFF0, 4},
        // One byte short: the code table is cut and the sections would be
        // read one byte early (their tags then mismatch, which alone would
        // only leave the readers empty).
        {"code table of odd length", 36, static_cast<std::uint32_t>(block0 - 1), 4},
        {"negative section count", 40, 0xFFFFFFFF, 4},
        {"negative section size", 44, 0xFFFFFFF0, 4},
        {"section past the file", 48, 0x7FFFFFF0, 4},
        {"huge extra header", 32, 0x7FFFFFFF, 4},
        {"trie size past block 0", 96, 0x7FFFFFF8, 4},
        {"trie size not whole nodes", 96, 12, 4},
        {"negative entry area", 100, 0xFFFFFFFF, 4},
        {"pool past block 0", 104, 0x01000000, 4},
        {"class count past its section", classTableAt + 2, 0x7FFF, 2},
        {"negative class count", classTableAt + 2, 0x8000, 2},
        {"matrix larger than its section", matrixAt + 2, 0x00FF, 2},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> image = good;
        for (int i = 0; i < c.width; ++i) image[c.at + i] = static_cast<std::uint8_t>(c.value >> (8 * i));
        writeAll(file.path(), image);
        LatticeBuilder builder;
        EXPECT_FALSE(builder.load(file.path(), CODE_TYPE_EUC, "TEST_HOSTILE")) << c.what;
    }
    for (std::size_t length : {std::size_t{0}, std::size_t{10}, std::size_t{50}, std::size_t{95},
                               classTableAt - 1, matrixAt + 3, good.size() - 1}) {
        writeAll(file.path(), std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length)));
        LatticeBuilder builder;
        EXPECT_FALSE(builder.load(file.path(), CODE_TYPE_EUC, "TEST_HOSTILE")) << "truncated to " << length;
    }
}

// Damage inside the lexicon is found where it is used: the words built from
// it are dropped or stand as unlisted words, and the analysis goes on.
TEST(DoskDictionaryFileTest, DamagedEntriesAreSkippedAtUse)
{
    TemporaryDictionary file("entries", smallSource());
    const std::vector<std::uint8_t> good = readAll(file.path());
    const std::int32_t nodeBytes = dosk::readLE32s(good.data() + 96);
    const std::int32_t entryBytes = dosk::readLE32s(good.data() + 100);
    const std::size_t area = 96 + 12 + static_cast<std::size_t>(nodeBytes);
    for (std::size_t at = area; at < area + static_cast<std::size_t>(entryBytes); ++at) {
        for (std::uint8_t value : {std::uint8_t{0xFF}, std::uint8_t{0x7F}, std::uint8_t{0x00}}) {
            std::vector<std::uint8_t> image = good;
            image[at] = value;
            writeAll(file.path(), image);
            LatticeBuilder builder;
            ASSERT_TRUE(builder.load(file.path(), CODE_TYPE_EUC, "TEST_ENTRIES"));
            std::vector<DoskWord> words;
            EXPECT_TRUE(builder.build(toCodeUnits("犬が走る", CODE_TYPE_EUC), words));
            for (const DoskWord& word : words) {
                std::string text;
                builder.entryReading(word.entry, text);
                builder.entryBaseForm(word.entry, text);
            }
        }
    }
}

}  // namespace
}  // namespace quibo
