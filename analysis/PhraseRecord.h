// One phrase of a sentence: the word it stands for (main word, or second
// word for predicatives), the words it may be read as (attached words) and
// the particles and other words that lean on it from the front (second word
// list).  Phrases label the edges of a phrase structure; the phrase builder
// makes them for runs of words the semantic network knows as one expression.
#pragma once

#include "analysis/Morpheme.h"

#include <map>
#include <string>
#include <vector>

namespace quibo {

class PhraseRecord {
public:
    PhraseRecord() = default;
    PhraseRecord(const PhraseRecord&) = default;
    PhraseRecord& operator=(const PhraseRecord&) = default;
    PhraseRecord(PhraseRecord&&) = default;
    PhraseRecord& operator=(PhraseRecord&&) = default;
    virtual ~PhraseRecord() = default;

    virtual void setMainWord(const VariantWord& word) { m_mainWord = word; }
    virtual VariantWord getMainWord() const { return m_mainWord; }
    virtual void addAttachedWord(const VariantWord& word) { m_attachedWords.push_back(word); }
    virtual std::vector<VariantWord> getAttachedWords() const { return m_attachedWords; }
    virtual void setSecondWord(const VariantWord& word) { m_secondWord = word; }
    virtual VariantWord getSecondWord() const { return m_secondWord; }
    // The main word when present, else the second word.
    virtual VariantWord getHeadWord() const;
    virtual void setSecondWords(const std::vector<VariantWord>& words);
    virtual std::vector<VariantWord> getSecondWords() const { return m_secondWords; }
    // Forgets the words' key and base forms and both lists; surfaces and
    // codes stay, which is enough to make every word count as absent.
    virtual void clear();
    // "sub=" and the attached words (only with `withAttached`), then
    // "main=" and the main and second words that are present.
    virtual std::string toString(bool withAttached, int dumpFlags) const;
    virtual bool isEmpty() const;

    // A word is present when it has a key form.
    static bool isPresent(const Morpheme& word) { return !word.keyFormRef().empty(); }

    const VariantWord& mainWordRef() const { return m_mainWord; }
    const VariantWord& secondWordRef() const { return m_secondWord; }
    const std::vector<VariantWord>& attachedWordsRef() const { return m_attachedWords; }
    const std::vector<VariantWord>& secondWordsRef() const { return m_secondWords; }

private:
    VariantWord m_mainWord;
    std::vector<VariantWord> m_attachedWords;  // in sentence order
    VariantWord m_secondWord;
    std::vector<VariantWord> m_secondWords;
};

// Phrases already built for runs of words, under the run's key and surface
// forms; the knowledge base holds one per loaded file.
using PhraseCache = std::map<std::string, PhraseRecord>;

// The record cached under the key, a new empty one when there is none.
PhraseRecord& phraseCacheEntry(PhraseCache& cache, const std::string& key);

}  // namespace quibo
