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
    using WordIndexMap = std::multimap<std::string, WordRef>;
    using PosIndexMap = std::multimap<int, WordRef>;

    // Group kinds of checkConditionColumns.
    static constexpr int MEANING_ELEMENT = 1;
    static constexpr int FRONT_CONDITION = 2;
    static constexpr int BACK_CONDITION = 3;

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
    // Unit code to name; "＊" for any other code.
    virtual std::string unitName(int code) const;
    virtual ~MeanDictionary();
    // Loads a rule file into an empty dictionary; 0, or -1 (with a console
    // line) when the read failed.
    virtual int load(const std::string& path);
    // Bit number of the first definition with that code; 0 when none.
    virtual int getDcaBitNo(int code) const;
    // Gate of the first definition with that code; 0 when none.
    virtual int getDcaGate(int code) const;

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
