// Our stand-in for automation strings (BSTR): UTF-16 text in one heap block
// that starts with the text's length in bytes as a 32-bit number; the
// string's pointer points just past it, at the first character, and the
// text is followed by a NUL character that the length does not count.  So a
// BSTR reads as a NUL-terminated UTF-16 string, and holds NULs of its own
// when its length says so.  A null BSTR is the empty string.
//
// The control hands its results across the library's boundary as BSTRs; a
// host reads them (the length sits just before the text) and gives them back
// to the control to free.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quibo::platform {

using OLECHAR = char16_t;
using BSTR = OLECHAR*;

// A new BSTR of `length` characters copied from `text` (left zeroed when
// `text` is null); null when memory runs out or the length does not fit.
BSTR SysAllocStringLen(const OLECHAR* text, std::uint32_t length);
// A new BSTR of the NUL-terminated `text`; null for a null text.
BSTR SysAllocString(const OLECHAR* text);
// Frees a BSTR made above; a null BSTR is ignored.
void SysFreeString(BSTR text);
// Characters of the text (NULs inside included); 0 for null.
std::uint32_t SysStringLen(BSTR text);
std::uint32_t SysStringByteLen(BSTR text);

// A BSTR of Shift_JIS text (code page 932), as the control converts its
// results.  Bytes that are no character of the code page are dropped.
BSTR SysAllocStringFromShiftJis(std::string_view text);
// The BSTR's text as UTF-8 (what a host shows); empty for null.
std::string bstrToUtf8(BSTR text);

}  // namespace quibo::platform
