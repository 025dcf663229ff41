#include "analysis/DoskDictionary.h"

#include <algorithm>
#include <cstring>
#include <exception>

namespace quibo {
namespace {

constexpr std::size_t FULL_WIDTH_LIMIT = 1022;
constexpr std::size_t READING_LIMIT = 128;
constexpr int POS_CLASS_UNDEFINED = 15;
constexpr int POS_SUBCLASS_KATAKANA = 2;
// The reading map's keys lie in the EUC-JP rows A1 to A4 (symbols, Latin
// letters, hiragana), which an index by row and cell covers.
constexpr unsigned READING_INDEX_ROWS = 4;

// Full-width forms of ASCII 0x20..0x7E other than digits and letters.
struct SymbolForm {
    char ascii;
    unsigned char first, second;
};
constexpr SymbolForm ASCII_SYMBOLS[] = {
    {' ', 0xA1, 0xA1}, {'!', 0xA1, 0xAA}, {'"', 0xA1, 0xC9}, {'#', 0xA1, 0xF4}, {'$', 0xA1, 0xF0},
    {'%', 0xA1, 0xF3}, {'&', 0xA1, 0xF5}, {'\'', 0xA1, 0xC7}, {'(', 0xA1, 0xCA}, {')', 0xA1, 0xCB},
    {'*', 0xA1, 0xF6}, {'+', 0xA1, 0xDC}, {',', 0xA1, 0xA4}, {'-', 0xA1, 0xDD}, {'.', 0xA1, 0xA5},
    {'/', 0xA1, 0xBF}, {':', 0xA1, 0xA7}, {';', 0xA1, 0xA8}, {'<', 0xA1, 0xE3}, {'=', 0xA1, 0xE1},
    {'>', 0xA1, 0xE4}, {'?', 0xA1, 0xA9}, {'@', 0xA1, 0xF7}, {'[', 0xA1, 0xCE}, {'\\', 0xA1, 0xEF},
    {']', 0xA1, 0xCF}, {'^', 0xA1, 0xB0}, {'_', 0xA1, 0xB2}, {'`', 0xA1, 0xAE}, {'{', 0xA1, 0xD0},
    {'|', 0xA1, 0xC3}, {'}', 0xA1, 0xD1}, {'~', 0xA1, 0xC1},
};

// Full-width forms of the half-width kana 8E A1 .. 8E DD, in that order.
constexpr const char* HALF_WIDTH_KANA_FORMS =
    "。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン";

constexpr int HALF_WIDTH_KEY = 0x8E00;

// Whether the word of the cleaned text is a run of full-width Latin letters.
bool isLatinWord(const std::string& text, const DoskWord& word)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data()) + word.offset;
    if (word.length < 2 || static_cast<std::size_t>(word.offset + word.length) > text.size()) return false;
    for (int i = 0; i + 1 < word.length; i += 2)
        if (p[i] != 0xA3 || !((p[i + 1] >= 0xC1 && p[i + 1] <= 0xDA) || (p[i + 1] >= 0xE1 && p[i + 1] <= 0xFA)))
            return false;
    return true;
}

// Whether the word is one hyphen: － (ASCII '-' made full-width) or ‐.
bool isHyphenWord(const std::string& text, const DoskWord& word)
{
    if (word.length != 2 || static_cast<std::size_t>(word.offset + 2) > text.size()) return false;
    const auto first = static_cast<unsigned char>(text[word.offset]);
    const auto second = static_cast<unsigned char>(text[word.offset + 1]);
    return first == 0xA1 && (second == 0xDD || second == 0xBE);
}

// A name written with one hyphen between runs of Latin letters (Wi-Fi,
// CD-ROM, e-Tax) is one unlisted word of the letters' class, as the
// dictionary writes the names it lists (Ｆ－Ｘ): a visitor's product name
// reaches the meaning judgement and the knowledge base as one noun-to-be,
// not as two words and a sign.
void joinHyphenatedLatin(const std::string& text, int latinClass, std::vector<DoskWord>& path)
{
    std::size_t kept = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        DoskWord word = path[i];
        if (isLatinWord(text, word)) {
            while (i + 2 < path.size() && isHyphenWord(text, path[i + 1]) && isLatinWord(text, path[i + 2])) {
                word.length = static_cast<std::int16_t>(word.length + path[i + 1].length + path[i + 2].length);
                word.classId = latinClass;
                word.entry = -1;
                i += 2;
            }
        }
        path[kept++] = word;
    }
    path.resize(kept);
}

std::string pair(unsigned char first, unsigned char second)
{
    return std::string{static_cast<char>(first), static_cast<char>(second)};
}

