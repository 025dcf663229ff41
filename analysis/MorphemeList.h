// The word sequence of one sentence or title.  Every comparison between what
// a visitor wrote and what the knowledge base holds is an operation of this
// class: word sets (with the semantic network deciding which different words
// still count as the same), head-class and link marks, alignments that grade
// one list against another, cover tests and the numeral merge.
#pragma once

#include "analysis/Morpheme.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace quibo {

class GradeClassifier;

// What a cover test found: the ignorable words of this list left uncovered
// and the cost of the cover (the largest zigzagCost of a covered word's
// distance).  A failed cover has the cost NO_COVER.
class CoverResult {
public:
    static constexpr int NO_COVER = 99999;
    virtual ~CoverResult() = default;

    int uncoveredIgnorable = 0;
    int cost = NO_COVER;
};

class MorphemeList {
public:
    // Verdicts of the alignments; NO_MATCH always means no match.
    static constexpr int IN_ORDER = 111;
    static constexpr int LOOSE_ORDER = 112;
    static constexpr int NO_MATCH = 313;

    MorphemeList() = default;
    explicit MorphemeList(std::vector<Morpheme> words, std::int32_t number = 0)
        : m_words(std::move(words)), m_number(number) {}
    MorphemeList(const MorphemeList&) = default;
    MorphemeList& operator=(const MorphemeList&) = default;
    MorphemeList(MorphemeList&&) = default;
    MorphemeList& operator=(MorphemeList&&) = default;
    virtual ~MorphemeList() = default;

    // --- Word sets -------------------------------------------------------
    virtual MorphemeList contentWords() const;
    virtual MorphemeList distinctContentWords() const;
    virtual MorphemeList nouns() const;
    // This list's words linked (equal key forms or related) to a word of other.
    virtual MorphemeList sharedWords(const MorphemeList& other) const;
    virtual bool isDisjoint(const MorphemeList& other) const;
    virtual MorphemeList unionWith(const MorphemeList& other, bool useRelations) const;
    virtual MorphemeList wordsNotIn(const std::set<std::string>& keyForms) const;
    virtual MorphemeList difference(const MorphemeList& other) const;
    virtual bool isSubsetOf(const MorphemeList& other, int mode) const;
    virtual bool allWordsMatch(const MorphemeList& other) const;
    virtual MorphemeList wordsMatching(const MorphemeList& other) const;
    virtual bool isEquivalent(const MorphemeList& other) const;

    // --- Alignment, grading and cover tests --------------------------------
    // The index map holds, per word of this list, the index of its partner in
    // other (-1 none).  It is resized to this list when it is not; entries
    // naming no word of other make the operation answer NO_MATCH.
    virtual int matchSequence(const MorphemeList& other, std::vector<int>& indexMap,
                              GradeClassifier& record) const;
    virtual bool coverBothWays(const MorphemeList& other, CoverResult& result) const;
    virtual int alignWords(const MorphemeList& other, std::vector<int>& indexMap,
                           GradeClassifier& record) const;
    virtual int alignLoosely(const MorphemeList& other, std::vector<int>& indexMap,
                             GradeClassifier& record) const;
    virtual int gradeWithLimit(const MorphemeList& other, GradeClassifier& record) const;
    virtual void setCoverPercentages(GradeClassifier& record) const;
    virtual void noteAlignment(const MorphemeList& other, const std::vector<int>& indexMap,
                               GradeClassifier& record) const;
    virtual void noteHeadPairs(const MorphemeList& other, const std::vector<int>& indexMap,
                               GradeClassifier& record) const;
    // Only limit 100 compares the counts; any other limit answers false.
    virtual bool countsDiffer(const MorphemeList& other, int limit) const;
    virtual bool coverWith(const MorphemeList& other, bool reverse, CoverResult& result) const;
    virtual bool isCoveredBy(const MorphemeList& other) const;
    virtual int zigzagCost(int distance) const;
    virtual bool isMutuallyCovered(const MorphemeList& other) const;

    // --- Text forms ----------------------------------------------------------
    virtual void print(const std::string& title, int options) const;
    virtual std::string dump(const std::string& title, int options) const;

