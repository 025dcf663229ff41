#include "analysis/JapaneseCodec.h"

#include <array>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <iconv.h>
#include <unordered_map>

#include "analysis/MimeEncoder.h"

namespace quibo::codec {
namespace {

using Byte = unsigned char;

// JIS X 0208 cells are written as their 7-bit code: row + 0x20 in the high
// byte, column + 0x20 in the low byte.
constexpr unsigned GETA = 0x222E;
constexpr Byte ESC = 0x1B;

inline bool isEucByte(Byte b) { return b >= 0xA1 && b <= 0xFE; }
inline bool isKanaByte(Byte b) { return b >= 0xA1 && b <= 0xDF; }
inline bool isSjisLead(Byte b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
inline bool isSjisTrail(Byte b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }
inline bool isJisByte(Byte b) { return b >= 0x21 && b <= 0x7E; }

// Full-width forms of the half-width katakana 0xA1-0xDF.
constexpr std::array<std::uint16_t, 63> WIDE_KANA = {
    0x2123, 0x2156, 0x2157, 0x2122, 0x2126, 0x2572, 0x2521, 0x2523,  // A1-A8
    0x2525, 0x2527, 0x2529, 0x2563, 0x2565, 0x2567, 0x2543, 0x213C,  // A9-B0
    0x2522, 0x2524, 0x2526, 0x2528, 0x252A, 0x252B, 0x252D, 0x252F,  // B1-B8
    0x2531, 0x2533, 0x2535, 0x2537, 0x2539, 0x253B, 0x253D, 0x253F,  // B9-C0
    0x2541, 0x2544, 0x2546, 0x2548, 0x254A, 0x254B, 0x254C, 0x254D,  // C1-C8
    0x254E, 0x254F, 0x2552, 0x2555, 0x2558, 0x255B, 0x255E, 0x255F,  // C9-D0
    0x2560, 0x2561, 0x2562, 0x2564, 0x2566, 0x2568, 0x2569, 0x256A,  // D1-D8
    0x256B, 0x256C, 0x256D, 0x256F, 0x2573, 0x212B, 0x212C};         // D9-DF

constexpr Byte VOICED_MARK = 0xDE;
constexpr Byte SEMI_VOICED_MARK = 0xDF;

// The composed form of a half-width kana and a following sound mark, or 0.
unsigned composedKana(Byte kana, Byte mark)
{
    if (mark == VOICED_MARK) {
        if (kana == 0xB3)
            return 0x2574;  // ヴ
        if ((kana >= 0xB6 && kana <= 0xC4) || (kana >= 0xCA && kana <= 0xCE))
            return WIDE_KANA[kana - 0xA1] + 1u;
    } else if (mark == SEMI_VOICED_MARK) {
        if (kana >= 0xCA && kana <= 0xCE)
            return WIDE_KANA[kana - 0xA1] + 2u;
    }
    return 0;
}

bool takesSoundMark(Byte kana)
{
    return kana == 0xB3 || (kana >= 0xB6 && kana <= 0xC4) || (kana >= 0xCA && kana <= 0xCE);
}

// --- character writers ----------------------------------------------------

// Appends bytes to a string through a small buffer, so that a conversion
// does not pay for growing the string byte by byte.
class ByteSink {
public:
    explicit ByteSink(std::string& out) : m_out(out) {}
    ~ByteSink() { flush(); }
    ByteSink(const ByteSink&) = delete;
    ByteSink& operator=(const ByteSink&) = delete;

    void put(unsigned c)
    {
        if (m_count == sizeof m_buffer)
            flush();
        m_buffer[m_count++] = static_cast<char>(c);
    }
    void put(unsigned c1, unsigned c2)
    {
        if (m_count + 2 > sizeof m_buffer)
            flush();
        m_buffer[m_count++] = static_cast<char>(c1);
        m_buffer[m_count++] = static_cast<char>(c2);
    }
    void put(unsigned c1, unsigned c2, unsigned c3)
    {
        put(c1);
        put(c2, c3);
    }
    void flush()
    {
        m_out.append(m_buffer, m_count);
        m_count = 0;
    }

private:
    std::string& m_out;
    char m_buffer[8192];
    std::size_t m_count = 0;
};

// A writer receives ASCII bytes and JIS X 0208 cells; finish() (or the
// writer's end) hands the last bytes to the string.
class EucWriter {
public:
    explicit EucWriter(std::string& out) : m_sink(out) {}
    void ascii(Byte b) { m_sink.put(b); }
    void cell(unsigned jis) { m_sink.put((jis >> 8) | 0x80, (jis & 0xFF) | 0x80); }
    void finish() { m_sink.flush(); }

private:
    ByteSink m_sink;
};

class SjisWriter {
public:
    explicit SjisWriter(std::string& out) : m_sink(out) {}
    void ascii(Byte b) { m_sink.put(b); }
    void cell(unsigned jis)
    {
        const unsigned j1 = jis >> 8;
        const unsigned j2 = jis & 0xFF;
        unsigned s1 = ((j1 - 0x21) >> 1) + 0x81;
        if (s1 > 0x9F)
            s1 += 0x40;
        unsigned s2;
        if (j1 & 1) {
            s2 = j2 + 0x1F;
            if (s2 >= 0x7F)
                ++s2;
        } else {
            s2 = j2 + 0x7E;
        }
        m_sink.put(s1, s2);
    }
    void finish() { m_sink.flush(); }

private:
    ByteSink m_sink;
};

// ISO-2022-JP: two-byte characters between ESC $ B and ESC ( B; the text
// always ends in ASCII mode.
class JisWriter {
public:
    explicit JisWriter(std::string& out) : m_sink(out) {}
    void ascii(Byte b)
    {
        if (m_kanji) {
            m_sink.put(ESC, '(', 'B');
            m_kanji = false;
        }
        m_sink.put(b);
    }
    void cell(unsigned jis)
    {
        if (!m_kanji) {
            m_sink.put(ESC, '$', 'B');
            m_kanji = true;
        }
        m_sink.put(jis >> 8, jis & 0xFF);
    }
    void finish()
    {
        if (m_kanji) {
            m_sink.put(ESC, '(', 'B');
            m_kanji = false;
        }
        m_sink.flush();
    }

private:
    ByteSink m_sink;
    bool m_kanji = false;
};

// Sits between a decoder and a writer: widens half-width kana, joining a
// sound mark to the kana before it where a composed form exists.
template <class Writer>
struct KanaWidener {
    Writer& next;
    Byte pending = 0;

    void flush()
    {
        if (pending) {
            next.cell(WIDE_KANA[pending - 0xA1]);
            pending = 0;
        }
    }
    void ascii(Byte b)
    {
        flush();
        next.ascii(b);
    }
    void cell(unsigned jis)
    {
        flush();
        next.cell(jis);
    }
    void kana(Byte b)
    {
        if (pending) {
            if (const unsigned composed = composedKana(pending, b)) {
                pending = 0;
                next.cell(composed);
                return;
            }
            flush();
        }
        if (takesSoundMark(b))
            pending = b;
        else
            next.cell(WIDE_KANA[b - 0xA1]);
    }
    void finish()
    {
        flush();
        next.finish();
    }
};

// --- code page 932 extensions ---------------------------------------------

// Code page 932 repeats the NEC-selected IBM extensions (rows 89-92, lead
// bytes ED-EE) and a few row 2 and row 13 characters at lead bytes FA-FC.
// The engine's EUC-JP has only the 94x94 cells, so those codes are read as the
// cell of the same character, found once through iconv.
class IbmExtensions {
public:
    static const IbmExtensions& instance()
    {
        static const IbmExtensions table;
        return table;
    }
    // The cell for Shift_JIS code 0xFA40-0xFCFC, or 0 when it has none.
    unsigned cellOf(unsigned sjis) const
    {
        const auto it = m_cells.find(sjis);
        return it == m_cells.end() ? 0 : it->second;
    }

private:
    IbmExtensions()
    {
        iconv_t cd = iconv_open("UCS-4LE", "CP932");
        if (cd == reinterpret_cast<iconv_t>(-1))
            return;
        std::unordered_map<std::uint32_t, unsigned> cellOfChar;
        for (unsigned row = 1; row <= 92; ++row) {
            for (unsigned col = 1; col <= 94; ++col) {
                const unsigned jis = ((row + 0x20) << 8) | (col + 0x20);
                std::string sjis;
                SjisWriter(sjis).cell(jis);
                const std::uint32_t ch = decode(cd, sjis);
                if (ch != 0)
                    cellOfChar.emplace(ch, jis);
            }
        }
        for (unsigned lead = 0xFA; lead <= 0xFC; ++lead) {
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                if (trail == 0x7F)
                    continue;
                const std::string sjis{static_cast<char>(lead), static_cast<char>(trail)};
                const std::uint32_t ch = decode(cd, sjis);
                const auto it = ch ? cellOfChar.find(ch) : cellOfChar.end();
                if (it != cellOfChar.end())
                    m_cells.emplace((lead << 8) | trail, it->second);
            }
        }
        iconv_close(cd);
    }

    static std::uint32_t decode(iconv_t cd, const std::string& sjis)
    {
        char in[2] = {sjis[0], sjis[1]};
        unsigned char out[8] = {};
        char* inp = in;
        char* outp = reinterpret_cast<char*>(out);
        size_t inLeft = 2;
        size_t outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1) || outLeft != 4)
            return 0;
        return out[0] | (out[1] << 8) | (out[2] << 16) | (static_cast<std::uint32_t>(out[3]) << 24);
    }

