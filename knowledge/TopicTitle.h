// One title (word pattern) of a topic: its type (which of its three slots are
// filled and which match anything), the word lists of the slots, the
// judgement bytes and DCA bits of the sentence it was built from, its centres
// (the knowledge objects it is about, printed as "関連名詞") and the owning
// topic, through which it reaches the reply groups of each reply kind.
#pragma once

#include "analysis/MorphemeList.h"
#include "knowledge/CdrBody.h"
#include "knowledge/ReplyEntryGroup.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace quibo {

class KnowledgeObject;
class Topic;

class TopicTitle {
    // A stream fills a title it creates field by field.
    template <class T>
    friend struct CdrBody;

public:
    // Type codes: 0x20 first slot filled, 0x10 first slot any, 0x08 second
    // slot filled, 0x04 second slot any, 0x02 third slot filled, 0x01 third
    // slot any.
    static constexpr int TYPE_A_Y_N = 0x18;
    static constexpr int TYPE_A_Y_A = 0x19;
    static constexpr int TYPE_X_A_N = 0x24;
    static constexpr int TYPE_X_A_A = 0x25;
    static constexpr int TYPE_X_Y_N = 0x28;
    static constexpr int TYPE_S_O_A = 0x2A;

    // Bits of the flag word.
    static constexpr std::int32_t FLAG_COMPLETE = 0x1;
    static constexpr std::int32_t FLAG_COMPLETE_IMI = 0x2;
    static constexpr std::int32_t FLAG_SEARCHABLE = 0x4;
    static constexpr std::int32_t FLAG_3 = 0x8;

    // The owner and the object are borrowed; either may be null.  A given
    // object becomes the first centre.  The type is left for the builder.
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
    // Appends the object unless a centre with the same title text is there
    // already, then its related entities (in set order) until the first one
    // whose title text is already a centre's.
    virtual void addCentre(KnowledgeObject* object);
    virtual const std::set<std::string>& centreIndex() const { return m_centreIndex; }

    // Whether the owning topic offers the reply kind of the letter; false
    // without an owner and for a letter that is no reply kind.
    virtual bool hasReplyKind(int letter) const;
    // A copy of the owning topic's group under the letter.  When the topic
    // lacks the letter and fallback is 1, the letter becomes 'd'.  An empty
    // group when the topic lacks the letter or its table has no such group.
    virtual ReplyEntryGroup getReplyGroup(int letter, int fallback) const;

    // The text of a slot (1 first, 2 second, 3 third) as the type fills it:
    // the surfaces of its words, "＊" for a slot that matches anything,
    // "ＮＵＬＬ" for an unused third slot; "" for any other argument.
    virtual std::string slotText(int which) const;

    virtual void setSearchAble(bool on) { setFlag(FLAG_SEARCHABLE, on); }
    virtual bool isSearchAble() const { return (m_flagWord & FLAG_SEARCHABLE) != 0; }
    virtual void setFlag3(bool on) { setFlag(FLAG_3, on); }
    virtual bool getFlag3() const { return (m_flagWord & FLAG_3) != 0; }
    virtual void setComplete(bool on) { setFlag(FLAG_COMPLETE, on); }
    virtual bool isComplete() const { return (m_flagWord & FLAG_COMPLETE) != 0; }
    virtual void setCompleteImi(bool on) { setFlag(FLAG_COMPLETE_IMI, on); }
    virtual bool isCompleteImi() const { return (m_flagWord & FLAG_COMPLETE_IMI) != 0; }

    virtual int getType() const { return m_type; }
    virtual void setType(int type) { m_type = type; }
    virtual std::uint8_t getPolarity1() const { return m_polarity1; }
    virtual void setPolarity1(std::uint8_t value) { m_polarity1 = value; }
    virtual std::uint8_t getPolarity2() const { return m_polarity2; }
    virtual void setPolarity2(std::uint8_t value) { m_polarity2 = value; }
    virtual std::uint8_t getPolarity3() const { return m_polarity3; }
    virtual void setPolarity3(std::uint8_t value) { m_polarity3 = value; }
    virtual std::int32_t getDcaBits() const { return m_dcaBits; }
    virtual void setDcaBits(std::int32_t bits) { m_dcaBits = bits; }

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

    // Same type and DCA bits, slots X and Y equal word by word, same three
    // judgement bytes.
    bool isSame(const TopicTitle& other) const;
    // The source text ends with "＿Ｃ＿" and holds more than the mark.
    bool hasCMark() const;

    // The dump's lines (EUC-JP, each ending in "\n"):
    //   [header "\t"]"( type=<name> dcaBits=<hex> searchAbleFlg=<0|1> completeFlg=<0|1> completeFlgImi=<0|1>)"
    //   "・S: <S words>・O: <O words>・A: (<third slot> )"
    //   "関連名詞\t[<centre title>;...]"
    std::string dumpText(const std::string& header) const;
    // Writes the dump's lines to the console.
    void dump(const std::string& header) const;
    // "DEBUG:\t"[header "\t"]"( type=<name> <S words><O words>" "\n".
    std::string toString(const std::string& header) const;

    // The name of a type code ("X_Y_N", ...), or the code in hexadecimal.
    static std::string typeName(int type);

private:
    void setFlag(std::int32_t bit, bool on) { m_flagWord = on ? (m_flagWord | bit) : (m_flagWord & ~bit); }
    // Appends a centre and indexes its title; false when a centre of that
    // title text is already present.
    bool appendCentre(KnowledgeObject* object);

    int m_type = 0;
    MorphemeList m_words;
    MorphemeList m_xWords;
    MorphemeList m_yWords;
    MorphemeList m_aWords;
    MorphemeList m_centreCache;
    int m_centreCacheFilled = 0;
    MorphemeList m_contentCache;
    int m_contentCacheFilled = 0;
    MorphemeList m_sWords;
    MorphemeList m_oWords;
    Topic* m_owner;                // borrowed
    std::uint8_t m_reservedByte = 0;  // carried by knowledge files, never read
    std::uint8_t m_polarity1 = 0;
    std::uint8_t m_polarity2 = 0;
    std::uint8_t m_polarity3 = 0;
    std::vector<KnowledgeObject*> m_centres;  // borrowed, insertion order
    std::int32_t m_dcaBits = 0;
    std::int32_t m_flagWord = 0;
    std::string m_sourceText;
    std::int32_t m_derivation = 0;
    std::string m_auxText;
    std::int32_t m_priority = 0;
    bool m_marked = false;
    std::set<std::string> m_centreIndex;  // title texts of the centres
};

}  // namespace quibo
