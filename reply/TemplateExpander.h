// Fills the template variables ("&[" name "]") of a reply text taken from
// the knowledge base: the visitor's greeting or ignored words, the date and
// time of the engine's machine, the visitor's utterance and the current time
// band.  Time is read through the clock of platform/ in the local time zone.
#pragma once

#include "analysis/MorphemeList.h"

#include <string>
#include <string_view>

namespace quibo {

class CDictionary;

// The variables, in the order the expander tests them.
inline constexpr std::string_view VAR_USER_GREETING = "&[利用者挨拶発話]";
inline constexpr std::string_view VAR_USER_IGNORED = "&[利用者無視発話]";
inline constexpr std::string_view VAR_MONTH = "&[月]";
inline constexpr std::string_view VAR_DAY = "&[日]";
inline constexpr std::string_view VAR_WEEKDAY = "&[曜日]";
inline constexpr std::string_view VAR_HOUR = "&[時]";
inline constexpr std::string_view VAR_MINUTE = "&[分]";
inline constexpr std::string_view VAR_USER_UTTERANCE = "&[利用者発話]";
inline constexpr std::string_view VAR_TIME_BAND = "&[現在の時間帯]";
// Part of the same vocabulary, but left in a reply text as it stands.
inline constexpr std::string_view VAR_USER_GREETING_BAND = "&[利用者挨拶時間帯]";

// The text with its variables filled in table order, each occurrence once.
// An inserted value is never scanned again, so a value that holds a
// variable name stays as it is and every input ends.  An empty visitor
// utterance turns a text that asks for it into "・・・" as a whole.
std::string expandTemplate(const std::string& text, const std::string& utterance, const MorphemeList& words,
                           CDictionary* knowledge);

// The clock's local time through a strftime format under the C locale (64
// bytes at most), leading blanks skipped.
std::string formatLocalTime(const char* format);

// One kanji for an English weekday name, its abbreviation with a full stop,
// or its Shift_JIS Japanese name; any other text unchanged.
std::string weekdayName(const std::string& name);

}  // namespace quibo