    std::unordered_map<unsigned, unsigned> m_cells;
};

// --- decoders ---------------------------------------------------------------
// Each reads a whole text into a KanaWidener and returns 0, or -1 when it
// dropped bytes that are no character.

template <class Sink>
int decodeEuc(std::string_view text, Sink& sink)
{
    int rc = 0;
    const std::size_t n = text.size();
    const Byte* p = reinterpret_cast<const Byte*>(text.data());
    for (std::size_t i = 0; i < n;) {
        const Byte b = p[i];
        if (b < 0x80) {
            sink.ascii(b);
            ++i;
        } else if (isEucByte(b) && i + 1 < n && isEucByte(p[i + 1])) {
            sink.cell(((b & 0x7Fu) << 8) | (p[i + 1] & 0x7Fu));
            i += 2;
        } else if (b == 0x8E && i + 1 < n && isKanaByte(p[i + 1])) {
            sink.kana(p[i + 1]);
            i += 2;
        } else if (b == 0x8F && i + 2 < n && isEucByte(p[i + 1]) && isEucByte(p[i + 2])) {
            sink.cell(GETA);  // JIS X 0212 has no cell here
            i += 3;
        } else {
            rc = -1;
            ++i;
        }
    }
    return rc;
}

template <class Sink>
int decodeSjis(std::string_view text, Sink& sink)
{
    int rc = 0;
    const std::size_t n = text.size();
    const Byte* p = reinterpret_cast<const Byte*>(text.data());
    for (std::size_t i = 0; i < n;) {
        const Byte b = p[i];
        if (b < 0x80) {
            sink.ascii(b);
            ++i;
        } else if (isKanaByte(b)) {
            sink.kana(b);
            ++i;
        } else if (isSjisLead(b) && i + 1 < n && isSjisTrail(p[i + 1])) {
            const unsigned t = p[i + 1];
            if (b <= 0xEF) {
                unsigned j1 = ((b - (b >= 0xE0 ? 0xC1u : 0x81u)) << 1) + 0x21;
                unsigned j2;
                if (t >= 0x9F) {
                    ++j1;
                    j2 = t - 0x7E;
                } else {
                    j2 = t - (t >= 0x80 ? 0x20u : 0x1Fu);
                }
                sink.cell((j1 << 8) | j2);
            } else if (b >= 0xFA) {
                const unsigned jis = IbmExtensions::instance().cellOf((b << 8) | t);
                sink.cell(jis ? jis : GETA);
            } else {
                sink.cell(GETA);  // user-defined area
            }
            i += 2;
        } else {
            rc = -1;
            ++i;
        }
    }
    return rc;
}

