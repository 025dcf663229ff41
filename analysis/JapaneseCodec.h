// The converter core behind CodeConverter: Japanese character codes over
// memory.  JIS X 0208 characters move between EUC-JP, Shift_JIS (code page
// 932) and ISO-2022-JP by arithmetic over the 94x94 cells; half-width
// katakana are widened to their JIS X 0208 forms (a following voiced or
// semi-voiced sound mark joins the kana where a composed form exists); the
// UTF-8 legs go through the C library's iconv with code page 932.  MIME
// header words and base64 streams wrap the ISO-2022-JP (or UTF-8) bytes.
//
// A C-style module: results are 0 or -1, never an exception for bad input,
// and nothing here ends the process.  It keeps no state between calls, so
// calls may run in any order.
#pragma once

#include <string>
#include <string_view>

namespace quibo::codec {

enum class Charset { Guess, Jis, Euc, Sjis, Utf8 };

// How the text is wrapped for transfer (output) or was wrapped (input).
enum class Transfer { None, Mime, Base64 };

struct Request {
    Charset output = Charset::Jis;  // Guess is taken as Jis
    Transfer outputTransfer = Transfer::None;
    Charset input = Charset::Guess;
    Transfer inputTransfer = Transfer::None;
};

// Appends the conversion of `text` to `out`.  Returns 0, or -1 when the text
// held bytes that are no character of its code: those bytes are dropped and
// the rest is still converted.  Characters with no place in the output code
// become the geta mark (JIS 0x222E).
int convert(std::string_view text, const Request& request, std::string& out);

// The code of an unlabelled text: ISO-2022-JP when it is 7-bit, else the first
// of UTF-8, EUC-JP and Shift_JIS in which every byte is part of a character
// (EUC-JP when none is).
Charset guessCharset(std::string_view text);

}  // namespace quibo::codec
