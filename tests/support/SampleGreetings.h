// The replies of the sample knowledge base, read from its source
// (data/sample_knowledge.txt), so that tests follow its wording: the
// entries of a reply table's first group, and the greetings, the entries of
// its greeting table, of which a new conversation opens with one.  UTF-8.
#pragma once

#include <fstream>
#include <string>
#include <vector>

namespace quibo::test {

// `table` is the table's name in UTF-8 (u8"営業時間表").
inline std::vector<std::string> sampleReplies(const char8_t* table)
{
    const std::string heading = "table " + std::string(reinterpret_cast<const char*>(table));
    std::ifstream source(std::string(QUIBO_SOURCE_DIR) + "/data/sample_knowledge.txt");
    std::vector<std::string> replies;
    bool inTable = false;
    int groups = 0;  // of the table, up to the line read
    for (std::string line; std::getline(source, line);) {
        if (line.rfind("table ", 0) == 0) {
            inTable = line == heading;
            groups = 0;
        } else if (line.rfind("group ", 0) == 0) {
            ++groups;
        } else if (inTable && groups == 1 && line.rfind("entry ", 0) == 0) {
            replies.push_back(line.substr(6, line.find(" | ") - 6));
        }
    }
    return replies;
}

inline std::vector<std::string> sampleGreetings() { return sampleReplies(u8"呼びかけ表"); }

}  // namespace quibo::test
