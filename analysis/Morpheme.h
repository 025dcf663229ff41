// One analysed word.  The analyser fills one per word of a sentence, the
// serialised-analysis reader rebuilds them from text, knowledge objects are
// turned into one-word records and runs of words are joined into compounds.
// Every later stage reads words only through this record and MorphemeList.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/WordText.h"

namespace quibo {

class CDictionary;
class KnowledgeObject;
class MorphemeList;
template <class T>
struct CdrBody;

// Part-of-speech codes: a class id (1..15) gives one high bit
// (0x8000 << class), a subclass id s > 0 adds bit (s - 1).  A code tests for
// its class with one AND.  Unsigned: class 15 is 0x40000000 and class 16
// would already leave a signed int.
using PosCode = std::uint32_t;

namespace pos {

// Shift counts are taken modulo 32, as the analyser's ids are not checked.
constexpr PosCode code(int classId, int subclassId)
{
    return (PosCode{0x8000} << (static_cast<unsigned>(classId) & 31u)) +
           ((PosCode{1} << (static_cast<unsigned>(subclassId) & 31u)) >> 1);
}

inline constexpr PosCode SPECIAL = 0x10000;
inline constexpr PosCode VERB = 0x20000;
inline constexpr PosCode ADJECTIVE = 0x40000;
inline constexpr PosCode COPULA = 0x80000;
inline constexpr PosCode AUXILIARY = 0x100000;
inline constexpr PosCode NOUN = 0x200000;
inline constexpr PosCode COMMON_NOUN = 0x200001;
inline constexpr PosCode SAHEN_NOUN = 0x200002;
inline constexpr PosCode PROPER_NOUN = 0x200004;
inline constexpr PosCode PLACE_NAME = 0x200008;
inline constexpr PosCode PERSON_NAME = 0x200010;
inline constexpr PosCode ORGANIZATION_NAME = 0x200020;
inline constexpr PosCode NUMERAL = 0x200040;
inline constexpr PosCode FORMAL_NOUN = 0x200080;
inline constexpr PosCode ADVERBIAL_NOUN = 0x200100;
inline constexpr PosCode TEMPORAL_NOUN = 0x200200;
inline constexpr PosCode DEMONSTRATIVE = 0x400000;
inline constexpr PosCode ADVERB = 0x800000;
inline constexpr PosCode PARTICLE = 0x1000000;
inline constexpr PosCode CONJUNCTION = 0x2000000;
inline constexpr PosCode ADNOMINAL = 0x4000000;
inline constexpr PosCode INTERJECTION = 0x8000000;
inline constexpr PosCode PREFIX = 0x10000000;
inline constexpr PosCode SUFFIX = 0x20000000;
inline constexpr PosCode ADJECTIVAL_PREDICATE_SUFFIX = 0x20000010;
inline constexpr PosCode ADJECTIVAL_NOUN_SUFFIX = 0x20000020;
inline constexpr PosCode COUNTER_SUFFIX = 0x20000004;
inline constexpr PosCode UNDEFINED = 0x40000000;
inline constexpr PosCode UNDEFINED_OTHER = 0x40000001;
inline constexpr PosCode UNKNOWN_KATAKANA = 0x40000002;
inline constexpr PosCode UNKNOWN_ALPHABET = 0x40000004;

// Knowledge-object type codes, written into a word's POS code when a
// knowledge object is bound.  The E codes carry the noun bit, the P codes
// the verb bit; all carry KNOWLEDGE_BIT or bit 0x8000.
inline constexpr PosCode PREDICATIVE_ANTONYMS = 0x28004;  // "PA"
inline constexpr PosCode PREDICATIVE_SYNONYMS = 0x28008;  // "PS"
inline constexpr PosCode PREDICATIVE = 0x28010;           // "PT"
inline constexpr PosCode ENTITY_THESAURUS = 0x204400;     // "EA"
inline constexpr PosCode ENTITY_SYNONYMS = 0x204800;      // "ES"
inline constexpr PosCode ENTITY = 0x205000;               // "ET"

inline constexpr PosCode KNOWLEDGE_BIT = 0x4000;
// Words whose POS codes differ in this bit correlate the other way round.
inline constexpr PosCode POLARITY_BIT = 0x400;
inline constexpr PosCode PREDICATE_BITS = VERB | ADJECTIVE | ADVERB;

}  // namespace pos

class Morpheme {
    // A knowledge file's reader fills the fields of the words it makes in
    // place, hundreds of thousands of them per file.
    template <class T>
    friend struct CdrBody;

public:
    // Flag word 1.  Letters as the debug form prints them.
    static constexpr std::uint32_t FLAG_X = 0x1;    // head class noun
    static constexpr std::uint32_t FLAG_Y = 0x2;    // head class other than noun
    static constexpr std::uint32_t FLAG_Z = 0x4;
    static constexpr std::uint32_t FLAG_I = 0x8;    // optional (ignorable) word
    static constexpr std::uint32_t FLAG_U = 0x10;
    static constexpr std::uint32_t FLAG_N = 0x20;   // ignorable, never a key word
    static constexpr std::uint32_t FLAG_G = 0x40;
    static constexpr std::uint32_t FLAG_A = 0x80;
    static constexpr std::uint32_t FLAG_VS = 0x100;
    static constexpr std::uint32_t FLAG_MS = 0x200;  // stepped over when linking words
    static constexpr std::uint32_t FLAG_E = 0x400;   // never paired through the network
    static constexpr std::uint32_t HEAD_FLAGS = FLAG_X | FLAG_Y;

