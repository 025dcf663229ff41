// One title (word pattern) of a topic: its word slots, the judgement bytes and
// DCA bits of the sentence it was made from, its centres (the knowledge
// objects it is about), its flags and its owning topic.  This holds the
// record, its accessors, its reply-kind look-ups and its print forms; the
// centre collection, comparison and grading operate on the same fields.
//
// A title never owns its topic, its centres or the judgement it was built
// with.
#pragma once

#include "analysis/MorphemeList.h"
#include "knowledge/CdrBody.h"
#include "knowledge/ReplyEntryGroup.h"

#include <cstdint>
#include <set>
#include <string>
#include <unordered_set>
#include <unordered_map>
#include <vector>

namespace quibo {

class KnowledgeObject;
class MeanEntry;
class Topic;

// The centres a knowledge base's index build has met, each numbered by the
// order in which it was first inserted.  The build shares one over all the
// titles it indexes, so that a main centre can prefer the object met first.
class CentreOrder {
public:
    // False, changing nothing, when the object is already numbered.
    bool insert(KnowledgeObject* object)
    {
        return m_numbers.emplace(object, static_cast<int>(m_numbers.size())).second;
    }
    // The object's number, -1 when it was never inserted.
    int number(const KnowledgeObject* object) const
    {
        auto found = m_numbers.find(const_cast<KnowledgeObject*>(object));
        return found == m_numbers.end() ? -1 : found->second;
    }
    std::size_t size() const { return m_numbers.size(); }

private:
    std::unordered_map<KnowledgeObject*, int> m_numbers;
};

// The flags word of an object that is an entity; 0 for any other object and
// for null.  Flags belong to entities only.
std::int32_t entityFlagsOf(const KnowledgeObject* object);

// Title type codes: a bit set of the three slots (0x20 first slot filled,
// 0x10 first slot any, 0x08 second filled, 0x04 second any, 0x02 third
// filled, 0x01 third any).
namespace topic_title_type {
inline constexpr int A_Y_N = 0x18;
inline constexpr int A_Y_A = 0x19;
inline constexpr int X_A_N = 0x24;
inline constexpr int X_A_A = 0x25;
inline constexpr int X_Y_N = 0x28;
inline constexpr int S_O_A = 0x2A;
}  // namespace topic_title_type

class TopicTitle {
    // A stream fills an object it creates field by field.
    template <class T>
    friend struct CdrBody;

public:
    // Bits of the flag word.
    static constexpr std::int32_t COMPLETE = 0x1;
    static constexpr std::int32_t COMPLETE_IMI = 0x2;
    static constexpr std::int32_t SEARCHABLE = 0x4;
    static constexpr std::int32_t FLAG3 = 0x8;

    // Every list empty and every number 0; the owner and the object are
    // borrowed and may be null.  A given object becomes the first centre.
    TopicTitle(Topic* owner, KnowledgeObject* object);
    TopicTitle(const TopicTitle&) = delete;
    TopicTitle& operator=(const TopicTitle&) = delete;
    virtual ~TopicTitle() = default;

    virtual void setWords(const MorphemeList& words) { m_words = words; }
    virtual MorphemeList getWords() const { return m_words; }
    virtual void setXWords(const MorphemeList& words) { m_xWords = words; }
    virtual void setSWords(const MorphemeList& words) { m_sWords = words; }
    virtual MorphemeList getXWords() const { return m_xWords; }
    virtual MorphemeList getSWords() const { return m_sWords; }
    virtual void setYWords(const MorphemeList& words) { m_yWords = words; }
    virtual void setOWords(const MorphemeList& words) { m_oWords = words; }
    virtual MorphemeList getYWords() const { return m_yWords; }
    virtual MorphemeList getOWords() const { return m_oWords; }
    virtual void setAWords(const MorphemeList& words) { m_aWords = words; }
    virtual MorphemeList getAWords() const { return m_aWords; }
    virtual Topic* getOwner() const { return m_owner; }
    virtual std::vector<KnowledgeObject*> getCentres() const { return m_centres; }
    // The subject words united with the object words; mode 1 counts words
    // related through the semantic network as the same.
    virtual MorphemeList slotWords(int mode) const;
    // The distinct content words of the slots (worked out once).  A non-empty
    // text drops the words of that key form; when none has it, the words
    // whose entity is related to an entity titled so are dropped instead.
    virtual MorphemeList centreWords(const std::string& excluded);
    // The same over the slots' content words that are not ignorable; only
    // the key-form filter applies.
    virtual MorphemeList contentWords(const std::string& excluded);
    virtual std::set<std::string> centreIndex() const;
    // Appends the object unless a centre with the same title text is there
    // already, then its related entities (in set order) until the first one
    // whose title text is already a centre's.
    virtual void addCentre(KnowledgeObject* object);