// Katakana letter names of A..Z.
constexpr const char* LETTER_NAMES[26] = {
    "エー", "ビー", "シー", "ディー", "イー", "エフ", "ジー", "エイチ", "アイ",
    "ジェイ", "ケイ", "エル", "エム", "エヌ", "オー", "ピー", "キュー", "アール",
    "エス", "ティー", "ユー", "ブイ", "ダブリュー", "エックス", "ワイ", "ゼット"};

}  // namespace

DoskDictionary::DoskDictionary(const std::string& path)
    : m_builder(std::make_unique<LatticeBuilder>()), m_path(path)
{
    if (!load(dictionaryPath(path), CODE_TYPE_EUC)) {
        m_state = -1;
        return;
    }
    try {
        buildFullWidthMap();
        buildReadingMap();
        m_state = 0;
    } catch (const std::exception&) {
        m_state = -1;
    }
}

std::string DoskDictionary::dictionaryPath(const std::string& path)
{
    auto last = path.find_last_of("\\/");
    std::string lastComponent = last == std::string::npos ? path : path.substr(last + 1);
    if (lastComponent.compare(0, 8, "dosk.dic") == 0) return path;
    if (last == std::string::npos || last == 0) return "dosk/dosk.dic";
    auto secondLast = path.find_last_of("\\/", last - 1);
    if (secondLast == std::string::npos) {
        char separator = path[last];
        return std::string("dosk") + separator + "dosk.dic";
    }
    char separator = path[secondLast];
    return path.substr(0, secondLast + 1) + "dosk" + separator + "dosk.dic";
}

bool DoskDictionary::load(const std::string& filePath, int codeType)
{
    m_codeType = codeType;
    return m_builder->load(filePath, codeType);
}

void DoskDictionary::buildFullWidthMap()
{
    m_fullWidthMap.clear();
    for (int c = '0'; c <= '9'; ++c)
        m_fullWidthMap[c].form = pair(0xA3, static_cast<unsigned char>(0xB0 + (c - '0')));
    for (int c = 'A'; c <= 'Z'; ++c)
        m_fullWidthMap[c].form = pair(0xA3, static_cast<unsigned char>(0xC1 + (c - 'A')));
    for (int c = 'a'; c <= 'z'; ++c)
        m_fullWidthMap[c].form = pair(0xA3, static_cast<unsigned char>(0xE1 + (c - 'a')));
    for (const SymbolForm& symbol : ASCII_SYMBOLS)
        m_fullWidthMap[static_cast<unsigned char>(symbol.ascii)].form = pair(symbol.first, symbol.second);

    const char* kana = HALF_WIDTH_KANA_FORMS;
    for (int code = 0xA1; code <= 0xDD; ++code) {
        FullWidthForm& form = m_fullWidthMap[HALF_WIDTH_KEY | code];
        form.form.assign(kana + 2 * (code - 0xA1), 2);
        const auto first = static_cast<unsigned char>(form.form[0]);
        const auto second = static_cast<unsigned char>(form.form[1]);
        const bool voicedRow = code >= 0xB6 && code <= 0xC4;      // カ .. ト
        const bool semiVoicedRow = code >= 0xCA && code <= 0xCE;  // ハ .. ホ
        if (voicedRow || semiVoicedRow) {
            form.hasVoiced = true;
            form.voiced = pair(first, static_cast<unsigned char>(second + 1));
        }
        if (semiVoicedRow) {
            form.hasSemiVoiced = true;
            form.semiVoiced = pair(first, static_cast<unsigned char>(second + 2));
        }
        if (code == 0xB3) {  // ウ -> ヴ
            form.hasVoiced = true;
            form.voiced = "ヴ";
        }
    }
    m_fullWidthIndex.assign(0x200, nullptr);
    for (const auto& [key, form] : m_fullWidthMap)
        m_fullWidthIndex[key < 0x100 ? key : 0x100 | (key & 0xFF)] = &form;
}

void DoskDictionary::buildReadingMap()
{
    m_readingMap.clear();
    for (int i = 0; i < 26; ++i) {
        m_readingMap[pair(0xA3, static_cast<unsigned char>(0xC1 + i))] = LETTER_NAMES[i];
        m_readingMap[pair(0xA3, static_cast<unsigned char>(0xE1 + i))] = LETTER_NAMES[i];
    }
    // Hiragana ぁ (A4A1) .. ん (A4F3) and katakana share their second byte.
    for (int second = 0xA1; second <= 0xF3; ++second)
        m_readingMap[pair(0xA4, static_cast<unsigned char>(second))] = pair(0xA5, static_cast<unsigned char>(second));
    m_readingMap["＋"] = "プラス";
    m_readingIndex.assign(READING_INDEX_ROWS * 256, nullptr);
    for (const auto& [key, reading] : m_readingMap) {
        const auto row = static_cast<unsigned char>(key[0]);
        if (key.size() == 2 && row >= 0xA1 && row < 0xA1 + READING_INDEX_ROWS)
            m_readingIndex[(row - 0xA1) * 256u + static_cast<unsigned char>(key[1])] = &reading;
    }
}

