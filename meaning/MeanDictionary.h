// The meaning-catalogue judgement dictionary (意味目録判定辞書): the rules
// that tag an analysed sentence with DCA codes, meaning information and bound
// term words, read from the enciphered file "mean_dictionary.dat" and checked
// line by line as they are read.
//
// A rule file is EUC-JP text, one rule per line, its fields inside one pair
// of parentheses and separated by TABs:
//   (#DEFDCA→name→code→attribute→bit→gate)
//   (#DEFNOMEAN→word/word/...)
//   (DCA→pca→flags→info→word;POS→(ME)→(front)→(back)→(front TERM)→(back TERM))
// Lines that are empty or start with '/' are comments.  Every faulty line is
// reported on the console ("警告：" and its line number) and dropped; the read
// goes on, so one run reports every faulty line.  Representative words and
// variables are looked up in the analyser's semantic network, so the network
// is loaded first.
#pragma once

#include "analysis/MorphemeList.h"
#include "meaning/MeanEntry.h"
#include "meaning/MeanRule.h"

#include <array>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace quibo {

template <class T>
struct CdrBody;

class MeanDictionary {
    // The knowledge-file stream reads a dictionary member by member.
    friend struct CdrBody<MeanDictionary>;

public:
    // The six word indexes, in member order.  Each maps the first member of
    // an alternative of a meaning element to its rule and alternative; a rule
    // goes to the first that fits its unit and DCA code.
    enum WordIndex {
        TextIndex,            // unit 文字列, any DCA code
        NumRearrIndex,        // DCA NUM or REARR, unit 入力形
        IdiomInputFormIndex,  // DCA CHIDIOM, units 入力形, 入力形集合, 入力形連続
        IdiomBaseFormIndex,   // DCA CHIDIOM, units 基本形, 基本形集合, 基本形連続
        InputFormIndex,       // any other DCA code, the 入力形 units
        BaseFormIndex,        // any other DCA code, the 基本形 units
        WORD_INDEX_COUNT
    };
    // Looked up by a word's text views, so the comparator is transparent.
    using WordIndexMap = std::multimap<std::string, WordRef, std::less<>>;
    using PosIndexMap = std::multimap<int, WordRef>;

    // Group kinds of checkConditionColumns.
    static constexpr int MEANING_ELEMENT = 1;
    static constexpr int FRONT_CONDITION = 2;
    static constexpr int BACK_CONDITION = 3;

    // Anchor of a group that may match anywhere in its range.  No word index
    // takes this value, so a word far into a long sentence is never mistaken
    // for a free anchor.
    static constexpr int FREE_ANCHOR = -1;

    // The sentence as the judgement reads it, built once per call: per word
    // its byte offset in the concatenated surfaces (with the total length as
    // entry n), and the surfaces and key forms each followed by ';' with the
    // offset of each word in them.  Every sequence test shares it.
    struct JoinedSentence {
        const std::vector<Morpheme>* words = nullptr;
        std::vector<int> offsets;
        std::string joinedSurfaces;
        std::vector<int> surfaceStarts;
        std::string joinedKeyForms;
        std::vector<int> keyStarts;

        explicit JoinedSentence(const std::vector<Morpheme>& sentence);
        int size() const { return static_cast<int>(words->size()); }
        const Morpheme& word(int i) const { return (*words)[static_cast<std::size_t>(i)]; }
        // Index of the word starting at a byte offset; -1 when none does.
        int wordAt(int offset) const;
    };

    // A phrase an idiom rule collapses into its representative word.
    struct IdiomSpan {
        int startOffset = 0;
        int meStartOffset = 0;
        int endOffset = 0;  // exclusive
        std::string representativeWord;
        int representativePosCode = 0;
        std::vector<std::string> surfaces;
    };

    MeanDictionary();
    MeanDictionary(const MeanDictionary&) = default;
    MeanDictionary& operator=(const MeanDictionary&) = default;