    // Numeral runs joined and normalised; the analyser applies it to every
    // analysed sentence.
    virtual MorphemeList mergeNumerals() const;
    // The same, done on this list itself.
    void mergeNumeralsInPlace();

    // --- Phrase readings ---------------------------------------------------
    // The word lists in which runs of this list's words that the semantic
    // network knows as one expression stand as one word, the other words
    // kept around them; each list's number is the sum of its words'
    // variation levels.  The list itself is never among them, nor is any
    // list of more than 50 words read.  With `expandAll` clear only runs
    // next to words an earlier reading made are looked up.  Option 0 reads
    // an expression as the words the network relates to it.
    std::vector<MorphemeList> buildPhraseStructure(CDictionary& dictionary, int option, int expandAll) const;
    // The same lists one at a time, in the same order; visit returns false
    // to stop, and no more is read than the lists visited need.
    void forEachPhraseReading(CDictionary& dictionary, int option, int expandAll,
                              const std::function<bool(MorphemeList&)>& visit) const;

    // --- Membership and marks ----------------------------------------------
    // mode 1: only words correlated alike count; mode 0: opposite ones too.
    virtual bool containsWord(const Morpheme& word, int mode) const;
    virtual void markHeadClass();
    virtual bool hasContentWordWithoutU() const;
    virtual bool hasFewContentWords() const;
    virtual bool hasFewRequiredWords() const;
    virtual int lastNounIndex(std::uint32_t mask) const;
    // The first word whose o byte is n; null when none.
    virtual const Morpheme* wordWithO(int n) const;
    virtual void setWordMarks();
    virtual bool findModifierNoun(std::size_t index) const;
    virtual bool findPredicateVerb(std::size_t index) const;
    virtual bool findNounNoun(std::size_t index) const;

    // 1 same, -1 opposite, 0 not found (other relation values passed
    // through); index is left where the scan stopped.
    int findWord(const Morpheme& word, std::size_t& index) const;
    bool containsWordStrictly(const Morpheme& word) const;
    MorphemeList uniqueContentWords(int mode) const;
    MorphemeList selectWords(int category, int head, int dedupe) const;
    MorphemeList removeDuplicates(int options, bool survivors) const;
    MorphemeList sortedUnique() const;
    // The surface of the word joined with its linked neighbour; empty when
    // not linked.  Throws std::out_of_range for an index outside the list.
    std::string affixedSurface(std::size_t index) const;
    // direction 1 towards the start, 2 towards the end.  Throws
    // std::out_of_range for an index outside the list.
    int linkedWordIndex(std::size_t index, int direction) const;

    std::string getText() const { return joinSurfaces(); }
    std::string joinSurfaces() const;

    // --- Container access ------------------------------------------------------
    std::vector<Morpheme>& words() & { return m_words; }
    const std::vector<Morpheme>& words() const& { return m_words; }
    // A temporary list hands its words over, so that a loop over
    // `f().words()` never walks a destroyed vector.
    std::vector<Morpheme> words() && { return std::move(m_words); }
    std::size_t size() const { return m_words.size(); }
    bool empty() const { return m_words.empty(); }
    // Throws std::out_of_range for an index outside the list.
    Morpheme& at(std::size_t index);
    const Morpheme& at(std::size_t index) const;
    void push_back(const Morpheme& word) { m_words.push_back(word); }
    // Carried with copies; the phrase builder and the knowledge base give it
    // their own meaning (variation level sum, ordering value).
    std::int32_t getListNumber() const { return m_number; }
    void setListNumber(std::int32_t number) { m_number = number; }

private:
    bool isLinkedTo(const Morpheme& word, const MorphemeList& other) const;

    std::vector<Morpheme> m_words;
    std::int32_t m_number = 0;
};

// The serialised analysis ("/" between sentences, ";" between words, ","
// between the seven fields of a word) as one list per non-empty sentence.
std::vector<MorphemeList> parseMorphemeText(const std::string& text);
// The serialised analysis of the lists, which parseMorphemeText reads back
// into the same words as far as the analyser fills them (surface, base form,
// POS class and subclass, conjugation, reading).  Fields must not hold the
// separators themselves; engine text is full width, so they do not.
std::string formatMorphemeText(const std::vector<MorphemeList>& sentences);

}  // namespace quibo
