// Whole knowledge files on disk: the 20-octet header (version text, 10
// reserved octets) in front of a dictionary's stream, saved so that a good
// file is never lost to a failed save, and loaded by path.
#pragma once

#include "knowledge/KnowledgeFileVersion.h"

#include <string>
#include <string_view>

namespace quibo {

class CDictionary;

// Writes header and stream to "<path>.tmp" next to the file, checks the
// stream after writing and closing, and only then renames it over `path`.
// Returns 0, or -1 with the reason on standard error (the temporary file
// is removed and a file already at `path` is left as it was).
int saveKnowledgeFile(const CDictionary& dictionary, const std::string& path,
                      std::string_view versionText = KNOWLEDGE_FILE_VERSION);

// Opens the file and loads it into the (fresh) dictionary with the given
// modification-time text, then classifies its entities: 0, or -1 when it
// cannot be opened or loaded.
int loadKnowledgeFile(CDictionary& dictionary, const std::string& path, const std::string& mtimeText = "");

}  // namespace quibo
