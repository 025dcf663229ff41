#include "platform/FullWidthMapping.h"

#include "analysis/CodeConverter.h"

#include <gtest/gtest.h>

namespace quibo::platform {
namespace {

std::string converted(const std::string& text, int output, int input)
{
    CodeConverter converter(text);
    return converter.convert(output, input);
}

// The converter widens half-width kana on its way to EUC-JP, joining a
// sound mark to the kana before it where a composed kana exists.
TEST(FullWidthMappingTest, KanaAgreeWithTheConvertersWidening)
{
    for (int kana = 0xA1; kana <= 0xDF; ++kana) {
        for (const char* after : {"", "\xDE", "\xDF"}) {
            const std::string text = std::string(1, static_cast<char>(kana)) + after;
            const std::string expected =
                converted(converted(text, CodeConverter::EUC, CodeConverter::SJIS), CodeConverter::SJIS,
                          CodeConverter::EUC);
            EXPECT_EQ(mapToFullWidth(text), expected) << std::hex << kana << " " << after;
        }
    }
}

// Full-width forms of ASCII are U+FF01..U+FF5E and the ideographic space.
// (Compared as characters: for ＂ and ＇ code page 932 has two codes, and
// the mapping gives the one the code page itself converts to, FA57 and FA56.)
TEST(FullWidthMappingTest, AsciiBecomesItsFullWidthForm)
{
    for (char32_t c = 0x20; c <= 0x7E; ++c) {
        const char32_t wide = c == 0x20 ? 0x3000 : c - 0x20 + 0xFF00;
        std::string utf8;
        utf8 += static_cast<char>(0xE0 | (wide >> 12));
        utf8 += static_cast<char>(0x80 | ((wide >> 6) & 0x3F));
        utf8 += static_cast<char>(0x80 | (wide & 0x3F));
        EXPECT_EQ(converted(mapToFullWidth(std::string(1, static_cast<char>(c))), CodeConverter::UTF8,
                            CodeConverter::SJIS),
                  utf8)
            << std::hex << static_cast<int>(c);
    }
}

TEST(FullWidthMappingTest, TwoByteCharactersAndStrayBytesStay)
{
    // ソ (83 5C) keeps its trail byte; a lead byte at the end, a lead byte
    // before a control byte, 80, A0 and FD..FF are kept as they are.
    const std::string text = "\x83\x5C\t\x81\x09\x80\xA0\xFD\xFE\xFF\x81";
    EXPECT_EQ(mapToFullWidth(text), text);
    EXPECT_EQ(shiftJisCharacterLength("\x83\x5C", 0), 2u);
    EXPECT_EQ(shiftJisCharacterLength("\x83\x7F", 0), 1u);
    EXPECT_EQ(shiftJisCharacterLength("a", 1), 0u);
}

}  // namespace
}  // namespace quibo::platform
