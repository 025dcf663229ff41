// Text conversion between named character codes through the C library's
// iconv, for the layers that meet the outside world in other codes (BSTRs
// in UTF-16, a host's UTF-8).  Code page 932 is "CP932" here, never
// "SHIFT_JIS" (which reads 0x5C as the yen sign).
#pragma once

#include <string>
#include <string_view>

namespace quibo::platform {

// `text` converted from code `from` into code `to`.  A byte sequence that is
// no character of `from`, or a character that `to` lacks, is dropped and
// the rest converted; an unknown code gives the empty text.
std::string convertWithIconv(const char* to, const char* from, std::string_view text);

}  // namespace quibo::platform