    virtual void initPosCodes();
    virtual void initNameTable();
    // Reads and checks an enciphered rule file; 0, or -1 when it cannot be
    // opened or any line failed.  Rules read before and after a failed line
    // stay loaded.
    virtual int read(const std::string& path);
    // Judgement-unit name to code; -1 for any other text.
    virtual int unitCode(const std::string& name) const;
    // Code of the first definition with that name; -1 when none.
    virtual int getDcaCode(const std::string& name) const;
    // Attribute number of the first definition with that code; -1 when none.
    virtual int getDcaValue2(int code) const;
    // Name of the first definition with that code; "" when none.
    virtual std::string getDcaName(int code) const;
    // Conjugation-form name of a table index; "＊" for 256; "" when none.
    virtual std::string getTableName(int index) const;
    // Table index of a conjugation-form name; 256 for "＊"; -1 when none.
    virtual int getTableIndex(const std::string& name) const;
    // Cuts the next condition group off `rest` into `target`; 0, or -1 after
    // printing its diagnostic.  For the meaning element it also stages the
    // rule's index entries, which take effect only when the rule is appended.
    virtual int checkConditionColumns(int kind, std::string& rest, MeanCondSpec& target, int lineNumber,
                                      int ruleNumber, int firstWordNumber, int dcaCode);
    // The same for a TERM group.
    virtual int checkTermColumns(std::string& rest, MeanTermSpec& target, int lineNumber, int unit);

    // --- Matching steps of the judgement ----------------------------------
    // Every matcher takes a range of word indexes [first, last] and an anchor
    // (a word index, or FREE_ANCHOR); an empty or out-of-bounds range matches
    // nothing.  `wordNumber` selects one alternative of the group (-1: any);
    // a number naming no alternative matches nothing.  On success start and
    // end hold the first and last matched word.
    // Units 入力形 and 基本形: one word.
    virtual bool matchWordGroup(int kind, int anchor, const MeanCondSpec& group, int wordNumber,
                                const JoinedSentence& sentence, int first, int last, int& start, int& end) const;
    // Units 基本形連続 and 入力形連続 over the joined text of the range, built
    // here from the words (the idiom pass, whose words change under it).
    virtual bool matchSequence(int kind, int anchor, const MeanCondSpec& group, int wordNumber,
                               const std::vector<Morpheme>& words, int first, int last, int& start,
                               int& end) const;
    // The same over the sentence's precomputed joined text.
    virtual bool matchSequenceInText(int kind, int anchor, const MeanCondSpec& group, int wordNumber,
                                     const JoinedSentence& sentence, int first, int last, int& start,
                                     int& end) const;
    // Units 基本形集合 and 入力形集合: members in order, gaps allowed.
    virtual bool matchWordSet(int kind, int anchor, const MeanCondSpec& group, int wordNumber,
                              const JoinedSentence& sentence, int first, int last, int& start, int& end) const;
    // Units 品詞 and 品詞連続.
    virtual bool matchPosGroup(int kind, int anchor, const MeanCondSpec& group, int wordNumber,
                               const JoinedSentence& sentence, int first, int last, int& start, int& end) const;
    // Unit 文字列: the words of the group in the concatenated surfaces of
    // the range, from word boundary to word boundary.
    virtual bool matchSentenceText(int kind, int anchor, const MeanCondSpec& group, int wordNumber,
                                   const JoinedSentence& sentence, int first, int last, int& start,
                                   int& end) const;
    // Range and anchor of a group: kind 2 (front) is everything before word
    // `wordIndex`, kind 3 (back) everything after it, both free; kind 1 is
    // the whole sentence anchored by position.  A "BM" anchor stands on the
    // last word before trailing 終助詞, "？" and "！"; when nothing else is
    // left the range is empty.
    virtual int findMePosition(int kind, const std::string& position, int wordIndex,
                               const std::vector<Morpheme>& words, int& first, int& last) const;
    // Previous DCA codes against a rule's pca codes; `admitted` receives the
    // pca code that let the rule through (0 for the list {-1}, which admits
    // every rule).
    virtual bool matchFeatureList(const std::vector<int>& previous, const std::vector<int>& pcaCodes,
                                  int& admitted) const;
    virtual bool checkConjugationAt(int index, const std::vector<int>& forms, const std::vector<Morpheme>& words,
                                    int last) const;
    // Unit code to name; "＊" for any other code.
    virtual std::string unitName(int code) const;
    // Marks attribute `attribute` on the predicate governing word `wordIndex`
    // (walking back to the first verb, adjective or サ変名詞; the noun of a
    // "noun + する" pair).  False when the attribute is no attribute number
    // or the index lies outside the sentence.
    virtual bool markPredicateAttribute(int wordIndex, int attribute, std::vector<Morpheme>& words) const;
    // One group against a range, by its unit.  `buildSequenceText` makes
    // sequence units build their joined text from the words.
    virtual bool matchConditions(int kind, int anchor, const MeanCondSpec& group, int wordNumber, int& start,
                                 int& end, const JoinedSentence& sentence, int first, int last,
                                 bool buildSequenceText) const;
    // Moves a final no-meaning word to the side list; false when the last
    // word is none.
    virtual bool removeFinalWord(std::vector<Morpheme>& words, std::vector<Morpheme>& sideList) const;
    // NUM or REARR rules of the word's surface rewrite the word.
    virtual void applyWordRule(int code, Morpheme& word) const;
    // Collapses every idiom (CHIDIOM rule) of the sentence into one word.
    virtual void replaceIdioms(MorphemeList& list) const;
    virtual void removeCoveredContents(std::vector<MeanContent>& contents) const;
    virtual void setPolarity(MeanEntry& entry) const;
    // Terms X, Y and Z from the words' term flags; a word marked both X and
    // Y makes the marking void.
    virtual void appendTermWords(std::vector<Morpheme>& words, MeanEntry& entry, int unit) const;
    virtual void removeCoveredSpans(std::vector<IdiomSpan>& spans) const;
    virtual void applyIdiomSpans(MorphemeList& list, const std::vector<IdiomSpan>& spans) const;

