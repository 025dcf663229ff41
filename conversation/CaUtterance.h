// One chosen conversation-act utterance: what the reply generator took from
// the reply record, its input item and the chosen utterance record.  The
// reply state keeps it as the current reply.  The source group is borrowed
// from the loaded knowledge base.
#pragma once

#include "analysis/MorphemeList.h"
#include "conversation/ReplyRecord.h"
#include "knowledge/ReplyEntry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quibo {

class TopicTitle;

struct CaUtterance {
    // Item types.
    static constexpr std::int32_t FROM_GROUP = 1;
    static constexpr std::int32_t FROM_HISTORY = 2;

    // The utterance `entry` for the record: the record's texts, words, ids
    // and flags, and what its first input item says of the source (group,
    // type, sentence form, candidate id); no source without an item.
    static CaUtterance fromRecord(const ReplyRecord& record, const ReplyEntry& entry);

    // Empty when no utterance was built.
    std::string visitorText;
    std::string secondText;
    // The reply record's number: the position of the sentence it answers.
    std::int32_t recordNumber = 0;
    std::string recordText1;
    std::string recordText2;
    std::string checkText1;
    std::string checkText2;
    MorphemeList words;
    TopicTitle* sourceGroup = nullptr;
    std::int32_t itemType = 0;
    // 100, 105 or 110.
    std::int32_t sentenceForm = 0;
    ReplyEntry utterance;
    std::int32_t candidateId = 0;
    std::vector<std::int32_t> expressionIds;
    std::int32_t mark = 0;
    std::uint32_t recordFlagWord = 0;
    std::int32_t recordFlagNext = 0;
    std::uint8_t flag = 0;
};

}  // namespace quibo
