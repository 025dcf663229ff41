#include "analysis/MimeEncoder.h"

namespace quibo::codec {
namespace {

constexpr char BASE64_DIGITS[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr int END = -1;  // end of the text, handed through the byte stages
constexpr int DEL = 0x7F;
constexpr int SP = 0x20;
constexpr int TAB = 0x09;
constexpr int LF = 0x0A;
constexpr int CR = 0x0D;

inline bool isBlank(int c) { return c == SP || c == TAB; }
inline bool isSpace(int c) { return isBlank(c) || c == CR || c == LF; }
inline bool isAlnum(int c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

MimeEncoder::MimeEncoder(std::string& out, Charset charset, bool stream)
    : m_out(out), m_charset(charset), m_stream(stream), m_mode(stream ? 'B' : 0),
      m_outputMode(charset == Charset::Utf8 ? OutputMode::Utf8 : OutputMode::Ascii)
{
}

void MimeEncoder::ascii(unsigned char b)
{
    if (!m_stream)
        beforeCharacter(false, b);
    emitAscii(b);
}

void MimeEncoder::wide(unsigned jis, std::string_view utf8)
{
    if (!m_stream)
        beforeCharacter(true, 0);
    emitWide(jis, utf8);
}

void MimeEncoder::finish()
{
    if (!m_stream && m_mode > 0 && m_column + m_count / 3 * 4 > 73)
        foldEncodedWord();
    emitEnd();
}

void MimeEncoder::emitAscii(unsigned char b)
{
    if (m_outputMode == OutputMode::Kanji) {
        put(0x1B);
        put('(');
        put('B');
        m_outputMode = OutputMode::Ascii;
    }
    put(b);
}

void MimeEncoder::emitWide(unsigned jis, std::string_view utf8)
{
    if (m_charset == Charset::Utf8) {
        for (const char c : utf8)
            put(static_cast<unsigned char>(c));
        return;
    }
    if (m_outputMode != OutputMode::Kanji) {
        put(0x1B);
        put('$');
        put('B');
        m_outputMode = OutputMode::Kanji;
    }
    put(static_cast<int>(jis >> 8));
    put(static_cast<int>(jis & 0xFF));
}

void MimeEncoder::emitEnd()
{
    if (m_outputMode == OutputMode::Kanji) {
        put(0x1B);
        put('(');
        put('B');
        m_outputMode = OutputMode::Ascii;
    }
    put(END);
}

void MimeEncoder::beforeCharacter(bool isWide, int c)
{
    const int reach = m_column + m_count / 3 * 4;
    if (m_mode > 0) {
        if ((isWide || c > DEL) && reach > 66) {
            foldEncodedWord();
            m_mode = -1;
        }
    } else if (isWide && reach > 60) {
        openWord();
        foldEncodedWord();
        m_mode = -1;
    }
}

void MimeEncoder::foldEncodedWord()
{
    emitEnd();
    emitAscii(LF);
    emitAscii(SP);
    m_column = 1;
}

void MimeEncoder::openWord()
{
    std::string_view pattern;
    if (m_outputMode == OutputMode::Kanji) {
        pattern = "=?ISO-2022-JP?B?";
        m_mode = 'B';
    } else if (m_outputMode == OutputMode::Utf8) {
        pattern = "=?UTF-8?B?";
        m_mode = 'B';
    } else {
        pattern = "=?US-ASCII?Q?";
        m_mode = 'Q';
    }
    int i = 0;
    if (m_column > 45) {
        if (m_count > 0 && isBlank(m_buffer[i])) {
            raw(m_buffer[i]);
            ++i;
        }
        raw(LF);
        raw(SP);
        m_column = 1;
        if (m_count > 0 && isSpace(m_buffer[i]))
            ++i;
    }
    for (; i < m_count && isSpace(m_buffer[i]); ++i) {
        raw(m_buffer[i]);
        ++m_column;
    }
    for (const char c : pattern) {
        raw(c);
        ++m_column;
    }
    const auto pending = m_buffer;
    const int count = m_count;
    m_count = 0;
    const bool outer = m_replaying;
    m_replaying = true;
    for (; i < count; ++i)
        put(pending[i]);
    m_replaying = outer;
}

void MimeEncoder::closeWord()
{
    raw('?');
    raw('=');
    m_column += 2;
    m_mode = 0;
}

void MimeEncoder::endBase64()
{
    if (m_mode == 2) {
        raw(BASE64_DIGITS[(m_partial & 0x3) << 4]);
        raw('=');
        raw('=');
        m_column += 3;
    } else if (m_mode == 1) {
        raw(BASE64_DIGITS[(m_partial & 0xF) << 2]);
        raw('=');
        m_column += 2;
    }
    if (m_mode > 0) {
        if (!m_stream)
            closeWord();
        else if (m_mode != 'Q')
            m_mode = 'B';
    }
}

void MimeEncoder::addChar(int c)
{
    switch (m_mode) {
    case 'Q':
        if (c == CR || c == LF) {
            raw(c);
            m_column = 0;
        } else if (!isAlnum(c)) {
            raw('=');
            raw("0123456789ABCDEF"[(c >> 4) & 0xF]);
            raw("0123456789ABCDEF"[c & 0xF]);
            m_column += 3;
        } else {
            raw(c);
            ++m_column;
        }
        break;
    case 'B':
        m_partial = c;
        raw(BASE64_DIGITS[c >> 2]);
        m_mode = 2;
        ++m_column;
        break;
    case 2:
        raw(BASE64_DIGITS[((m_partial & 0x3) << 4) | ((c & 0xF0) >> 4)]);
        m_partial = c;
        m_mode = 1;
        ++m_column;
        break;
    case 1:
        raw(BASE64_DIGITS[((m_partial & 0xF) << 2) | ((c & 0xC0) >> 6)]);
        raw(BASE64_DIGITS[c & 0x3F]);
        m_mode = 'B';
        m_column += 2;
        break;
    default:
        raw(c);
        ++m_column;
        break;
    }
}

void MimeEncoder::flushPlain()
{
    for (int i = 0; i < m_count; ++i) {
        raw(m_buffer[i]);
        if (m_buffer[i] == CR || m_buffer[i] == LF)
            m_column = 0;
        else
            ++m_column;
    }
    m_count = 0;
}

void MimeEncoder::flushRaw(bool countColumns)
{
    for (int i = 0; i < m_count; ++i) {
        raw(m_buffer[i]);
        if (countColumns)
            ++m_column;
    }
    m_count = 0;
}

bool MimeEncoder::plainInWord(int c)
{
    return c == CR || c == LF ||
           (c > SP && c < DEL && c != '?' && c != '=' && c != '_' && c != '(' && c != ')' && c != '.' &&
            c != '"');
}

void MimeEncoder::put(int c)
{
    if (m_stream) {
        if (m_column > 71) {
            endBase64();
            raw(LF);
            m_column = 0;
        }
        if (c == END)
            endBase64();
        else
            addChar(c);
        return;
    }

    if (c == END) {
        if (m_mode == -1 && m_count > 1)
            openWord();
        const int count = m_count;
        m_count = 0;
        int i = 0;
        if (m_mode > 0) {
            if (count == 0 || !isBlank(m_buffer[count - 1])) {
                for (; i < count; ++i) {
                    if (isSpace(m_buffer[i]) && m_column < 71)
                        break;
                    addChar(m_buffer[i]);
                }
                endBase64();
                for (; i < count; ++i)
                    addChar(m_buffer[i]);
            } else {
                for (; i < count; ++i)
                    addChar(m_buffer[i]);
                endBase64();
            }
        } else {
            for (; i < count; ++i)
                addChar(m_buffer[i]);
        }
        return;
    }

    const int last = m_count > 0 ? m_buffer[m_count - 1] : -1;

    if (m_mode == 'Q' && c <= DEL && m_outputMode == OutputMode::Ascii) {
        if (c == CR || c == LF) {
            closeWord();
            raw(c);
            m_column = 0;
            return;
        }
        if (c <= SP) {
            closeWord();
            if (m_column > 70) {
                raw(LF);
                m_column = 0;
            }
            if (!isBlank(c)) {
                raw(SP);
                ++m_column;
            }
        } else {
            if (m_column > 70) {
                closeWord();
                raw(LF);
                raw(SP);
                m_column = 1;
                openWord();
            }
            if (!plainInWord(c)) {
                addChar(c);
                return;
            }
        }
        if (c != 0x1B) {
            raw(c);
            ++m_column;
            return;
        }
    }

    if (m_mode <= 0) {
        if (c <= DEL && asciiMode()) {
            if (isSpace(c)) {
                const bool pendingWord = m_mode == -1;
                if (c == CR || c == LF) {
                    if (pendingWord) {
                        openWord();
                        m_outputMode = m_charset == Charset::Utf8 ? OutputMode::Utf8 : OutputMode::Ascii;
                    } else {
                        m_column = 0;
                    }
                }
                flushPlain();
                if (pendingWord) {
                    endBase64();
                    m_column = 0;
                    m_mode = 0;
                }
                m_buffer[0] = static_cast<unsigned char>(c);
                m_count = 1;
            } else {
                if (m_column > 1 && m_column + m_count > 76 && m_buffer[0] != CR && m_buffer[0] != LF)
                    foldBeforeBuffer();
                m_buffer[m_count++] = static_cast<unsigned char>(c);
                if (m_count > BUFFER_LIMIT) {
                    // A run that came back whole from the word just opened
                    // (an ESC closes a Q word and is buffered again) would
                    // open the word again for ever: it goes out as it stands.
                    if (m_replaying)
                        flushPlain();
                    else
                        openWord();
                }
            }
            return;
        }
        if (last == CR || last == LF) {
            flushRaw(false);
            m_column = 0;
        }
        if (last == SP) {
            for (int i = 0; i < m_count - 1; ++i) {
                raw(m_buffer[i]);
                ++m_column;
            }
            m_buffer[0] = SP;
            m_count = 1;
        }
        openWord();
    } else if (c <= DEL && asciiMode()) {
        if (last == CR || last == LF) {
            if (isBlank(c)) {
                for (int i = 0; i < m_count; ++i)
                    addChar(m_buffer[i]);
                m_count = 0;
            } else {
                endBase64();
                flushRaw(false);
                m_column = 0;
            }
            m_buffer[m_count++] = static_cast<unsigned char>(c);
            return;
        }
        if (isSpace(c)) {
            for (int i = 0; i < m_count; ++i) {
                if (SP < m_buffer[i] && m_buffer[i] < DEL) {
                    endBase64();
                    flushRaw(true);
                }
            }
            m_buffer[m_count++] = static_cast<unsigned char>(c);
            if (m_count > BUFFER_LIMIT) {
                endBase64();
                flushRaw(true);
            }
            return;
        }
        if (m_count > 0 && SP < c && c != '=') {
            m_buffer[m_count++] = static_cast<unsigned char>(c);
            if (m_count > BUFFER_LIMIT) {
                const int count = m_count;
                m_count = 0;
                for (int i = 0; i < count; ++i)
                    addChar(m_buffer[i]);
            }
            return;
        }
    }

    if (m_count > 0) {
        const int count = m_count;
        m_count = 0;
        int i = 0;
        for (; i < count; ++i) {
            if (m_buffer[i] == CR || m_buffer[i] == LF)
                break;
            addChar(m_buffer[i]);
        }
        if (i < count) {
            endBase64();
            m_column = 0;
            for (; i < count; ++i)
                raw(m_buffer[i]);
            openWord();
        }
    }
    addChar(c);
}

void MimeEncoder::foldBeforeBuffer()
{
    constexpr std::string_view boundary = "boundary=\"";
    const int length = static_cast<int>(boundary.size());
    int i = 0;
    for (; i < m_count - length; ++i) {
        if (std::string_view(reinterpret_cast<const char*>(m_buffer.data()) + i, boundary.size()) == boundary) {
            i += length - 2;
            break;
        }
    }
    if (i == 0 || i == m_count - length) {
        raw(LF);
        m_column = 0;
        if (!isSpace(m_buffer[0])) {
            raw(SP);
            ++m_column;
        }
        return;
    }
    for (int j = 0; j <= i; ++j)
        raw(m_buffer[j]);
    raw(LF);
    m_column = 1;
    for (int j = i + 1; j < m_count; ++j)
        m_buffer[j - i] = m_buffer[j];
    m_count -= i;
}

}  // namespace quibo::codec
