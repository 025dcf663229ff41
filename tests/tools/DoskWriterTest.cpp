#include "tools/DoskWriter.h"

#include <gtest/gtest.h>

#include "analysis/DoskFormat.h"
#include "analysis/LatticeBuilder.h"
#include "tests/analysis/DoskTestDictionary.h"

namespace quibo {
namespace {

using namespace testing;

TEST(DoskWriterTest, HeaderAndSectionsHaveTheFileLayout)
{
    DoskSource source = baseSource();
    source.ranges = {{0x30A1, 0x30F6, KATAKANA, 1000}};
    addWord(source, "犬", NOUN, 100, "イヌ");
    DoskWriteReport report;
    std::vector<std::uint8_t> image = writeDoskImage(source, report);
    ASSERT_FALSE(image.empty());
    EXPECT_EQ(std::string(image.begin(), image.begin() + 20), "dosk test dictionary");
    EXPECT_EQ(dosk::readLE32s(&image[32]), 64);                // header area
    const std::int32_t block0 = dosk::readLE32s(&image[36]);
    EXPECT_EQ(dosk::readLE32s(&image[40]), 2);                 // sections
    const std::int32_t classBytes = dosk::readLE32s(&image[44]);
    const std::int32_t matrixBytes = dosk::readLE32s(&image[48]);
    EXPECT_EQ(static_cast<std::size_t>(96 + block0 + classBytes + matrixBytes), image.size());
    const std::uint8_t* classTable = &image[96 + static_cast<std::size_t>(block0)];
    EXPECT_EQ(classTable[0], 0xF1);  // tag, little-endian
    EXPECT_EQ(classTable[1], 0x00);
    EXPECT_EQ(dosk::readLE16s(classTable + 2), CLASS_COUNT);
    // First name of class 0, "BOS/EOS": 14 bytes of big-endian code units.
    EXPECT_EQ(dosk::readLE16s(classTable + 4), 14);
    EXPECT_EQ(classTable[6], 0x00);
    EXPECT_EQ(classTable[7], 'B');
    const std::uint8_t* matrix = classTable + classBytes;
    EXPECT_EQ(matrix[0], 0xF2);
    EXPECT_EQ(dosk::readLE16s(matrix + 2), CLASS_COUNT);
    EXPECT_EQ(matrixBytes, 4 + 2 * CLASS_COUNT * CLASS_COUNT);
    // The code table at the end of block 0 holds イ and ヌ, high byte first.
    const std::uint8_t* codeTable = &image[96 + static_cast<std::size_t>(block0) - 4];
    EXPECT_EQ(dosk::readBE16(codeTable), 0x30A4);
    EXPECT_EQ(dosk::readBE16(codeTable + 2), 0x30CC);
}

TEST(DoskWriterTest, EveryWordComesBackWithItsClassCostReadingAndBaseForm)
{
    DoskSource source = baseSource();
    // Shared prefixes, a key alone in its subtree (stored as a tail), a key
    // that is a prefix of others, and a base form that is no word.
    addWord(source, "走る", VERB, 200, "ハシル");
    addWord(source, "走っ", VERB, 210, "ハシッ", "走る");
    addWord(source, "走", NOUN, 300, "ソウ");
    addWord(source, "走", PLACE, 301, "ハシリ");
    addWord(source, "行っ", VERB, 220, "イッ", "行く");
    addWord(source, "ＡＢＣＤＥＦＧ", NOUN, -5, "");
    TemporaryDictionary file("roundtrip", source);
    ASSERT_EQ(file.report().written, 6);
    LatticeBuilder builder;
    ASSERT_TRUE(builder.load(file.path(), CODE_TYPE_EUC, "TEST_ROUNDTRIP"));
    const DoskTrie& trie = builder.trie();

    struct Expected {
        const char* key;
        int classId;
        int cost;
        const char* reading;
        const char* baseForm;  // "" when none
    } expected[] = {
        {"走る", VERB, 200, "ハシル", ""},      {"走っ", VERB, 210, "ハシッ", "走る"},
        {"走", NOUN, 300, "ソウ", ""},          {"走", PLACE, 301, "ハシリ", ""},
        {"行っ", VERB, 220, "イッ", "行く"},    {"ＡＢＣＤＥＦＧ", NOUN, -5, "", ""},
    };
    for (const Expected& e : expected) {
        CodeUnits key = toCodeUnits(e.key, CODE_TYPE_EUC);
        std::vector<DoskMatch> matches;
        trie.matches(key.data(), key.size(), matches);
        ASSERT_FALSE(matches.empty()) << e.key;
        EXPECT_EQ(matches.back().length, static_cast<int>(key.size())) << e.key;
        bool found = false;
        DoskEntry entry;
        for (std::int32_t offset = matches.back().entry; offset > 0; offset = entry.next) {
            ASSERT_TRUE(trie.entry(offset, entry));
            if (entry.classId != e.classId) continue;
            found = true;
            EXPECT_EQ(entry.cost, e.cost) << e.key;
            std::string text;
            EXPECT_TRUE(builder.entryReading(offset, text));
            EXPECT_EQ(text, e.reading) << e.key;
            builder.entryBaseForm(offset, text);
            EXPECT_EQ(text, e.baseForm) << e.key;
        }
        EXPECT_TRUE(found) << e.key;
    }
    // Matches come shortest first: 走 then 走る.
    CodeUnits text = toCodeUnits("走るな", CODE_TYPE_EUC);
    std::vector<DoskMatch> matches;
    trie.matches(text.data(), text.size(), matches);
    ASSERT_EQ(matches.size(), 2u);
    EXPECT_EQ(matches[0].length, 2);
    EXPECT_EQ(matches[1].length, 4);
}

TEST(DoskWriterTest, RowsThatDoNotFitAreDroppedAndCounted)
{
    DoskSource source = baseSource();
    addWord(source, "\x8F\xB0\xA1", NOUN, 1, "ア");  // JIS X 0212: no code unit
    addWord(source, std::string(300, 'a'), NOUN, 1, "ア");
    addWord(source, "犬", NOUN, 1, "イヌ");
    // 257 distinct reading characters: the last ones find no code table slot.
    for (int i = 0; i < 300; ++i) {
        std::string kanji{static_cast<char>(0xB0 + i / 94), static_cast<char>(0xA1 + i % 94)};
        addWord(source, "語" + kanji, NOUN, 1, kanji);
    }
    DoskSourceWord compound;
    compound.key = "犬猫";
    compound.classId = NOUN;
    compound.compound = 64;
    compound.parts = {{"犬", NOUN}, {"猫", NOUN}};  // 猫 is no word
    source.words.push_back(compound);
    DoskWriteReport report;
    ASSERT_FALSE(writeDoskImage(source, report).empty());
    EXPECT_EQ(report.droppedText, 1);
    EXPECT_EQ(report.droppedLength, 1);
    EXPECT_EQ(report.droppedReadingChars, 300 - (256 - 2));
    EXPECT_EQ(report.droppedParts, 1);
    EXPECT_EQ(report.written, 1 + 254);
}

}  // namespace
}  // namespace quibo