    // Link marks of the m byte.
    static constexpr std::uint8_t LINK_TO_NEXT = 0x1;      // joined in front of the following word
    static constexpr std::uint8_t LINK_TO_PREVIOUS = 0x2;  // joined after the preceding word
    static constexpr std::uint8_t LINK_MARKS = LINK_TO_NEXT | LINK_TO_PREVIOUS;

    // Option bits of dump and print.
    static constexpr int DUMP_SURFACE = 0x1;
    static constexpr int DUMP_READING = 0x2;
    static constexpr int DUMP_KEY_FORM = 0x4;
    static constexpr int DUMP_POS_NAME = 0x8;
    static constexpr int DUMP_CONJUGATION_TYPE = 0x10;
    static constexpr int DUMP_CONJUGATION_FORM = 0x20;
    static constexpr int DUMP_FLAGS = 0x40;
    static constexpr int DUMP_LINE_FEED = 0x80;
    static constexpr int DUMP_MARKS = 0x100;
    static constexpr int DUMP_KNOWLEDGE_WORDS_ONLY = 0x200;  // MorphemeList::print only
    static constexpr int DUMP_FLAG_G = 0x400;

    Morpheme() = default;
    Morpheme(const Morpheme&) = default;
    Morpheme& operator=(const Morpheme&) = default;
    Morpheme(Morpheme&&) = default;
    Morpheme& operator=(Morpheme&&) = default;
    // A one-word record standing for a knowledge object: its title becomes
    // surface, key form and base form.
    explicit Morpheme(KnowledgeObject* object);
    // A word from one analyser result, as set() fills a fresh record; the
    // texts are made in place rather than assigned.
    Morpheme(std::string_view surface, std::string_view reading, std::string_view baseForm, int classId,
             int subclassId, int conjugationTypeId, int conjugationFormId);

    // One record for a run of words (compound).  The dictionary may be null:
    // then no knowledge look-up happens whatever `lookUp` says.
    static Morpheme makeCompound(const std::string& text, const std::vector<Morpheme>& words,
                                 CDictionary* dictionary, bool force, bool lookUp, bool mark);

    virtual ~Morpheme() = default;

    // Fills a word from one analyser result.  Knowledge object, flags, o and
    // m are left as they were.
    // The texts are copied, into what the record already holds.
    virtual void set(std::string_view surface, std::string_view reading, std::string_view baseForm, int classId,
                     int subclassId, int conjugationTypeId, int conjugationFormId);
    virtual bool isContentWord() const;
    virtual bool isKnowledgeWord() const;
    virtual bool isNumeral() const;
    virtual bool isProperNoun() const;
    virtual bool isShortNoun() const;
    virtual bool isNamedNoun() const;
    virtual bool lacksFlagA() const;
    virtual KnowledgeObject* getKnowledgeObject() const;
    // The debug form, converted for the console and written to the console
    // stream (see ConsoleLine.h; nowhere unless switched on).
    virtual void print(int options) const;
    virtual std::string dump(int options) const;
    virtual std::string_view posName() const;
    virtual PosCode getPosCode() const;
    // The POS the word stands for once its knowledge object is considered.
    virtual PosCode getEffectivePosCode() const;
    virtual PosCode getOriginalPosCode() const;
    // 1 noun, 2 na-adjective, 0 otherwise (effective POS).
    virtual int getNominalKind() const;
    virtual void setSurface(std::string_view surface);
    virtual void setKeyForm(std::string_view keyForm);
    virtual void setBaseForm(std::string_view baseForm);
    virtual void setPosCode(PosCode code);
    virtual void setOriginalPosCode(PosCode code);
    virtual void setReading(std::string_view reading);
    virtual void setKnowledgeObject(KnowledgeObject* object);
    virtual bool isKnowledgePair(PosCode code) const;
    virtual bool isNoun(bool effective) const;
    virtual bool isPredicateWord(bool effective) const;
    virtual bool isUnknownWord() const;
    virtual bool isAllHiragana() const;
    virtual bool isKanjiThenHiragana() const;
    virtual bool isKeyKanjiThenHiragana() const;
    virtual bool isSingleKanaByte() const;
    virtual bool isUnknownKatakana() const;
    virtual bool isUnknownAlphabet() const;
    virtual bool isAdnominal() const;
    virtual void setO(std::uint8_t n);
    virtual std::uint8_t getO() const;
    virtual void setM(std::uint8_t n);
    virtual void orM(std::uint8_t bits);
    virtual std::uint8_t getM() const;

