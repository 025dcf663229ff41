// Words, markers and name tables shared by the word layer, the dictionaries,
// the knowledge base and the dialogue layers.  They are compile-time
// constants, so they exist before any engine code runs and no static
// initialisation order can reach them half-built; code relies on their
// values, never on their addresses.  Literals are EUC-JP (see CMakeLists).
#pragma once

#include "analysis/MorphemeList.h"

#include <array>
#include <string_view>

namespace quibo {

inline constexpr std::string_view EMPTY_TEXT = "";
// The default word list of the topic-title builders: no words.  Constant
// initialised, like the texts.
inline constinit const MorphemeList EMPTY_WORD_LIST{};
inline constexpr std::string_view SENTENCE_FORM_DEFAULT = "既定";
inline constexpr std::string_view SENTENCE_FORM_POSITIVE = "肯定";
inline constexpr std::string_view SENTENCE_FORM_NEGATIVE = "否定";
// A topic title counts as marked when it ends with this and is longer than it.
inline constexpr std::string_view C_MARK = "＿Ｃ＿";
inline constexpr std::string_view NULL_WORD = "ＮＵＬＬ";
inline constexpr std::string_view WILDCARD_WORD = "＊";
inline constexpr std::string_view NO_ANSWER_WORD = "回答不能";
inline constexpr std::string_view ELLIPSIS_WORD = "・・・";
inline constexpr std::string_view REPLY_FIELD_SEPARATOR = ";";
inline constexpr std::string_view FULLWIDTH_LOWERCASE =
    "ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ";
inline constexpr std::string_view FULLWIDTH_UPPERCASE =
    "ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ";
inline constexpr std::string_view DEBUG_PREFIX = "DEBUG:\t";

// Entry k names correlation code k + 1.
inline constexpr std::array<std::string_view, 5> CORRELATION_NAMES = {
    "一致", "肯定", "否定", "陳述", "無相関"};

// A word's conjugation value is type id * 0x10000 + form id; entry 0 of both
// tables is the empty text (no conjugation).
inline constexpr std::array<std::string_view, 34> CONJUGATION_TYPE_NAMES = {
    "",
    "母音動詞", "子音動詞カ行", "子音動詞カ行促音便形", "子音動詞ガ行",
    "子音動詞サ行", "子音動詞タ行", "子音動詞ナ行", "子音動詞バ行",
    "子音動詞マ行", "子音動詞ラ行", "子音動詞ラ行イ形", "子音動詞ワ行",
    "子音動詞ワ行文語音便形", "カ変動詞", "カ変動詞来", "サ変動詞",
    "ザ変動詞", "イ形容詞アウオ段", "イ形容詞イ段", "イ形容詞イ段特殊",
    "ナ形容詞", "ナノ形容詞", "ナ形容詞特殊", "タル形容詞",
    "判定詞", "無活用型", "助動詞ぬ型", "助動詞だろう型",
    "助動詞そうだ型", "助動詞く型", "動詞性接尾辞ます型", "動詞性接尾辞うる型",
    "動詞性接尾辞得る型"};

// The order is fixed by stored data: 58 and 59 come after 57, out of the
// alphabetical run.  Maps built by the dictionaries use entries 0-58 only.
inline constexpr std::array<std::string_view, 60> CONJUGATION_FORM_NAMES = {
    "",
    "タ形", "タ系条件形", "タ系推量形", "タ系連用タリ形", "タ系連用チャ形",
    "タ系連用チャ形２", "タ系連用テ形", "ダ列タ形", "ダ列タ系条件形", "ダ列タ系推量形",
    "ダ列タ系連用ジャ形", "ダ列タ系連用タリ形", "ダ列タ系連用テ形", "ダ列基本条件形", "ダ列基本推量形",
    "ダ列基本連体形", "ダ列基本連用形", "ダ列特殊連体形", "ダ列文語条件形", "ダ列文語連体形",
    "ダ列命令形", "デアル列タ形", "デアル列タ系条件形", "デアル列タ系推量形", "デアル列タ系連用タリ形",
    "デアル列タ系連用テ形", "デアル列基本形", "デアル列基本条件形", "デアル列基本推量形", "デアル列基本連用形",
    "デアル列命令形", "デス列タ形", "デス列タ系条件形", "デス列タ系推量形", "デス列タ系連用タリ形",
    "デス列タ系連用テ形", "デス列基本形", "デス列基本推量形", "デス列省略推量形", "意志形",
    "音便基本形", "音便条件形", "音便条件形２", "音便推量形", "基本形",
    "基本条件形", "基本推量形", "基本連用形", "語幹", "文語基本形",
    "文語条件形", "文語未然形", "文語命令形", "文語連体形", "文語連用形",
    "未然形", "命令形", "文語音便条件形", "基本連体形"};

inline constexpr int conjugationTypeId(int conjugationValue) { return conjugationValue >> 16; }
inline constexpr int conjugationFormId(int conjugationValue) { return conjugationValue & 0xFFFF; }

// Names of a conjugation value; out-of-table ids name the empty text.
std::string_view conjugationTypeName(int conjugationValue);
std::string_view conjugationFormName(int conjugationValue);

// Word of a sentence-form code: 'd', 'i', 'n'; any other code has the empty word.
std::string_view sentenceFormWord(char code);

}  // namespace quibo
