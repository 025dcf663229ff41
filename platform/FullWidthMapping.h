// Full-width mapping of Shift_JIS text (code page 932), as the system's
// Japanese locale maps text to full width: half-width ASCII letters, digits,
// signs and the space, and the half-width katakana with their signs, become
// their full-width characters; a half-width kana followed by a voiced or
// semi-voiced sound mark becomes the one composed kana where there is one
// (ｶﾞ -> ガ, ﾊﾟ -> パ, ｳﾞ -> ヴ).  Every other character, and every byte
// that is no character, is kept as it is.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quibo::platform {

// Bytes of the character that starts at `pos`: 2 for a lead byte with a
// trail byte after it, else 1 (0 at the end of the text).
std::size_t shiftJisCharacterLength(std::string_view text, std::size_t pos);

std::string mapToFullWidth(std::string_view text);

}  // namespace quibo::platform