template <class Sink>
int decodeJis(std::string_view text, Sink& sink)
{
    enum class Mode { Ascii, Kanji, Kana, Other };
    int rc = 0;
    Mode mode = Mode::Ascii;
    bool shifted = false;  // SO ... SI: 7-bit half-width kana
    const std::size_t n = text.size();
    const Byte* p = reinterpret_cast<const Byte*>(text.data());
    for (std::size_t i = 0; i < n;) {
        const Byte b = p[i];
        if (b == ESC && i + 2 < n) {
            const Byte b1 = p[i + 1];
            const Byte b2 = p[i + 2];
            if (b1 == '$' && (b2 == 'B' || b2 == '@')) {
                mode = Mode::Kanji;
                i += 3;
                continue;
            }
            if (b1 == '(' && (b2 == 'B' || b2 == 'J')) {
                mode = Mode::Ascii;
                i += 3;
                continue;
            }
            if (b1 == '(' && b2 == 'I') {
                mode = Mode::Kana;
                i += 3;
                continue;
            }
            if (b1 == '$' && b2 == '(' && i + 3 < n && (p[i + 3] == 'D' || p[i + 3] == 'Q' || p[i + 3] == 'O')) {
                mode = p[i + 3] == 'D' ? Mode::Other : Mode::Kanji;
                i += 4;
                continue;
            }
        }
        if (b == 0x0E || b == 0x0F) {
            shifted = b == 0x0E;
            ++i;
            continue;
        }
        if (b >= 0x80) {
            if (isKanaByte(b)) {
                sink.kana(b);
            } else {
                rc = -1;
            }
            ++i;
            continue;
        }
        if ((shifted || mode == Mode::Kana) && b >= 0x21 && b <= 0x5F) {
            sink.kana(static_cast<Byte>(b | 0x80));
            ++i;
        } else if ((mode == Mode::Kanji || mode == Mode::Other) && isJisByte(b)) {
            if (i + 1 < n && isJisByte(p[i + 1])) {
                sink.cell(mode == Mode::Kanji ? ((unsigned{b} << 8) | p[i + 1]) : GETA);
                i += 2;
            } else {
                rc = -1;
                ++i;
            }
        } else {
            sink.ascii(b);
            ++i;
        }
    }
    return rc;
}

