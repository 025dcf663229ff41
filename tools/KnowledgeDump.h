// A canonical, numbered dump of everything a knowledge base holds, for
// golden tests and for users who want to see what a knowledge file carries.
// Objects are numbered as the knowledge file numbers them (in the order a
// save first meets them), so one file always dumps to the same text.  The
// member sections list their entries with object numbers ("#n", "-" for
// null); the "objects" section then prints every object once by number.
#pragma once

#include <string>

namespace quibo {

class CDictionary;

// The dump in EUC-JP, lines ending in "\n".
std::string dumpKnowledgeBase(const CDictionary& dictionary);

// Loads the knowledge file and writes its dump, in UTF-8, to `out`
// (standard output when empty).  0, or -1 when the file does not load.
int dumpKnowledgeFile(const std::string& path, const std::string& out);

}  // namespace quibo
