#include "analysis/CodeConverter.h"

#include <cstring>
#include <exception>

#include "analysis/JapaneseCodec.h"
#include "platform/ConversionMutex.h"

namespace quibo {
namespace {

codec::Charset charsetOf(int bits, codec::Charset charset)
{
    if (bits & CodeConverter::JIS)
        charset = codec::Charset::Jis;
    if (bits & CodeConverter::EUC)
        charset = codec::Charset::Euc;
    if (bits & CodeConverter::SJIS)
        charset = codec::Charset::Sjis;
    return charset;
}

// The code bits read as options in the order of their values, a later one
// overriding an earlier one: MIME and base64 output are ISO-2022-JP unless
// UTF-8 comes after them, and base64 input overrides MIME input.
codec::Request requestOf(int outputCode, int inputCode)
{
    codec::Request request;
    request.output = charsetOf(outputCode, codec::Charset::Jis);
    if (outputCode & CodeConverter::MIME) {
        request.output = codec::Charset::Jis;
        request.outputTransfer = codec::Transfer::Mime;
    }
    if (outputCode & CodeConverter::BASE64) {
        request.output = codec::Charset::Jis;
        request.outputTransfer = codec::Transfer::Base64;
    }
    if (outputCode & CodeConverter::UTF8)
        request.output = codec::Charset::Utf8;

    request.input = charsetOf(inputCode, codec::Charset::Guess);
    if (inputCode & CodeConverter::UTF8)
        request.input = codec::Charset::Utf8;
    if (inputCode & CodeConverter::MIME)
        request.inputTransfer = codec::Transfer::Mime;
    if (inputCode & CodeConverter::BASE64)
        request.inputTransfer = codec::Transfer::Base64;
    return request;
}

}  // namespace

CodeConverter::CodeConverter(const std::string& text) : m_inputText(text) {}

std::string CodeConverter::convert(int outputCode, int inputCode)
{
    platform::ConversionLock lock;

    const std::size_t n = m_inputText.size();
    const std::size_t capacity = 5 * n + 1024;
    m_resultText.clear();

    // The text is a C string: it ends at its first NUL.
    const std::string_view text(m_inputText.data(), std::strlen(m_inputText.c_str()));
    std::string output;
    try {
        output.reserve(capacity);
        codec::convert(text, requestOf(outputCode, inputCode), output);
    } catch (const std::exception&) {
        // Out of memory: the caller gets an empty text, never a dead process.
        output.clear();
    }

    // Output beyond the buffer the caller budgets for is dropped.
    if (output.size() > capacity)
        output.resize(capacity);

    // A MIME result is one line: the folds of the header words go.
    if (outputCode & MIME) {
        std::size_t kept = 0;
        for (const char c : output) {
            if (c != '\t' && c != '\n' && c != '\r')
                output[kept++] = c;
        }
        output.resize(kept);
    }

    // A decoded NUL ends the result, as it would end a C string.
    const std::size_t nul = output.find('\0');
    if (nul != std::string::npos)
        output.resize(nul);

    m_resultText = std::move(output);
    return m_resultText;
}

std::string& CodeConverter::convertText(std::string& out, const std::string& text, int outputCode)
{
    m_inputText = text;
    out = convert(outputCode, outputCode == EUC ? SJIS : EUC);
    return out;
}

}  // namespace quibo
