// Code tables shared by the meaning dictionary and its judgement result:
// judgement units, meaning features (the names of DCA codes) and the POS
// names a rule may use.  Literals are EUC-JP (see CMakeLists).
#pragma once

#include <string_view>

namespace quibo {

// Judgement units: what a condition group compares.  Rules and judgement
// results store these codes.
namespace MeanUnit {
inline constexpr int None = 0;               // "＊": the empty group
inline constexpr int InputForm = 1;          // surface
inline constexpr int BaseForm = 2;           // key form
inline constexpr int BaseFormSet = 3;        // key forms, in order with gaps
inline constexpr int BaseFormSequence = 4;   // key forms, adjacent
inline constexpr int Text = 5;               // text of the sentence
inline constexpr int Pos = 6;                // POS code
inline constexpr int PosSequence = 7;        // POS codes of adjacent words
inline constexpr int InputFormSet = 8;       // surfaces, in order with gaps
inline constexpr int InputFormSequence = 9;  // surfaces, adjacent
}  // namespace MeanUnit

// Entry k names unit code k.
inline constexpr std::string_view JUDGEMENT_UNIT_NAMES[] = {
    "＊", "入力形", "基本形", "基本形集合", "基本形連続",
    "文字列", "品詞", "品詞連続", "入力形集合", "入力形連続"};

// Code of a unit name, -1 for any other text.
int judgementUnitCode(std::string_view name);

struct MeaningFeature {
    int code;
    std::string_view name;
};

// The meaning features in code order, in bands of ten by theme.  Rules name
// DCA codes through `#DEFDCA` lines; a few names drive the judgement itself
// ("肯定", "否定", "否定０" the polarity, "X", "Y", "Z" the term marking,
// "任意" as a previous-code filter).
extern const MeaningFeature MEANING_FEATURES[120];

// Name of a meaning-feature code; "" for a code not in the table.
std::string_view meaningFeatureName(int code);

struct MeanPosName {
    std::string_view name;
    int code;
};

// POS names a rule may use, with the word record's POS codes (class bit plus
// sub-class bit).  The six names with "_" are pseudo-classes of knowledge-base
// words.
extern const MeanPosName MEAN_POS_NAMES[68];

// Name of a POS code; "＊" for a code not in the table.
std::string_view meanPosName(int code);

}  // namespace quibo