    bool isAllFullWidthLatin() const;
    bool isIgnorable() const { return (m_flags & (FLAG_I | FLAG_N)) != 0; }
    bool isRequired() const { return (m_flags & FLAG_I) == 0; }
    bool isLinked() const { return (m_m & LINK_MARKS) != 0; }
    bool hasFlagG() const { return (m_flags & FLAG_G) != 0; }
    bool hasFlags(std::uint32_t mask) const { return (m_flags & mask) != 0; }
    std::uint8_t getSpareMark() const { return m_spareMark; }
    void setSpareMark(std::uint8_t mark) { m_spareMark = mark; }

    std::string getSurface() const { return m_surface.str(); }
    std::string_view surfaceRef() const { return m_surface; }
    std::string_view keyFormRef() const { return m_keyForm; }
    std::string_view baseFormRef() const { return m_baseForm; }
    std::string_view readingRef() const { return m_reading; }
    // Type id * 0x10000 + form id; 0 = no conjugation.
    std::int32_t getConjugation() const { return m_conjugation; }
    void setConjugation(std::int32_t value) { m_conjugation = value; }
    std::uint32_t getFlags() const { return m_flags; }
    void setFlags(std::uint32_t flags) { m_flags = flags; }
    void orFlags(std::uint32_t flags) { m_flags |= flags; }
    // Flag word 2: bit (7 + i) is attribute number i, i = 1..24.
    std::uint32_t getAttributeWord() const { return m_attributes; }
    void setAttributeWord(std::uint32_t word) { m_attributes = word; }
    void getAttributeSet(std::set<int>& out) const;

    // Equal key forms, or related through the semantic network.
    bool isSameOrRelated(const Morpheme& other) const;
    // 0 not correlated; 1 correlated alike, 2 opposite: the network's
    // second kind of relation and a difference in POLARITY_BIT each turn the
    // sense round.  Other relation values are passed through.  distance
    // receives the network distance (0 for equal key forms, 99999 for none);
    // reverse searches from the other word to this one.
    int getCorrelation(const Morpheme& other, bool reverse, int& distance) const;
    bool correlatesWithAny(const MorphemeList& list, bool forward) const;
    // Binds the word to a knowledge object: POS code := its type id and, by
    // type, the key form and bound object follow its thesaurus or title.
    void bindKnowledgeObject(KnowledgeObject* object);

private:
    WordText m_surface;
    WordText m_keyForm;  // the form every comparison between words uses
    WordText m_baseForm;
    WordText m_reading;
    KnowledgeObject* m_knowledgeObject = nullptr;  // borrowed from the knowledge base
    PosCode m_posCode = 0;
    PosCode m_originalPosCode = 0;
    std::int32_t m_conjugation = 0;
    std::uint32_t m_flags = 0;
    std::uint32_t m_attributes = 0;
    std::uint8_t m_o = 0;  // position in its list
    std::uint8_t m_m = 0;  // link marks
    // Read and written only by the phrase layer.  Set to 0 here rather than
    // left indeterminate, so that copying a fresh record is well defined.
    std::uint8_t m_spareMark = 0;
};

// A word of the phrase layer, with the variation level of the reading the
// phrase builder chose.
class VariantWord : public Morpheme {
public:
    VariantWord() = default;
    explicit VariantWord(const Morpheme& word, std::int32_t levelVari = 0)
        : Morpheme(word), m_levelVari(levelVari) {}
    // The word with `mark` as its spare mark and level 0: the phrase builder
    // marks what it makes with 1, the sentence's own words carry 0, so a
    // later pass can tell which words an earlier one made.
    static VariantWord marked(const Morpheme& word, std::uint8_t mark)
    {
        VariantWord variant(word);
        variant.setSpareMark(mark);
        return variant;
    }

    void print(int options) const override;
    std::string dump(int options) const override;
    virtual void setLevelVari(std::int32_t n) { m_levelVari = n; }
    virtual std::int32_t getLevelVari() const { return m_levelVari; }

private:
    std::int32_t m_levelVari = 0;
};

// Name of a POS code as the debug form prints it; "****" for any code not in
// the table.
std::string_view posCodeName(PosCode code);

}  // namespace quibo