    virtual ~MeanDictionary();
    // Loads a rule file into an empty dictionary; 0, or -1 (with a console
    // line) when the read failed.
    virtual int load(const std::string& path);
    // Bit number of the first definition with that code; 0 when none.
    virtual int getDcaBitNo(int code) const;
    // Gate of the first definition with that code; 0 when none.
    virtual int getDcaGate(int code) const;
    // Judges one analysed sentence: every rule that matched, the term texts,
    // polarity and the DCA bit word.  The words are rewritten in place
    // (idioms and matched phrases collapsed, numbers and spellings
    // normalised, term and attribute flags set).  `previousCodes` filters
    // rules by their pca codes; {-1} admits every rule.  The sentence text is
    // carried for callers' symmetry; the judgement reads the words.
    virtual MeanEntry match(const std::string& text, MorphemeList& list,
                            const std::vector<int>& previousCodes) const;
    // Meaning information of the first NUM/REARR rule of that code for the
    // word (its surface, unit 入力形, a POS code equal to the word's); the
    // surface when there is none.
    virtual std::string findEntryText(int dcaCode, const Morpheme& word) const;

    // Reads deciphered rule text (the body of `read`, without the file and
    // the banner lines); 0, or -1 when any line failed.
    int readText(std::string_view plainText);

    // The dictionary's contents, in member order.
    const std::vector<MeanRule>& rules() const { return m_rules; }
    const std::map<std::string, int>& posCodes() const { return m_posCodes; }
    const std::vector<DcaDefinition>& dcaDefinitions() const { return m_dcaDefinitions; }
    const std::vector<std::string>& noMeaningWords() const { return m_noMeaningWords; }
    const std::vector<ConjugationFormEntry>& formTable() const { return m_formTable; }
    const std::map<std::string, std::string>& variableCache() const { return m_variableCache; }
    const WordIndexMap& wordIndex(WordIndex which) const { return m_wordIndexes[which]; }
    const PosIndexMap& posIndex() const { return m_posIndex; }
    const std::set<std::string>& firstCharacters() const { return m_firstCharacters; }
    int longestTextLength() const { return m_longestTextLength; }
    int shortestTextLength() const { return m_shortestTextLength; }

private:
    // Index entries of the line being read; they reach the indexes only when
    // its rule is appended, so a dropped line leaves no entry pointing at the
    // next rule.
    struct StagedEntries {
        std::vector<std::pair<WordIndex, std::pair<std::string, WordRef>>> words;
        std::vector<std::pair<int, WordRef>> pos;
        std::vector<std::string> textKeys;
    };

    void clear();
    int readEntryLine(int lineNumber, const std::string& line, std::string content, std::string dcaName);
    void readDcaDefinition(std::string content);
    void readNoMeaningWords(std::string content);
    bool checkPosAlternatives(const std::string& column, MeanCondSpec& target, int kind, int ruleNumber,
                              int& wordNumber, int lineNumber);
    int expandVariable(std::string& cue, bool dollar, int lineNumber);
    void commitStagedEntries();
    static int wordIndexFor(int dcaCode, int unit);

    std::vector<MeanRule> m_rules;
    std::map<std::string, int> m_posCodes;
    std::vector<DcaDefinition> m_dcaDefinitions;
    std::vector<std::string> m_noMeaningWords;
    std::vector<ConjugationFormEntry> m_formTable;
    std::map<std::string, std::string> m_variableCache;
    std::array<WordIndexMap, WORD_INDEX_COUNT> m_wordIndexes;
    PosIndexMap m_posIndex;
    std::set<std::string> m_firstCharacters;
    int m_longestTextLength = 0;
    int m_shortestTextLength = 10;

    StagedEntries m_staged;
};

}  // namespace quibo
