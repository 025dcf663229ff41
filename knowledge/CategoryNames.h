// Words by which a knowledge base names its reserved entities and categories.
// The knowledge editor writes them into knowledge files; of the engine only
// topic-title centre collection and the dialogue layer read one of them
// (COMPLEMENTARY_DISCOURSE).  Compile-time constants, so they exist before
// any engine code runs; code compares their values, never their addresses.
// Literals are EUC-JP (see CMakeLists).
#pragma once

#include <string_view>

namespace quibo {

inline constexpr std::string_view ENTITY_WORD = "entity";
inline constexpr std::string_view DICTIONARY_EXTENSION = ".dic";
inline constexpr std::string_view ROOT_ENTITY = "ルートエンティティ";
inline constexpr std::string_view GREETING_CONVERSATION = "挨拶会話";
inline constexpr std::string_view IGNORED_CONVERSATION = "無視会話";
inline constexpr std::string_view RESERVED_ENTITY = "予約エンティティ";
// The entity that becomes the centre of topic titles that have none.
inline constexpr std::string_view COMPLEMENTARY_DISCOURSE = "補完談話";
inline constexpr std::string_view NOUN_WORD = "名詞";
inline constexpr std::string_view GENERAL_ANSWER = "一般回答";
inline constexpr std::string_view EXTERNAL_THESAURUS = "外部シソーラス";
inline constexpr std::string_view SIMPLE_SCENARIO_UTTERANCE = "簡単なシナリオ発話";

}  // namespace quibo
