// The greetings of the sample knowledge base, read from its source
// (data/sample_knowledge.txt): the entries of its greeting table, of which
// a new conversation opens with one.  UTF-8.
#pragma once

#include <fstream>
#include <string>
#include <vector>

namespace quibo::test {

inline std::vector<std::string> sampleGreetings()
{
    const std::string table = reinterpret_cast<const char*>(u8"table 呼びかけ表");
    std::ifstream source(std::string(QUIBO_SOURCE_DIR) + "/data/sample_knowledge.txt");
    std::vector<std::string> greetings;
    bool inTable = false;
    for (std::string line; std::getline(source, line);) {
        if (line.rfind("table ", 0) == 0) {
            inTable = line == table;
        } else if (inTable && line.rfind("entry ", 0) == 0) {
            greetings.push_back(line.substr(6, line.find(" | ") - 6));
        }
    }
    return greetings;
}

}  // namespace quibo::test