// Length of the character that starts `text` in code `from` ("UTF-8" or
// "CP932"), or 0 when its first byte starts no character.
std::size_t characterLength(const char* from, const char* text, std::size_t size)
{
    const Byte* p = reinterpret_cast<const Byte*>(text);
    if (size == 0)
        return 0;
    if (from[0] == 'U') {
        const Byte b = p[0];
        std::size_t length = b < 0x80 ? 1 : b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
        if (length == 0 || length > size)
            return 0;
        for (std::size_t k = 1; k < length; ++k)
            if ((p[k] & 0xC0) != 0x80)
                return 0;
        return length;
    }
    if (isSjisLead(p[0]))
        return size >= 2 && isSjisTrail(p[1]) ? 2 : 0;
    return 1;
}

// iconv over a whole text.  Bytes that are no character of `from` are
// dropped; characters with no form in `to` become `substitute`.
int iconvText(const char* to, const char* from, std::string_view text, std::string_view substitute,
              std::string& out)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return -1;
    }
    int rc = 0;
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* outp = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t r = iconv(cd, &in, &inLeft, &outp, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outp - buffer));
        if (r != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG)
            continue;
        if (errno == EILSEQ || errno == EINVAL) {
            // A character of `from` that `to` lacks takes the substitute;
            // a byte that starts no character is dropped.
            const std::size_t length = characterLength(from, in, inLeft);
            if (length > 0) {
                out.append(substitute);
                in += length;
                inLeft -= length;
            } else {
                rc = -1;
                ++in;
                --inLeft;
            }
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            continue;
        }
        rc = -1;
        break;
    }
    char* outp = buffer;
    std::size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outp, &outLeft);
    out.append(buffer, static_cast<std::size_t>(outp - buffer));
    iconv_close(cd);
    return rc;
}

constexpr std::string_view SJIS_GETA = "\x81\xAC";
constexpr std::string_view UTF8_GETA = "\xE3\x80\x93";

template <class Sink>
int decodeAs(Charset charset, std::string_view text, Sink& sink)
{
    switch (charset) {
    case Charset::Euc:
        return decodeEuc(text, sink);
    case Charset::Sjis:
        return decodeSjis(text, sink);
    case Charset::Utf8: {
        std::string sjis;
        const int rc = iconvText("CP932", "UTF-8", text, SJIS_GETA, sjis);
        return decodeSjis(sjis, sink) | rc;
    }
    case Charset::Jis:
    case Charset::Guess:
        break;
    }
    return decodeJis(text, sink);
}

// --- code guessing ------------------------------------------------------------

