#include "Orvane/QuestionNormalizer.h"

#include "platform/FullWidthMapping.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace quibo::orvane {
namespace {

using platform::shiftJisCharacterLength;

// Shift_JIS bytes of the characters the normaliser names.
constexpr std::string_view WIDE_SPACE = "\x81\x40";                // 　
constexpr std::string_view YEN = "\x81\x8F";                       // ￥
constexpr std::string_view IBM_QUOTATION = "\xFA\x57";             // ＂
constexpr std::string_view IBM_APOSTROPHE = "\xFA\x56";            // ＇
constexpr std::string_view RIGHT_DOUBLE_QUOTATION = "\x81\x68";    // ”
constexpr std::string_view RIGHT_SINGLE_QUOTATION = "\x81\x66";    // ’

bool isSpace(std::string_view character) { return character == " " || character == WIDE_SPACE; }

// Runs of spaces become one full-width space; none is kept at either end.
std::string foldSpaces(std::string_view text)
{
    std::string result;
    bool pendingSpace = false;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::string_view character = text.substr(pos, shiftJisCharacterLength(text, pos));
        pos += character.size();
        if (isSpace(character)) {
            pendingSpace = !result.empty();
            continue;
        }
        if (pendingSpace) {
            result += WIDE_SPACE;
            pendingSpace = false;
        }
        result += character;
    }
    return result;
}

// The longest start of `text` that ends on a character boundary within
// `limit` bytes.
std::size_t characterCut(std::string_view text, std::size_t limit)
{
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t next = pos + shiftJisCharacterLength(text, pos);
        if (next > limit) {
            break;
        }
        pos = next;
    }
    return pos;
}

}  // namespace

void removeControlBytes(std::string& text)
{
    std::erase_if(text, [](char c) { return static_cast<unsigned char>(c) <= 0x1F; });
}

std::string toFullWidth(const std::string& text)
{
    const std::string wide = platform::mapToFullWidth(text);
    std::string result;
    result.reserve(wide.size());
    for (std::size_t pos = 0; pos < wide.size();) {
        const std::string_view character =
            std::string_view(wide).substr(pos, shiftJisCharacterLength(wide, pos));
        pos += character.size();
        if (character == "\\") {
            result += YEN;
        } else if (character == IBM_QUOTATION) {
            result += RIGHT_DOUBLE_QUOTATION;
        } else if (character == IBM_APOSTROPHE) {
            result += RIGHT_SINGLE_QUOTATION;
        } else {
            result += character;
        }
    }
    return result;
}

bool normalizeQuestion(std::string& text, int limit, bool clear)
{
    std::string t(text.c_str(), std::strlen(text.c_str()));
    removeControlBytes(t);
    t = toFullWidth(foldSpaces(t));
    bool result = true;
    if (limit > 0 && t.size() > static_cast<std::size_t>(limit)) {
        result = false;
        if (clear) {
            t.clear();
        } else {
            t.resize(characterCut(t, static_cast<std::size_t>(limit)));
        }
    }
    text = std::move(t);
    return result;
}

}  // namespace quibo::orvane
