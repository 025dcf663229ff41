#include "platform/FullWidthMapping.h"

#include <cstdint>

namespace quibo::platform {
namespace {

// Full-width forms of 0x20..0x7E, in code page 932.  Its full-width
// quotation mark and apostrophe are the IBM extension characters FA57 and
// FA56, and the backslash widens to ＼, as the system maps them.
constexpr std::uint16_t WIDE_ASCII[0x7F - 0x20] = {
    0x8140, 0x8149, 0xFA57, 0x8194, 0x8190, 0x8193, 0x8195, 0xFA56,  // 　！＂＃＄％＆＇
    0x8169, 0x816A, 0x8196, 0x817B, 0x8143, 0x817C, 0x8144, 0x815E,  // （）＊＋，－．／
    0x824F, 0x8250, 0x8251, 0x8252, 0x8253, 0x8254, 0x8255, 0x8256,  // ０-７
    0x8257, 0x8258, 0x8146, 0x8147, 0x8183, 0x8181, 0x8184, 0x8148,  // ８９：；＜＝＞？
    0x8197, 0x8260, 0x8261, 0x8262, 0x8263, 0x8264, 0x8265, 0x8266,  // ＠Ａ-Ｇ
    0x8267, 0x8268, 0x8269, 0x826A, 0x826B, 0x826C, 0x826D, 0x826E,  // Ｈ-Ｏ
    0x826F, 0x8270, 0x8271, 0x8272, 0x8273, 0x8274, 0x8275, 0x8276,  // Ｐ-Ｗ
    0x8277, 0x8278, 0x8279, 0x816D, 0x815F, 0x816E, 0x814F, 0x8151,  // ＸＹＺ［＼］＾＿
    0x814D, 0x8281, 0x8282, 0x8283, 0x8284, 0x8285, 0x8286, 0x8287,  // ｀ａ-ｇ
    0x8288, 0x8289, 0x828A, 0x828B, 0x828C, 0x828D, 0x828E, 0x828F,  // ｈ-ｏ
    0x8290, 0x8291, 0x8292, 0x8293, 0x8294, 0x8295, 0x8296, 0x8297,  // ｐ-ｗ
    0x8298, 0x8299, 0x829A, 0x816F, 0x8162, 0x8170, 0x8160,          // ｘｙｚ｛｜｝～
};

// Full-width forms of the half-width katakana 0xA1..0xDF.
constexpr std::uint16_t WIDE_KANA[0xE0 - 0xA1] = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342,  // 。「」、・ヲァィ
    0x8344, 0x8346, 0x8348, 0x8383, 0x8385, 0x8387, 0x8362, 0x815B,  // ゥェォャュョッー
    0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A, 0x834C, 0x834E,  // アイウエオカキク
    0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E,  // ケコサシスセソタ
    0x8360, 0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C,  // チツテトナニヌネ
    0x836D, 0x836E, 0x8371, 0x8374, 0x8377, 0x837A, 0x837D, 0x837E,  // ノハヒフヘホマミ
    0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389, 0x838A,  // ムメモヤユヨラリ
    0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B,          // ルレロワン゛゜
};

constexpr unsigned char VOICED_MARK = 0xDE;
constexpr unsigned char SEMI_VOICED_MARK = 0xDF;

bool isLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool isTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// The composed full-width kana of `kana` and a following sound mark, or 0.
std::uint16_t composedKana(unsigned char kana, unsigned char mark)
{
    const std::uint16_t plain = WIDE_KANA[kana - 0xA1];
    const bool kaToTo = kana >= 0xB6 && kana <= 0xC4;  // ｶ..ﾄ: ガ..ド
    const bool haToHo = kana >= 0xCA && kana <= 0xCE;  // ﾊ..ﾎ: バ..ボ, パ..ポ
    if (mark == VOICED_MARK) {
        if (kana == 0xB3) {
            return 0x8394;  // ヴ
        }
        return kaToTo || haToHo ? plain + 1 : 0;
    }
    if (mark == SEMI_VOICED_MARK) {
        return haToHo ? plain + 2 : 0;
    }
    return 0;
}

void append(std::string& out, std::uint16_t code)
{
    out += static_cast<char>(code >> 8);
    out += static_cast<char>(code & 0xFF);
}

}  // namespace

std::size_t shiftJisCharacterLength(std::string_view text, std::size_t pos)
{
    if (pos >= text.size()) {
        return 0;
    }
    const bool pair = isLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() &&
                      isTrailByte(static_cast<unsigned char>(text[pos + 1]));
    return pair ? 2 : 1;
}

std::string mapToFullWidth(std::string_view text)
{
    std::string out;
    out.reserve(text.size() * 2);
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = shiftJisCharacterLength(text, pos);
        const unsigned char b = static_cast<unsigned char>(text[pos]);
        if (length == 2 || b < 0x20 || b > 0xDF || (b >= 0x7F && b <= 0xA0)) {
            out.append(text.substr(pos, length));
        } else if (b < 0x7F) {
            append(out, WIDE_ASCII[b - 0x20]);
        } else {
            const unsigned char next = pos + 1 < text.size() ? static_cast<unsigned char>(text[pos + 1]) : 0;
            if (const std::uint16_t composed = composedKana(b, next)) {
                append(out, composed);
                pos += 2;
                continue;
            }
            append(out, WIDE_KANA[b - 0xA1]);
        }
        pos += length;
    }
    return out;
}

}  // namespace quibo::platform