bool isUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = characterLength("UTF-8", text.data() + i, text.size() - i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

bool isEuc(std::string_view text)
{
    Byte dummy = 0;
    struct Probe {
        Byte& d;
        void ascii(Byte) {}
        void cell(unsigned) {}
        void kana(Byte b) { d = b; }
    } probe{dummy};
    return decodeEuc(text, probe) == 0;
}

bool isSjis(std::string_view text)
{
    const Byte* p = reinterpret_cast<const Byte*>(text.data());
    for (std::size_t i = 0; i < text.size();) {
        if (p[i] < 0x80 || isKanaByte(p[i])) {
            ++i;
        } else if (isSjisLead(p[i]) && i + 1 < text.size() && isSjisTrail(p[i + 1])) {
            i += 2;
        } else {
            return false;
        }
    }
    return true;
}

// --- base64 -----------------------------------------------------------------


int base64Value(Byte c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

// Decodes base64 digits, skipping anything else (line breaks, padding).
std::string decodeBase64(std::string_view text)
{
    std::string out;
    out.reserve(text.size() / 4 * 3 + 3);
    unsigned accumulator = 0;
    int bits = 0;
    for (const char c : text) {
        const int v = base64Value(static_cast<Byte>(c));
        if (v < 0) {
            if (c == '=')
                bits = 0;  // padding ends a group; its spare bits are no data
            continue;
        }
        accumulator = (accumulator << 6) | static_cast<unsigned>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<char>((accumulator >> bits) & 0xFF));
        }
    }
    return out;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Quoted-printable words: "=XX" is a byte, "_" a space.
std::string decodeQuoted(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '_') {
            out.push_back(' ');
        } else if (c == '=' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2])));
            i += 2;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// --- MIME header words --------------------------------------------------------

struct MimeWord {
    Charset charset = Charset::Jis;
    std::string bytes;      // decoded payload
    std::size_t length = 0;  // length of the whole "=?...?=" word
};

bool sameLetters(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<Byte>(a[i])) != std::toupper(static_cast<Byte>(b[i])))
            return false;
    return true;
}

// Reads an encoded word "=?charset?B|Q?payload?=" at the start of `text`.
bool readMimeWord(std::string_view text, MimeWord& word)
{
    if (text.size() < 7 || text[0] != '=' || text[1] != '?')
        return false;
    const std::size_t q1 = text.find('?', 2);
    if (q1 == std::string_view::npos || q1 + 2 >= text.size() || text[q1 + 2] != '?')
        return false;
    const std::size_t end = text.find("?=", q1 + 3);
    if (end == std::string_view::npos)
        return false;
    const std::string_view charset = text.substr(2, q1 - 2);
    const char encoding = static_cast<char>(std::toupper(static_cast<Byte>(text[q1 + 1])));
    const std::string_view payload = text.substr(q1 + 3, end - (q1 + 3));
    for (const char c : payload)
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
            return false;
    if (sameLetters(charset, "ISO-2022-JP") || sameLetters(charset, "US-ASCII"))
        word.charset = Charset::Jis;
    else if (sameLetters(charset, "EUC-JP"))
        word.charset = Charset::Euc;
    else if (sameLetters(charset, "SHIFT_JIS") || sameLetters(charset, "CP932") || sameLetters(charset, "WINDOWS-31J"))
        word.charset = Charset::Sjis;
    else if (sameLetters(charset, "UTF-8"))
        word.charset = Charset::Utf8;
    else
        return false;
    if (encoding == 'B')
        word.bytes = decodeBase64(payload);
    else if (encoding == 'Q')
        word.bytes = decodeQuoted(payload);
    else
        return false;
    word.length = end + 2;
    return true;
}

// Blanks and folds right after an encoded word: they go when another word
// follows ("=" comes next), and are kept otherwise, a fold (line break and
// blank) as one space.  Returns where the text goes on.
std::size_t skipAfterWord(std::string_view text, std::size_t at, std::string& kept)
{
    std::string blanks;
    while (at < text.size()) {
        const char c = text[at];
        if (c == ' ' || c == '\t') {
            blanks.push_back(c);
            ++at;
        } else if (c == '\n' && at + 1 < text.size() && (text[at + 1] == ' ' || text[at + 1] == '\t')) {
            blanks.push_back(' ');
            at += 2;
        } else if (c == '\r' && at + 2 < text.size() && text[at + 1] == '\n' &&
                   (text[at + 2] == ' ' || text[at + 2] == '\t')) {
            blanks.push_back(' ');
            at += 3;
        } else {
            break;
        }
    }
    if (at < text.size() && text[at] == '=')
        kept.clear();
    else
        kept = std::move(blanks);
    return at;
}

