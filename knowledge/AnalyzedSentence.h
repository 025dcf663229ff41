// One analysed sentence of the knowledge base or of the conversation with its
// meaning judgement, and the two searches that look past its own words: the
// classes its nouns belong to, and the key word that ties its head to
// earlier context.
#pragma once

#include "analysis/MorphemeList.h"
#include "knowledge/EntitySet.h"
#include "meaning/MeanEntry.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quibo {

class CDictionary;
class KnowledgeObject;

// A class entity a noun of a sentence belongs to, and the sentence's
// selected words with that noun replaced by the class word.
class NounClass {
public:
    NounClass(KnowledgeObject* classEntity, MorphemeList words)
        : m_classEntity(classEntity), m_words(std::move(words)) {}
    virtual ~NounClass() = default;

    KnowledgeObject* classEntity() const { return m_classEntity; }
    const MorphemeList& words() const { return m_words; }

private:
    KnowledgeObject* m_classEntity;  // borrowed from the knowledge base
    MorphemeList m_words;
};

class NounClassList {
public:
    virtual ~NounClassList() = default;
    std::vector<NounClass>& items() { return m_items; }
    const std::vector<NounClass>& items() const { return m_items; }

private:
    std::vector<NounClass> m_items;
};

// What searchKeyWord found; the empty result has four empty strings and
// depth and distance -1.
class KeyWordInfo {
public:
    virtual ~KeyWordInfo() = default;
    bool operator==(const KeyWordInfo&) const = default;

    std::string headSurface;
    std::string headText;
    std::string keyWord;
    std::string contextWord;
    int depth = -1;
    int distance = -1;
};

class AnalyzedSentence {
public:
    // Bits of the flag word.
    static constexpr int FLAG_FEW_CONTENT_WORDS = 0x1;
    static constexpr int FLAG_FEW_REQUIRED_WORDS = 0x2;
    static constexpr int FLAG_SEARCHABLE = 0x4;

    // The words are copied with their trailing int, the sentence's ordering
    // value; every other field starts empty.
    AnalyzedSentence(std::string text, const MorphemeList& words);
    AnalyzedSentence(const AnalyzedSentence&) = delete;
    AnalyzedSentence& operator=(const AnalyzedSentence&) = delete;
    virtual ~AnalyzedSentence();

    virtual EntitySet& extra() { return m_extra; }
    const EntitySet& extra() const { return m_extra; }
    // The content words (strict: the content words that are not ignorable)
    // with a head flag X, Y or Z, duplicates kept.
    virtual MorphemeList selectWords(bool strict) const;
    virtual bool getMark() const { return m_mark != 0; }
    virtual const MorphemeList& wordList(bool second) const { return second ? m_list2 : m_words; }
    virtual const MorphemeList& list3() const { return m_list3; }
    virtual const MeanEntry& judgement() const { return m_judgement; }
    virtual const std::vector<MeanContent>& meanContents() const { return m_judgement.getMeanContents(); }
    virtual std::string getText() const { return m_text; }
    virtual void setText(const std::string& text) { m_text = text; }
    virtual void setWords(const MorphemeList& words) { m_words = words; }
    virtual void setList2(const MorphemeList& words) { m_list2 = words; }
    virtual void setList3(const MorphemeList& words) { m_list3 = words; }
    virtual void setMeanContents(const std::vector<MeanContent>& contents);
    // The whole judgement: contents, polarities and DCA bits.
    void setJudgement(const MeanEntry& judgement) { m_judgement = judgement; }
    virtual void setMark(bool mark) { m_mark = mark ? 1 : 0; }
    virtual void setFlag2(bool on) { setFlag(FLAG_SEARCHABLE, on); }
    virtual bool getFlag2() const { return (m_flags & FLAG_SEARCHABLE) != 0; }
    virtual void setFlag0(bool on) { setFlag(FLAG_FEW_CONTENT_WORDS, on); }
    virtual bool getFlag0() const { return (m_flags & FLAG_FEW_CONTENT_WORDS) != 0; }
    virtual void setFlag1(bool on) { setFlag(FLAG_FEW_REQUIRED_WORDS, on); }
    virtual bool getFlag1() const { return (m_flags & FLAG_FEW_REQUIRED_WORDS) != 0; }

    const MorphemeList& words() const { return m_words; }
    // The ordering value the knowledge base sorts candidates by.
    std::int32_t orderingValue() const { return m_words.getListNumber(); }

    // For each content word with a head flag, the class entities (entity
    // flag 0x08) that the semantic network relates it to, each with the
    // selected words in which the class word stands for the noun.  Empty
    // when the sentence holds four or more knowledge words and not exactly
    // one of them is required.
    NounClassList classifyNouns(CDictionary& dictionary) const;
    // The head noun, and among the texts of earlier context (later ones
    // tried first, empty ones skipped) the one the semantic network links
    // most closely to a word reachable from it.
    KeyWordInfo searchKeyWord(const std::vector<std::string>& contextTexts) const;

private:
    void setFlag(int bit, bool on) { m_flags = on ? (m_flags | bit) : (m_flags & ~bit); }

    std::string m_text;
    MorphemeList m_words;
    MorphemeList m_list2;
    MorphemeList m_list3;
    EntitySet m_extra;  // borrowed objects of the knowledge base
    MeanEntry m_judgement;
    std::uint8_t m_mark = 0;
    int m_flags = 0;
};

// Candidates built by the knowledge base; the receiver owns them.
using AnalyzedSentenceList = std::vector<std::unique_ptr<AnalyzedSentence>>;

}  // namespace quibo