void DoskDictionary::cleanText(std::string& text) const
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        if (p[i] < 0x21) {
            ++i;
        } else if (p[i] == 0xA1 && i + 1 < n && p[i + 1] == 0xA1) {
            i += 2;
        } else {
            break;
        }
    }
    // Nothing grows: a blank run becomes one byte, 〓 replaces three.
    std::string out(n - i, '\0');
    char* to = out.data();
    bool blank = false;
    while (i < n) {
        const unsigned char b = p[i];
        if (b == ' ' || b == '\t') {
            blank = true;
            ++i;
            continue;
        }
        if (b == 0xA1 && i + 1 < n && p[i + 1] == 0xA1) {
            blank = true;
            i += 2;
            continue;
        }
        // Controls, DEL and characters cut at the end are dropped: each would
        // break the one-unit-per-two-bytes link between text and code units.
        if (b < 0x20 || b == 0x7F) {
            ++i;
            continue;
        }
        std::size_t width = 1;
        if (b == 0x8F)
            width = 3;
        else if (b >= 0x80)
            width = 2;
        if (width > n - i) break;
        if (blank) {
            *to++ = ' ';
            blank = false;
        }
        if (b == 0x8F) {
            // No code unit for JIS X 0212 characters.
            constexpr std::string_view GETA = "〓";
            static_assert(GETA.size() == 2);
            *to++ = GETA[0];
            *to++ = GETA[1];
        } else {
            *to++ = static_cast<char>(b);
            if (width == 2) *to++ = static_cast<char>(p[i + 1]);
        }
        i += width;
    }
    out.resize(static_cast<std::size_t>(to - out.data()));
    text = out.empty() ? std::string() : toFullWidth(out);
}

std::string DoskDictionary::toFullWidth(const std::string& text) const
{
    // Every step writes at most two bytes after the limit check.
    char buffer[FULL_WIDTH_LIMIT + 3];
    std::size_t size = 0;
    auto put = [&buffer, &size](const std::string& form) {
        buffer[size++] = form[0];
        buffer[size++] = form[1];
    };
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    const bool indexed = m_fullWidthIndex.size() == 0x200;
    const FullWidthForm* lastKana = nullptr;  // kana written just before
    for (std::size_t i = 0; i < n;) {
        if (size > FULL_WIDTH_LIMIT) break;
        const unsigned char b = p[i];
        if (b >= 0x20 && b <= 0x7E && indexed) {
            put(m_fullWidthIndex[b]->form);
            lastKana = nullptr;
            ++i;
            continue;
        }
        if (b == 0x8E && i + 1 < n) {
            const unsigned char code = p[i + 1];
            const FullWidthForm* combined = nullptr;
            if (code == 0xDE && lastKana && lastKana->hasVoiced) combined = lastKana;
            if (code == 0xDF && lastKana && lastKana->hasSemiVoiced) combined = lastKana;
            if (combined) {
                size -= 2;
                put(code == 0xDE ? combined->voiced : combined->semiVoiced);
                lastKana = nullptr;
                i += 2;
                continue;
            }
            const FullWidthForm* found = indexed ? m_fullWidthIndex[0x100 | code] : nullptr;
            if (found) {
                put(found->form);
                lastKana = found;
            } else {
                buffer[size++] = static_cast<char>(b);
                buffer[size++] = static_cast<char>(code);
                lastKana = nullptr;
            }
            i += 2;
            continue;
        }
        lastKana = nullptr;
        buffer[size++] = static_cast<char>(b);
        if (b >= 0x80 && i + 1 < n) buffer[size++] = static_cast<char>(p[++i]);
        ++i;
    }
    return std::string(buffer, size);
}

RawWord DoskDictionary::buildRawWord(const std::string& surface, const std::string& baseForm,
                                     const std::string& reading, int posClass, int posSubclass,
                                     int conjugationType, int conjugationForm,
                                     const std::string& classNameComponent) const
{
    RawWord word;
    word.surface = surface;
    word.baseForm = baseForm;
    word.reading = reading;
    word.posClass = posClass;
    word.posSubclass = posSubclass;
    word.conjugationType = conjugationType;
    word.conjugationForm = conjugationForm;
    word.conjugationFormText = classNameComponent;
    completeReading(word);
    return word;
}

void DoskDictionary::completeReading(RawWord& word) const
{
    if (word.reading.empty()) word.reading = word.surface;
    if (word.posClass != POS_CLASS_UNDEFINED || word.posSubclass == POS_SUBCLASS_KATAKANA) return;
    std::string rebuilt;
    word.reading = std::string(completedReading(word.surface, word.reading, word.posClass, word.posSubclass, rebuilt));
}