    // Finds the title's centres among the knowledge words of its slots,
    // entering each new one into the order.  A title that finds none falls
    // back on the best-ranked words, then on the fallback object (printing
    // why), unless it was derived or holds no content word at all.  Returns
    // the number of centres.
    virtual int collectCentres(KnowledgeObject* fallback, CentreOrder& order);
    // Moves the main centre to the front and marks every entity centre with
    // bit 0x08.  The main centre is the earliest-numbered one, scored by the
    // first slot word that refers to it (the object given scores lower, so
    // is preferred) and preferring one whose title ends in a noun.  Nothing
    // happens when no centre is numbered.
    virtual void chooseMainCentre(const KnowledgeObject* object, const CentreOrder& order);
    // Without centres: whether the mask has bit 0x08 or 0x40.  Else whether
    // some entity centre's flags share a bit with the mask.
    virtual bool centreHasFlag(std::int32_t mask) const;
    // The first centre's entity flags; 8 without centres.
    virtual std::int32_t centreFlags() const;

    // Whether the owning topic offers the reply kind of the letter; false
    // without an owner and for a letter that is no reply kind.
    virtual bool hasReplyKind(int letter) const;
    // A copy of the owning topic's group under the letter.  When the topic
    // lacks the letter and fallback is 1, the letter becomes 'd'.  An empty
    // group when the topic lacks the letter or its table has no such group.
    virtual ReplyEntryGroup getReplyGroup(int letter, int fallback) const;

    // The text of slot 1, 2 or 3 as the type fills it: the slot's words
    // joined, "＊" for a slot that takes any words, "ＮＵＬＬ" for none; ""
    // for any other slot number.
    virtual std::string slotText(int which) const;

    virtual void setSearchAble(bool on) { setBit(SEARCHABLE, on); }
    virtual bool isSearchAble() const { return (m_flags & SEARCHABLE) != 0; }
    virtual void setFlag3(bool on) { setBit(FLAG3, on); }
    virtual bool getFlag3() const { return (m_flags & FLAG3) != 0; }
    virtual void setComplete(bool on) { setBit(COMPLETE, on); }
    virtual bool isComplete() const { return (m_flags & COMPLETE) != 0; }
    virtual void setCompleteImi(bool on) { setBit(COMPLETE_IMI, on); }
    virtual bool isCompleteImi() const { return (m_flags & COMPLETE_IMI) != 0; }
    virtual int getType() const { return m_type; }
    virtual void setType(int type) { m_type = type; }
    virtual std::uint8_t getPolarity1() const { return m_polarity[0]; }
    virtual void setPolarity1(std::uint8_t value) { m_polarity[0] = value; }
    virtual std::uint8_t getPolarity2() const { return m_polarity[1]; }
    virtual void setPolarity2(std::uint8_t value) { m_polarity[1] = value; }
    virtual std::uint8_t getPolarity3() const { return m_polarity[2]; }
    virtual void setPolarity3(std::uint8_t value) { m_polarity[2] = value; }
    virtual std::int32_t getDcaBits() const { return m_dcaBits; }
    virtual void setDcaBits(std::int32_t bits) { m_dcaBits = bits; }
    // 1 when the content words (without flag I) of the two lists form an
    // even number of opposite pairs, 0 for an odd number; found tells
    // whether there was any.
    virtual int countAntonymPairs(const MorphemeList& words, const MorphemeList& list, bool& found) const;
    virtual const std::string& sourceText() const { return m_sourceText; }
    virtual void setSourceText(const std::string& text) { m_sourceText = text; }
    virtual std::int32_t getDerivation() const { return m_derivation; }
    virtual void setDerivation(std::int32_t value) { m_derivation = value; }
    // True when both owners point to the same reply table; false for null.
    virtual bool sameReplyTable(const TopicTitle* other) const;
    virtual std::string getAuxText() const { return m_auxText; }
    virtual void setAuxText(const std::string& text) { m_auxText = text; }
    virtual std::int32_t getPriority() const { return m_priority; }
    virtual void setPriority(std::int32_t value) { m_priority = value; }
    virtual bool isMarked() const { return m_marked; }
    virtual void mark() { m_marked = true; }