// Decodes the encoded words of a header-style text; the text between them is
// read in `charset`.
template <class Sink>
int decodeMimeHeader(std::string_view text, Charset charset, Sink& sink)
{
    int rc = 0;
    std::size_t plainStart = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t at = text.find("=?", i);
        if (at == std::string_view::npos)
            break;
        MimeWord word;
        if (!readMimeWord(text.substr(at), word)) {
            i = at + 1;
            continue;
        }
        rc |= decodeAs(charset, text.substr(plainStart, at - plainStart), sink);
        rc |= decodeAs(word.charset, word.bytes, sink);
        std::string kept;
        i = plainStart = skipAfterWord(text, at + word.length, kept);
        rc |= decodeAs(charset, kept, sink);
    }
    rc |= decodeAs(charset, text.substr(plainStart), sink);
    return rc;
}

// Hands the characters to the MIME stage, with their UTF-8 bytes when the
// words carry UTF-8.
class MimeWriter {
public:
    MimeWriter(std::string& out, MimeEncoder::Charset charset, bool stream)
        : m_encoder(out, charset, stream), m_utf8(charset == MimeEncoder::Charset::Utf8)
    {
    }
    void ascii(Byte b) { m_encoder.ascii(b); }
    void cell(unsigned jis) { m_encoder.wide(jis, m_utf8 ? utf8Of(jis) : std::string_view()); }
    void finish() { m_encoder.finish(); }

private:
    std::string_view utf8Of(unsigned jis)
    {
        auto it = m_utf8Cells.find(jis);
        if (it == m_utf8Cells.end()) {
            std::string sjis;
            SjisWriter(sjis).cell(jis);
            std::string utf8;
            iconvText("UTF-8", "CP932", sjis, UTF8_GETA, utf8);
            it = m_utf8Cells.emplace(jis, std::move(utf8)).first;
        }
        return it->second;
    }

    MimeEncoder m_encoder;
    bool m_utf8;
    std::unordered_map<unsigned, std::string> m_utf8Cells;
};

template <class Writer>
int decodeInto(std::string_view text, Charset input, Transfer transfer, Writer& writer)
{
    KanaWidener<Writer> widener{writer};
    const int rc = transfer == Transfer::Mime ? decodeMimeHeader(text, input, widener)
                                              : decodeAs(input, text, widener);
    widener.finish();
    return rc;
}

}  // namespace

Charset guessCharset(std::string_view text)
{
    bool eightBit = false;
    for (const char c : text) {
        if (static_cast<Byte>(c) >= 0x80) {
            eightBit = true;
            break;
        }
    }
    if (!eightBit)
        return Charset::Jis;
    if (isUtf8(text))
        return Charset::Utf8;
    if (isEuc(text))
        return Charset::Euc;
    if (isSjis(text))
        return Charset::Sjis;
    return Charset::Euc;
}

int convert(std::string_view text, const Request& request, std::string& out)
{
    std::string unwrapped;
    if (request.inputTransfer == Transfer::Base64) {
        unwrapped = decodeBase64(text);
        text = unwrapped;
    }
    const Charset input = request.input == Charset::Guess ? guessCharset(text) : request.input;

    if (request.outputTransfer != Transfer::None) {
        MimeWriter writer(out, request.output == Charset::Utf8 ? MimeEncoder::Charset::Utf8 : MimeEncoder::Charset::Jis,
                          request.outputTransfer == Transfer::Base64);
        return decodeInto(text, input, request.inputTransfer, writer);
    }
    switch (request.output) {
    case Charset::Euc: {
        EucWriter writer(out);
        return decodeInto(text, input, request.inputTransfer, writer);
    }
    case Charset::Sjis: {
        SjisWriter writer(out);
        return decodeInto(text, input, request.inputTransfer, writer);
    }
    case Charset::Utf8: {
        std::string sjis;
        SjisWriter writer(sjis);
        const int rc = decodeInto(text, input, request.inputTransfer, writer);
        return iconvText("UTF-8", "CP932", sjis, UTF8_GETA, out) | rc;
    }
    case Charset::Jis:
    case Charset::Guess:
        break;
    }
    JisWriter writer(out);
    return decodeInto(text, input, request.inputTransfer, writer);
}

}  // namespace quibo::codec
