// Reply kinds: the sentence forms a topic can answer in.  A source group
// names its kind by a number 0..11, a reply table files the group under the
// kind's letter (an int holding the ASCII code), and a topic marks the
// letters it offers by one bit each in its reply-kind word.
#pragma once

#include <cstdint>

namespace quibo {

inline constexpr int REPLY_KIND_COUNT = 12;

// The letter of a kind number 0..11 (0 and 11 are both 'd'); -1 for any
// other number, which names no kind.
int replyKindLetter(int kind);

// The topic's bit for a letter ('a' has one but no kind number); 0 for a
// letter that is no reply kind.
std::int32_t replyKindFlag(int letter);

// The kind value a stored group carries for its source's type:
// 0 -> 1, 1 -> 64, 2 -> 256, 3 -> 32; -1 for any other type.
std::int32_t replyGroupKindValue(int sourceType);

}  // namespace quibo
