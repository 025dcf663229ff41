// The records a meaning-dictionary file is read into: DCA definitions, the
// condition and TERM groups of a rule line, the rule itself and the entries of
// the dictionary's indexes.  The knowledge-file stream carries the same
// records member for member, so the member order below is part of that format.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quibo {

// DCA codes the rule files may use without defining them.  A `#DEFDCA` line
// of the same name takes precedence.
inline constexpr int DCA_NUM = 0x10000000;
inline constexpr int DCA_REARR = 0x20000000;
inline constexpr int DCA_CHIDIOM = 0x40000000;

// A conjugation-form list holding this admits every form.
inline constexpr int ANY_CONJUGATION_FORM = 256;

// Attribute numbers occupy bits 8-31 of a word's flag word 2.
inline constexpr int FIRST_ATTRIBUTE = 1;
inline constexpr int LAST_ATTRIBUTE = 24;

// One `#DEFDCA` line.
struct DcaDefinition {
    std::string name;
    int code = 0;
    int value2 = 0;     // attribute number marked on the predicate (0: none)
    int bitNumber = 0;  // 1-based bit of the DCA bit word (0: none)
    int gate = 0;

    bool operator==(const DcaDefinition&) const = default;
};

// Bit of the 32-bit DCA bit word for a bit number: bit b - 1, numbers above
// 32 wrapping round; 0 (no bit) for numbers below 1.
std::uint32_t dcaBitMask(int bitNumber);

// Bit of a word's attribute set (flag word 2) for an attribute number; 0 for
// numbers outside 1-24, which name no attribute.
std::uint32_t attributeMask(int attribute);

// A condition group: the meaning element or a front or back condition.
struct MeanCondSpec {
    int unit = 0;               // MeanUnit code; 0 is the empty group
    std::string position;       // "BT", "BM", "SG" or "＊"
    std::vector<int> posCodes;  // 0 = any
    std::vector<std::vector<int>> posSequences;
    std::vector<int> conjugationForms;  // indexes of the form table; 256 = any
    std::string cueText;
    std::vector<std::string> words;  // '/'-alternatives, longest first
    std::vector<std::vector<std::string>> wordSequences;

    // The group written "＊": it tests nothing.
    static MeanCondSpec empty();
    bool isPresent() const { return unit != 0; }
    bool operator==(const MeanCondSpec&) const = default;
};

// A TERM group: which term variable the matched words feed.
struct MeanTermSpec {
    std::string variableName;  // "X_term", "Y_term", "Z_term" or "＊"
    std::vector<int> posCodes;
    std::vector<std::vector<int>> posSequences;
    std::vector<int> conjugationForms;  // always {256}
    std::string cueText;
    std::vector<std::string> words;
    std::vector<std::vector<std::string>> wordSequences;

    static MeanTermSpec empty();
    bool isPresent() const;
    bool operator==(const MeanTermSpec&) const = default;
};

// One entry line.  Its index in the dictionary's rule vector is its rule
// number.
struct MeanRule {
    int dcaCode = 0;
    std::vector<int> pcaCodes;
    int flagI = 0;
    int flagV = 0;
    int flagM = 0;
    int flagE = 0;
    std::string meaningInfo;
    std::string representativeWord;  // "＊" when the rule has none
    int representativePosCode = 0;
    MeanCondSpec meaningElement;
    MeanCondSpec frontCondition;
    MeanCondSpec backCondition;
    MeanTermSpec frontTerm;
    MeanTermSpec backTerm;

    bool operator==(const MeanRule&) const = default;
};

// What an index entry points at: a rule and the alternative of its meaning
// element that the key came from.
struct WordRef {
    int ruleNumber = 0;
    int wordNumber = 0;

    bool operator==(const WordRef&) const = default;
};

// One row of the dictionary's conjugation-form table.
struct ConjugationFormEntry {
    std::string name;
    int index = 0;

    bool operator==(const ConjugationFormEntry&) const = default;
};

}  // namespace quibo
