// The question normaliser of the chat-bridge dialog: what a visitor typed
// becomes the sentence the engine reads.  All text is Shift_JIS (code page
// 932) and is walked character by character, so a trail byte (the 5C of ソ
// and 表, the 40 of a character after a trail byte 81) is never taken for a
// character of its own.
#pragma once

#include <string>

namespace quibo::orvane {

// The text up to its first NUL, without control bytes, with every run of
// spaces (of either width) made one full-width space and none at either
// end, mapped to full width; then, when `limit` > 0 and the text is longer
// than `limit` bytes, cut at the last character boundary at or below it (or
// emptied when `clear` is set) and the result is false.  Otherwise true.
bool normalizeQuestion(std::string& text, int limit, bool clear);

// Deletes every byte 0x00..0x1F (never a trail byte in Shift_JIS).
void removeControlBytes(std::string& text);

// The text mapped to full width (platform/FullWidthMapping.h), then with
// "\" made "￥", "＂" made "”" and "＇" made "’".
std::string toFullWidth(const std::string& text);

}  // namespace quibo::orvane
