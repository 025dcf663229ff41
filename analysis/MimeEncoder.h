// MIME encoding of the converted text, header style (encoded words from the
// first non-ASCII character to the next blank, lines folded near 76 columns)
// or as one base64 stream in lines of 72 digits.  The word and fold decisions
// follow those of the nkf filter byte for byte, so that the text mail tools
// expect from it comes out the same.  Part of the converter core
// (JapaneseCodec); it sits after the half-width kana are widened.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace quibo::codec {

class MimeEncoder {
public:
    enum class Charset { Jis, Utf8 };

    MimeEncoder(std::string& out, Charset charset, bool stream);

    // One character of the converted text: an ASCII byte, or the bytes of
    // one JIS X 0208 cell in the output code.
    void ascii(unsigned char b);
    void wide(unsigned jis, std::string_view utf8);
    void finish();

private:
    enum class OutputMode { Ascii, Kanji, Utf8 };
    static constexpr int BUFFER_LIMIT = 74;

    // The character code stage: ISO-2022-JP escapes around two-byte runs.  The
    // mode switches after ESC ( B has gone out but before ESC $ B goes out,
    // which decides where encoded words start and end.
    void emitAscii(unsigned char b);
    void emitWide(unsigned jis, std::string_view utf8);
    void emitEnd();

    // Closes the open word and folds the line when the next character would
    // carry the line too far.
    void beforeCharacter(bool isWide, int c);
    void foldEncodedWord();

    bool asciiMode() const { return m_outputMode != OutputMode::Kanji; }

    // The MIME stage, one output byte (or END) at a time: ASCII words wait in
    // the buffer until it is known whether they join an encoded word.
    void put(int c);
    void openWord();
    void closeWord();
    void endBase64();
    void addChar(int c);
    void flushRaw(bool countColumns);
    void flushPlain();  // the buffer as plain text, columns counted from line ends
    void raw(int c) { m_out.push_back(static_cast<char>(c)); }
    static bool plainInWord(int c);

    // A long run of ASCII that does not fit on the line moves to the next one;
    // a MIME boundary parameter is kept on the line that names it.
    void foldBeforeBuffer();

    std::string& m_out;
    Charset m_charset;
    bool m_stream;            // one base64 stream rather than header words
    int m_mode;               // 0 plain, -1 word closed by a fold, 'B'/2/1 base64 phase, 'Q'
    OutputMode m_outputMode;  // of the character code stage
    int m_column = 0;
    int m_partial = 0;  // byte awaiting its base64 group
    std::array<unsigned char, BUFFER_LIMIT + 2> m_buffer{};
    int m_count = 0;
    bool m_replaying = false;  // openWord is putting the buffered run into the word
};

}  // namespace quibo::codec