std::string_view DoskDictionary::completedReading(std::string_view surface, std::string_view reading, int posClass,
                                                  int posSubclass, std::string& respelled) const
{
    if (reading.empty()) reading = surface;
    if (posClass != POS_CLASS_UNDEFINED || posSubclass == POS_SUBCLASS_KATAKANA) return reading;
    respelled.clear();
    for (std::size_t i = 0; i < reading.size(); i += 2) {
        const std::size_t width = std::min<std::size_t>(2, reading.size() - i);
        const std::string* found = width == 2 ? readingOf(reading[i], reading[i + 1]) : nullptr;
        if (found)
            respelled += *found;
        else
            respelled.append(reading.substr(i, width));
        if (respelled.size() >= READING_LIMIT) {
            respelled.clear();
            break;
        }
    }
    return respelled;
}

const std::string* DoskDictionary::readingOf(char first, char second) const
{
    const auto row = static_cast<unsigned char>(first);
    if (row >= 0xA1 && row < 0xA1 + READING_INDEX_ROWS && !m_readingIndex.empty())
        return m_readingIndex[(row - 0xA1) * 256u + static_cast<unsigned char>(second)];
    const auto found = m_readingMap.find(std::string{first, second});
    return found == m_readingMap.end() ? nullptr : &found->second;
}

bool DoskDictionary::findWords(std::string& text, std::vector<DoskWord>& path) const
{
    cleanText(text);
    if (text.empty() || m_state != 0) return false;
    m_builder->build(toCodeUnits(text, CODE_TYPE_EUC), path);
    if (const DoskCharRange* latin = m_builder->classTable().firstRange(0xFF21))
        joinHyphenatedLatin(text, latin->classId, path);
    return true;
}

void DoskDictionary::fillWord(const std::string& text, const DoskWord& found, RawWord& word) const
{
    const DoskClassTable& classes = m_builder->classTable();
    word.surface.assign(text, static_cast<std::size_t>(found.offset), static_cast<std::size_t>(found.length));
    const int c = found.classId;
    if (found.entry > 0) {
        if (!m_builder->entryForms(found.entry, word.baseForm, word.reading)) word.baseForm = word.surface;
    } else {
        word.baseForm = word.surface;
        m_builder->composeReading(word.reading, word.surface, c);
    }
    word.posClass = classes.attribute(c, 0);
    word.posSubclass = classes.attribute(c, 1);
    word.conjugationType = classes.attribute(c, 2);
    word.conjugationForm = classes.attribute(c, 3);
    word.conjugationFormText = classes.lastNameComponent(c);
    completeReading(word);
}

void DoskDictionary::viewWord(const std::string& text, const DoskWord& found, RawWordView& word) const
{
    // The texts that are neither the surface nor a part of it.
    thread_local std::string baseForm, reading, respelled;
    const DoskClassTable& classes = m_builder->classTable();
    word.surface = std::string_view(text).substr(static_cast<std::size_t>(found.offset),
                                                 static_cast<std::size_t>(found.length));
    const int c = found.classId;
    if (found.entry > 0) {
        word.baseForm = m_builder->entryForms(found.entry, baseForm, reading) ? std::string_view(baseForm) : word.surface;
    } else {
        word.baseForm = word.surface;
        m_builder->composeReading(reading, word.surface, c);
    }
    word.posClass = classes.attribute(c, 0);
    word.posSubclass = classes.attribute(c, 1);
    word.conjugationType = classes.attribute(c, 2);
    word.conjugationForm = classes.attribute(c, 3);
    word.reading = completedReading(word.surface, reading, word.posClass, word.posSubclass, respelled);
}

int DoskDictionary::analyze(std::string& text, std::vector<RawWord>& words) const
{
    thread_local std::vector<DoskWord> path;
    if (!findWords(text, path)) return -1;
    words.clear();
    words.reserve(path.size());
    for (const DoskWord& found : path) {
        if (static_cast<std::size_t>(found.offset) >= text.size()) break;
        // Each field is made where it stays.
        fillWord(text, found, words.emplace_back());
    }
    return 0;
}

int DoskDictionary::analyze(std::string& text, WordReceiver& receiver) const
{
    // The path's storage is the thread's spare, lent and given back, so that
    // a receiver that analyses again gets storage of its own.
    thread_local std::vector<DoskWord> spare;
    std::vector<DoskWord> path = std::move(spare);
    int result = -1;
    if (findWords(text, path)) {
        receiver.expect(path.size());
        RawWordView word;
        for (const DoskWord& found : path) {
            if (static_cast<std::size_t>(found.offset) >= text.size()) break;
            viewWord(text, found, word);
            receiver.receive(word);
        }
        result = 0;
    }
    spare = std::move(path);
    return result;
}

}  // namespace quibo
