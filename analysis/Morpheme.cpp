#include "analysis/Morpheme.h"

#include "analysis/CodeConverter.h"
#include "analysis/ConsoleLine.h"
#include "analysis/LanguageAnalyzer.h"
#include "analysis/MorphemeList.h"
#include "analysis/Vocabulary.h"
#include "knowledge/CDictionary.h"
#include "knowledge/Entity.h"
#include "knowledge/KnowledgeObject.h"
#include "knowledge/ParsedText.h"
#include "knowledge/Thesaurus.h"

#include <array>
#include <cstdio>
#include <utility>

namespace quibo {

namespace {

constexpr int NO_DISTANCE = 99999;

constexpr std::pair<PosCode, std::string_view> POS_NAMES[] = {
    {0x10000, "特殊"}, {0x10001, "句点"}, {0x10002, "読点"}, {0x10004, "括弧始"},
    {0x10008, "括弧終"}, {0x10010, "記号"}, {0x10020, "空白"},
    {0x20000, "動詞"}, {0x20001, "サ変動詞(する)"}, {0x20002, "サ変動詞(できる)"},
    {0x28004, "PA"}, {0x28008, "PS"}, {0x28010, "PT"},
    {0x40000, "形容詞"}, {0x80000, "判定詞"}, {0x100000, "助動詞"},
    {0x200000, "名詞"}, {0x200001, "普通名詞"}, {0x200002, "サ変名詞"}, {0x200004, "固有名詞"},
    {0x200008, "地名"}, {0x200010, "人名"}, {0x200020, "組織名"}, {0x200040, "数詞"},
    {0x200080, "形式名詞"}, {0x200100, "副詞的名詞"}, {0x200200, "時相名詞"},
    {0x204400, "EA"}, {0x204800, "ES"}, {0x205000, "ET"},
    {0x400000, "指示詞"}, {0x400001, "名詞形態指示詞"}, {0x400002, "連体詞形態指示詞"},
    {0x400004, "副詞形態指示詞"},
    {0x800000, "副詞"}, {0x800001, "様態副詞"}, {0x800002, "程度副詞"}, {0x800004, "量副詞"},
    {0x800008, "頻度副詞"}, {0x800010, "時制相副詞"}, {0x800020, "陳述副詞"},
    {0x800040, "評価副詞"}, {0x800080, "発言副詞"},
    {0x1000000, "助詞"}, {0x1000001, "格助詞"}, {0x1000002, "副助詞"}, {0x1000004, "接続助詞"},
    {0x1000008, "終助詞"},
    {0x2000000, "接続詞"}, {0x4000000, "連体詞"}, {0x8000000, "感動詞"},
    {0x10000000, "接頭辞"}, {0x10000001, "名詞接頭辞"}, {0x10000002, "動詞接頭辞"},
    {0x10000004, "イ形容詞接頭辞"}, {0x10000008, "ナ形容詞接頭辞"},
    {0x20000000, "接尾辞"}, {0x20000001, "名詞性述語接尾辞"}, {0x20000002, "名詞性名詞接尾辞"},
    {0x20000004, "名詞性名詞助数辞"}, {0x20000008, "名詞性特殊接尾辞"},
    {0x20000010, "形容詞性述語接尾辞"}, {0x20000020, "形容詞性名詞接尾辞"},
    {0x20000040, "動詞性接尾辞"},
    {0x40000000, "未定義語"}, {0x40000001, "その他"}, {0x40000002, "カタカナ"},
    {0x40000004, "アルファベット"}, {0x40000008, "乱れ句"},
};

constexpr std::array<std::pair<std::uint32_t, std::string_view>, 11> FLAG_LETTERS = {{
    {Morpheme::FLAG_X, "X "}, {Morpheme::FLAG_Y, "Y "}, {Morpheme::FLAG_Z, "Z "},
    {Morpheme::FLAG_I, "I "}, {Morpheme::FLAG_U, "U "}, {Morpheme::FLAG_N, "N "},
    {Morpheme::FLAG_G, "G "}, {Morpheme::FLAG_A, "A "}, {Morpheme::FLAG_VS, "VS "},
    {Morpheme::FLAG_MS, "MS "}, {Morpheme::FLAG_E, "E "},
}};

unsigned byteAt(std::string_view text, std::size_t i)
{
    return static_cast<unsigned char>(text[i]);
}

bool isHiraganaPair(std::string_view text, std::size_t i)
{
    return byteAt(text, i) == 0xA4 && byteAt(text, i + 1) >= 0xA1 && byteAt(text, i + 1) <= 0xF3;
}

// One kanji, then hiragana only.
bool kanjiThenHiragana(std::string_view text)
{
    if (text.size() < 2 || text.size() % 2 != 0)
        return false;
    if (byteAt(text, 0) < 0xB0 || byteAt(text, 0) > 0xF4 || byteAt(text, 1) < 0xA1 ||
        byteAt(text, 1) > 0xFE)
        return false;
    for (std::size_t i = 2; i < text.size(); i += 2) {
        if (!isHiraganaPair(text, i))
            return false;
    }
    return true;
}

LanguageAnalyzer* analyzer()
{
    return LanguageAnalyzer::instance();
}

// Console text is UTF-8 on this system; engine text is converted on the way.
void writeConsole(const std::string& eucText)
{
    std::FILE* console = consoleStream();
    if (!console)
        return;
    const std::string text = CodeConverter(eucText).convert(CodeConverter::UTF8, CodeConverter::EUC);
    std::fwrite(text.data(), 1, text.size(), console);
}

}  // namespace

std::string_view posCodeName(PosCode code)
{
    for (const auto& [value, name] : POS_NAMES) {
        if (value == code)
            return name;
    }
    return "****";
}

Morpheme::Morpheme(KnowledgeObject* object)
    : m_knowledgeObject(object), m_posCode(pos::ENTITY), m_originalPosCode(pos::NOUN)
{
    if (object)
        m_surface = object->getTitleText();
    m_keyForm = m_surface;
    m_baseForm = m_surface;
}

Morpheme Morpheme::makeCompound(const std::string& text, const std::vector<Morpheme>& words,
                                CDictionary* dictionary, bool force, bool lookUp, bool mark)
{
    Morpheme compound;
    compound.m_surface = text;
    compound.m_keyForm = text;
    compound.m_baseForm = text;
    compound.m_originalPosCode = pos::NOUN;
    if (!words.empty())
        compound.m_conjugation = words.back().m_conjugation;

    for (const Morpheme& word : words) {
        compound.m_flags |= word.m_flags;
        compound.m_attributes |= word.m_attributes;
    }
    // What marks one word of a run says nothing about the joined word.
    if (words.size() > 1)
        compound.m_flags &= ~(FLAG_I | FLAG_U | FLAG_N | FLAG_G);
    if ((compound.m_flags & FLAG_X) && (compound.m_flags & FLAG_Y))
        compound.m_flags &= ~FLAG_X;
    if (mark)
        compound.m_flags |= FLAG_G;
    compound.m_flags &= ~FLAG_MS;

    MorphemeList analysed;
    if (LanguageAnalyzer* la = analyzer()) {
        std::string surfaces;
        analysed = la->analyze(text, surfaces);
    }
    compound.m_posCode = analysed.empty() ? pos::COMMON_NOUN : analysed.words().back().getPosCode();

    if (lookUp) {
        Entity* entity = dictionary ? dictionary->findByName(text, false) : nullptr;
        compound.m_knowledgeObject = entity;
        if (force || entity)
            compound.m_posCode = pos::ENTITY;
    } else if (force) {
        compound.m_posCode = pos::PREDICATIVE;
    } else if (dictionary && dictionary->findPredicative(text, false)) {
        compound.m_posCode = pos::PREDICATIVE;
    }
    return compound;
}

Morpheme::Morpheme(std::string_view surface, std::string_view reading, std::string_view baseForm, int classId,
                   int subclassId, int conjugationTypeId, int conjugationFormId)
    : m_surface(surface),
      m_keyForm(baseForm),
      m_baseForm(baseForm),
      m_reading(reading),
      m_posCode(pos::code(classId, subclassId)),
      m_originalPosCode(m_posCode),
      m_conjugation(static_cast<std::int32_t>(static_cast<std::uint32_t>(conjugationTypeId) * 0x10000u +
                                              static_cast<std::uint32_t>(conjugationFormId)))
{
}

void Morpheme::set(std::string_view surface, std::string_view reading, std::string_view baseForm, int classId,
                   int subclassId, int conjugationTypeId, int conjugationFormId)
{
    m_surface = surface;
    m_reading = reading;
    m_keyForm = baseForm;
    m_baseForm = baseForm;
    m_posCode = pos::code(classId, subclassId);
    m_originalPosCode = m_posCode;
    m_conjugation = static_cast<std::int32_t>(static_cast<std::uint32_t>(conjugationTypeId) * 0x10000u +
                                              static_cast<std::uint32_t>(conjugationFormId));
}

bool Morpheme::isContentWord() const
{
    return isNoun(false) || isPredicateWord(false) || isUnknownKatakana() ||
           isAllFullWidthLatin() || isAdnominal();
}

bool Morpheme::isKnowledgeWord() const { return (m_posCode & pos::KNOWLEDGE_BIT) != 0; }
bool Morpheme::isNumeral() const { return m_posCode == pos::NUMERAL; }
bool Morpheme::isProperNoun() const { return m_posCode == pos::PROPER_NOUN; }

bool Morpheme::isShortNoun() const
{
    return isNoun(true) && (m_surface.size() == 2 || isKanjiThenHiragana());
}

bool Morpheme::isNamedNoun() const
{
    return m_posCode == pos::PLACE_NAME || m_posCode == pos::PERSON_NAME ||
           m_posCode == pos::ORGANIZATION_NAME;
}

bool Morpheme::lacksFlagA() const { return (m_flags & FLAG_A) == 0; }
KnowledgeObject* Morpheme::getKnowledgeObject() const { return m_knowledgeObject; }

void Morpheme::print(int options) const
{
    writeConsole(dump(options));
}

std::string Morpheme::dump(int options) const
{
    std::string text = "( ";
    auto part = [&text](std::string_view value) {
        text += value;
        text += ' ';
    };
    if (options & DUMP_SURFACE)
        part(m_surface);
    if (options & DUMP_KEY_FORM)
        part(m_keyForm);
    if (options & DUMP_POS_NAME)
        part(posName());
    if (options & DUMP_READING)
        part(m_reading);
    if (m_conjugation != 0) {
        if (options & DUMP_CONJUGATION_TYPE)
            part(conjugationTypeName(m_conjugation));
        if (options & DUMP_CONJUGATION_FORM)
            part(conjugationFormName(m_conjugation));
    }
    char number[40];
    if (options & DUMP_FLAGS) {
        for (const auto& [bit, letters] : FLAG_LETTERS) {
            if (m_flags & bit)
                text += letters;
        }
        std::snprintf(number, sizeof number, "%x", static_cast<unsigned>(m_attributes));
        text += number;
    } else if ((options & DUMP_FLAG_G) && hasFlagG()) {
        text += "G ";
    }
    if (options & DUMP_MARKS) {
        std::snprintf(number, sizeof number, " o=%d m=%x", static_cast<int>(m_o),
                      static_cast<unsigned>(m_m));
        text += number;
    }
    text += ')';
    if (options & DUMP_LINE_FEED)
        text += '\n';
    return text;
}

std::string_view Morpheme::posName() const { return posCodeName(m_posCode); }
PosCode Morpheme::getPosCode() const { return m_posCode; }

PosCode Morpheme::getEffectivePosCode() const
{
    const ParsedText* parsed = m_knowledgeObject ? m_knowledgeObject->getTitle() : nullptr;
    if (!parsed)
        return m_posCode;
    // Read in place: every word correlation asks for it.
    const MorphemeList& title = parsed->morphemes();
    if (title.size() == 1)
        return title.words().front().getPosCode();
    return title.empty() ? m_posCode : pos::COMMON_NOUN;
}

PosCode Morpheme::getOriginalPosCode() const { return m_originalPosCode; }

int Morpheme::getNominalKind() const
{
    const PosCode effective = getEffectivePosCode();
    if (effective & pos::NOUN)
        return 1;
    if ((effective & pos::ADJECTIVE) && (m_conjugation >> 16) == 21)
        return 2;
    return 0;
}

void Morpheme::setSurface(std::string_view surface) { m_surface = surface; }
void Morpheme::setKeyForm(std::string_view keyForm) { m_keyForm = keyForm; }
void Morpheme::setBaseForm(std::string_view baseForm) { m_baseForm = baseForm; }
void Morpheme::setPosCode(PosCode code) { m_posCode = code; }
void Morpheme::setOriginalPosCode(PosCode code) { m_originalPosCode = code; }
void Morpheme::setReading(std::string_view reading) { m_reading = reading; }
void Morpheme::setKnowledgeObject(KnowledgeObject* object) { m_knowledgeObject = object; }

bool Morpheme::isKnowledgePair(PosCode code) const
{
    auto pairs = [](PosCode a, PosCode b) {
        return a == pos::ENTITY_THESAURUS && (b == pos::ENTITY || b == pos::ENTITY_SYNONYMS);
    };
    return pairs(m_posCode, code) || pairs(code, m_posCode);
}

bool Morpheme::isNoun(bool effective) const
{
    const PosCode code = effective ? getEffectivePosCode() : m_posCode;
    return ((code & pos::NOUN) || (m_posCode & pos::NOUN)) && code != pos::FORMAL_NOUN &&
           code != pos::ADVERBIAL_NOUN;
}

bool Morpheme::isPredicateWord(bool effective) const
{
    const PosCode code = effective ? getEffectivePosCode() : m_posCode;
    return (code & pos::PREDICATE_BITS) != 0;
}

bool Morpheme::isUnknownWord() const
{
    if (m_flags & FLAG_I)
        return false;
    LanguageAnalyzer* la = analyzer();
    auto unrelated = [&] { return !la || la->getRelations(m_keyForm.str()).empty(); };
    if (isContentWord()) {
        if (isSingleKanaByte())
            return true;
        if (isNumeral() || isProperNoun() || isNamedNoun())
            return false;
        return unrelated();
    }
    return m_posCode == pos::UNDEFINED_OTHER && unrelated();
}

bool Morpheme::isAllHiragana() const
{
    if (m_surface.size() % 2 != 0)
        return false;
    for (std::size_t i = 0; i < m_surface.size(); i += 2) {
        if (!isHiraganaPair(m_surface, i))
            return false;
    }
    return true;
}

bool Morpheme::isKanjiThenHiragana() const { return kanjiThenHiragana(m_surface); }
bool Morpheme::isKeyKanjiThenHiragana() const { return kanjiThenHiragana(m_keyForm); }

bool Morpheme::isSingleKanaByte() const
{
    return m_surface.size() == 1 && (byteAt(m_surface, 0) == 0xA4 || byteAt(m_surface, 0) == 0xA5);
}

bool Morpheme::isUnknownKatakana() const { return m_posCode == pos::UNKNOWN_KATAKANA; }
bool Morpheme::isUnknownAlphabet() const { return m_posCode == pos::UNKNOWN_ALPHABET; }
bool Morpheme::isAdnominal() const { return m_posCode == pos::ADNOMINAL; }
void Morpheme::setO(std::uint8_t n) { m_o = n; }
std::uint8_t Morpheme::getO() const { return m_o; }
void Morpheme::setM(std::uint8_t n) { m_m = n; }
void Morpheme::orM(std::uint8_t bits) { m_m |= bits; }
std::uint8_t Morpheme::getM() const { return m_m; }

bool Morpheme::isAllFullWidthLatin() const
{
    if (m_surface.size() % 2 != 0)
        return false;
    for (std::size_t i = 0; i < m_surface.size(); i += 2) {
        const unsigned second = byteAt(m_surface, i + 1);
        if (byteAt(m_surface, i) != 0xA3 || second < 0xC1 || second > 0xFA)
            return false;
    }
    return true;
}

void Morpheme::getAttributeSet(std::set<int>& out) const
{
    out.clear();
    for (int i = 1; i <= 24; ++i) {
        if (m_attributes & (std::uint32_t{1} << (7 + i)))
            out.insert(i);
    }
}

bool Morpheme::isSameOrRelated(const Morpheme& other) const
{
    if (m_keyForm == other.m_keyForm)
        return true;
    LanguageAnalyzer* la = analyzer();
    int distance = NO_DISTANCE;
    return la && la->searchPath(other.m_keyForm.str(), m_keyForm.str(), distance, 0) > 0;
}

int Morpheme::getCorrelation(const Morpheme& other, bool reverse, int& distance) const
{
    distance = NO_DISTANCE;
    int relation = 1;
    if (m_keyForm == other.m_keyForm) {
        distance = 0;
    } else {
        const Morpheme& from = reverse ? other : *this;
        const Morpheme& to = reverse ? *this : other;
        const int mode = from.isShortNoun() ? 2 : 1;
        LanguageAnalyzer* la = analyzer();
        relation = la ? la->searchPath(from.m_keyForm.str(), to.m_keyForm.str(), distance, mode) : 0;
        // Mode 2 (short nouns) accepts one level further down than mode 1.
        if (distance < -mode)
            return 0;
        if (relation != 1 && relation != 2)
            return relation;
    }
    const bool opposite = ((m_posCode ^ other.m_posCode) & pos::POLARITY_BIT) != 0;
    if (relation == 1)
        return opposite ? 2 : 1;
    return opposite ? 1 : 2;
}

bool Morpheme::correlatesWithAny(const MorphemeList& list, bool forward) const
{
    int distance = NO_DISTANCE;
    for (const Morpheme& word : list.words()) {
        if (getCorrelation(word, !forward, distance) != 0)
            return true;
    }
    return false;
}

void Morpheme::bindKnowledgeObject(KnowledgeObject* object)
{
    if (!object)
        return;
    const std::int32_t type = object->getTypeId();
    m_posCode = static_cast<PosCode>(type);
    auto* thesaurus = dynamic_cast<Thesaurus*>(object);
    switch (type) {
    case knowledge_type::PREDICATIVE_ANTONYMS:
    case knowledge_type::PREDICATIVE_SYNONYMS:
        if (thesaurus)
            m_keyForm = thesaurus->representativeTitleText();
        break;
    case knowledge_type::PREDICATIVE:
        m_keyForm = object->getTitleText();
        break;
    case knowledge_type::ENTITY_THESAURUS:
    case knowledge_type::ENTITY_SYNONYMS:
        if (thesaurus) {
            m_keyForm = thesaurus->representativeTitleText();
            m_knowledgeObject = thesaurus->getRepresentative();
        }
        break;
    case knowledge_type::ENTITY:
        m_keyForm = object->getTitleText();
        m_knowledgeObject = object;
        break;
    default:
        break;
    }
}

void VariantWord::print(int options) const
{
    Morpheme::print(options);
    if (std::FILE* console = consoleStream())
        std::fprintf(console, "%d\n", static_cast<int>(m_levelVari));
}

std::string VariantWord::dump(int options) const
{
    std::string text = Morpheme::dump(options);
    text.erase(std::min(text.find(')'), text.size()));
    char level[40];
    std::snprintf(level, sizeof level, " levelVari=%d)", static_cast<int>(m_levelVari));
    return text + level;
}

}  // namespace quibo
