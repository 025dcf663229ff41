// Conversion of a text between the Japanese character codes.  The engine keeps
// its text in EUC-JP; the page side of the control speaks Shift_JIS (code page
// 932).  Each module that converts text holds one CodeConverter of its own;
// every conversion in the process runs under one process-wide lock, so
// conversions of different modules never interleave.
#pragma once

#include <string>

namespace quibo {

class CodeConverter {
public:
    // Code bits.  They may be combined; as an output code, a later bit
    // overrides the character code chosen by an earlier one (MIME and base64
    // output are ISO-2022-JP unless UTF8 is also set).
    static constexpr int JIS = 0x01;     // ISO-2022-JP
    static constexpr int EUC = 0x02;     // EUC-JP
    static constexpr int SJIS = 0x04;    // Shift_JIS, code page 932
    static constexpr int MIME = 0x08;    // out: MIME header encoding; in: MIME decoding
    static constexpr int BASE64 = 0x10;  // out: base64 stream; in: the input is base64
    static constexpr int UTF8 = 0x20;    // UTF-8

    CodeConverter() = default;
    explicit CodeConverter(const std::string& text);

    // Converts the input text from the input code (0: guessed) into the
    // output code (0: ISO-2022-JP), keeps the result and returns a copy of it.
    // The text ends at its first NUL byte, and so does the result.  The
    // result holds at most 5 * n + 1024 bytes for an input of n bytes; with
    // the MIME output bit it holds no TAB, LF or CR.  Never throws on bad
    // input: bytes that are no character of the input code are dropped.
    std::string convert(int outputCode, int inputCode);

    // Converts `text` into `outputCode`, reading it as Shift_JIS when the
    // output is EUC-JP and as EUC-JP otherwise; `out` receives the result.
    // convertText(out, text, SJIS) turns EUC-JP into Shift_JIS.
    std::string& convertText(std::string& out, const std::string& text, int outputCode);

    // The text the next convert() reads; callers may set it directly.
    void setInputText(const std::string& text) { m_inputText = text; }
    const std::string& inputText() const { return m_inputText; }
    // The last conversion's result.
    const std::string& resultText() const { return m_resultText; }

private:
    std::string m_inputText;
    std::string m_resultText;
};

}  // namespace quibo
