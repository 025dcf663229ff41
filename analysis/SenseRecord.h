// One relation of a word in the semantic network: its kind ('P' or 'N'),
// polarity ('0' or '1'), the related word and the word that was asked about.
#pragma once

#include <string>

namespace quibo {

struct SenseRecord {
    char kind = 0;
    char polarity = 0;
    std::string relatedWord;
    std::string queriedWord;

    bool isNRelation() const { return kind == 'N'; }
};

}  // namespace quibo
