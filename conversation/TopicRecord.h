// The topic by which a reply candidate was found: built by the candidate
// collector, handed out by the dialogue history, held by value in every
// candidate.  Every pointer is borrowed from the loaded knowledge base.
#pragma once

#include "analysis/MorphemeList.h"
#include "knowledge/ReplyEntry.h"

#include <cstdint>

namespace quibo {

class TopicTitle;

struct TopicRecord {
    static constexpr std::int32_t NO_HIT = 7;

    // A dialogue-history record carries the position of its element ORed
    // with its part's marker here.
    std::int32_t firstNumber = 0;
    TopicTitle* source = nullptr;
    ReplyEntry entry;
    TopicTitle* focus = nullptr;
    TopicTitle* secondTitle = nullptr;
    MorphemeList words;
    std::int32_t extraWord = 0;
    std::int32_t hitValue = NO_HIT;
};

}  // namespace quibo
