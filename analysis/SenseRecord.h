// One relation of a word as the semantic network states it: the kind of the
// related sense ('P' or 'N'), the polarity digit ('0' same sense, '1'
// opposite), the related word and the word that was asked about.
#pragma once

#include <string>

namespace quibo {

struct SenseRecord {
    char kind = 'N';
    char polarity = '0';
    std::string relatedWord;
    std::string queriedWord;

    bool isNRelation() const { return kind == 'N'; }
    bool operator==(const SenseRecord&) const = default;
};

}  // namespace quibo