    // Grades this (knowledge) title against an utterance's words and meaning
    // judgement (null reads as a judgement of zero bytes): match flags in the
    // low 32 bits, attribute bits in the high 32 bits.
    //   0x1        a content word of the utterance correlates with one of the title
    //   0x2        the title is an X_Y_N title; 0x4 / 0x8 its utterance has X and
    //              Y words / X words only
    //   0x10       always
    //   0x80       the utterance's words are covered by the title's X words
    //   0x100      the utterance's words are covered by the title's Y words
    //   0x400000, 0x2000000, 0x4000000   the polarity agrees (whole, X, Y)
    //   0x80000000, high 0x4, high 0x8   the polarity disagrees (whole, X, Y)
    std::uint64_t gradeMatch(const MorphemeList& input, const MeanEntry* judgement) const;

    // Same type and DCA bits, slots X and Y equal word by word, same three
    // judgement bytes.
    bool isSame(const TopicTitle& other) const;
    // The source text ends with "＿Ｃ＿" and holds more than the mark.
    bool hasCMark() const;

    // Prints the title on standard output:
    //   [header TAB]( type=<name> dcaBits=<hex> searchAbleFlg=<0|1> completeFlg=<0|1> completeFlgImi=<0|1>)
    //   ・S: <sWords>・O: <oWords>・A: (<slot 3> )
    //   関連名詞 TAB [<centre>;<centre>;...]
    virtual void dump(const std::string& header) const;
    // "DEBUG:\t" [header TAB] "( type=<name> " <sWords> <oWords> "\n".
    virtual std::string toString(const std::string& header) const;

    // The lines dump prints, as EUC-JP text ending in a line end.
    std::string dumpText(const std::string& header) const;
    // The type's name, or its code in lower-case hexadecimal.
    static std::string typeName(int type);

    // The whole flag word and the byte no operation reads, as a knowledge
    // file carries them.
    std::int32_t getFlagWord() const { return m_flags; }
    void setFlagWord(std::int32_t flags) { m_flags = flags; }
    std::uint8_t getReservedByte() const { return m_reserved; }
    void setReservedByte(std::uint8_t value) { m_reserved = value; }

private:
    void setBit(std::int32_t bit, bool on) { m_flags = on ? (m_flags | bit) : (m_flags & ~bit); }
    // Appends a centre and indexes its title; false when a centre of that
    // title text is already present.
    bool appendCentre(KnowledgeObject* object);
    // The title texts of the centres that are objects.
    std::set<std::string> centreTexts() const;

    int m_type = 0;
    MorphemeList m_words;
    MorphemeList m_xWords;
    MorphemeList m_yWords;
    MorphemeList m_aWords;
    // Content words of the slots, worked out on first use.
    MorphemeList m_centreCache;
    int m_centreCacheFilled = 0;
    MorphemeList m_contentCache;
    int m_contentCacheFilled = 0;
    MorphemeList m_sWords;
    MorphemeList m_oWords;
    Topic* m_owner;  // borrowed
    std::uint8_t m_reserved = 0;
    std::uint8_t m_polarity[3] = {0, 0, 0};
    std::vector<KnowledgeObject*> m_centres;  // borrowed, insertion order
    std::int32_t m_dcaBits = 0;
    std::int32_t m_flags = 0;
    std::string m_sourceText;
    std::int32_t m_derivation = 0;
    std::string m_auxText;
    std::int32_t m_priority = 0;
    bool m_marked = false;
    std::set<std::string> m_centreIndex;  // title texts of the centres
    // Title texts of the centres present, so that adding one is a look-up
    // (a file of an older version fills the index before any centre).
    std::unordered_set<std::string> m_centreTitles;
    // False while both sets of texts are still only implied by the centres:
    // a load of the current version leaves them to be built when a centre
    // is added, and the index is derived when it is asked for.
    bool m_centreSetsFilled = true;
};

}  // namespace quibo
