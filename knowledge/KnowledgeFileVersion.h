// Process-wide state of the knowledge-file format: the version text of the
// file last loaded or saved, which selects the stored form of words and topic
// titles while a stream is read or written, and one counter that a file
// carries and a save writes back.  Single-threaded, like every load and save.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quibo {

// The version text of files written by this system.
inline constexpr std::string_view KNOWLEDGE_FILE_VERSION = "/Quibo3.0/";
inline constexpr std::size_t KNOWLEDGE_VERSION_SIZE = 10;
// Version text and 10 reserved octets precede the stream.
inline constexpr std::size_t KNOWLEDGE_HEADER_SIZE = 20;

// The 10 octets of the version text in force (initially the current one).
std::string knowledgeVersionText();
// Takes the first 10 octets of the text, padding a shorter text with NULs.
void setKnowledgeVersionText(std::string_view text);
// Whether the version text in force is the current one: words then carry
// their bound entity and topic titles their centres.
bool isCurrentKnowledgeVersion();

// The counter carried by the last file loaded (0 before any).
std::int32_t knowledgeFileCounter();
void setKnowledgeFileCounter(std::int32_t value);

}  // namespace quibo
