// The value that carries the chosen reply candidate from dialogue control
// into reply generation: a flat copy of what the candidate knows, with what
// the reply selector derives from the history, the rule tables and the
// session log.  A record owns none of the objects it points to; they belong
// to the loaded knowledge base or to the turn's candidate list and live as
// long as the turn that built the record.
#pragma once

#include "analysis/MorphemeList.h"
#include "knowledge/AnalyzedSentence.h"

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

namespace quibo {

class TopicTitle;

// One topic unit of the candidate as reply generation sees it.
struct ReplyUnit {
    std::int32_t kind = 0;
    TopicTitle* target = nullptr;
    std::int32_t matchCode = 'd';
    // Type id of the reply group the target answers the match code with:
    // 1, 64, 256 or 32.
    std::int32_t groupType = 1;
    std::int32_t hitValue = 7;
    std::int32_t score = INT_MAX;
    MorphemeList words;
    std::int32_t logCandidateId = -1;
};

struct ReplyRecord {
    // Bits of replyFlags.
    static constexpr std::uint32_t FLAG_FIRST_STATE = 0x1;     // set by the dialogue history
    static constexpr std::uint32_t FLAG_KIND_1000 = 0x2;       // set by the dialogue history
    static constexpr std::uint32_t FLAG_STATE_RULE_2 = 0x20;
    static constexpr std::uint32_t FLAG_STATE_RULE_ON_1 = 0x100;
    static constexpr std::uint32_t FLAG_INDEXED = 0x200;
    static constexpr std::uint32_t FLAG_NEXT = 0x400;
    static constexpr std::uint32_t FLAG_EXIT = 0x800;

    // Texts and ids of the sentence's active meaning contents, pairwise.
    std::vector<std::string> texts;
    std::vector<std::int32_t> ids;
    std::string fullText;
    std::string text;
    std::int32_t number = 0;
    TopicTitle* context = nullptr;
    MorphemeList words;
    std::uint32_t flagWord = 0;
    std::uint64_t replyKind = 0;
    std::int32_t topicId = 0;
    TopicTitle* focus = nullptr;
    std::int32_t hitValue = 6;
    std::int32_t spare1 = 0;
    std::int32_t logCandidateId = -1;
    std::string wordsX;
    std::string wordsY;
    std::string spareText1;
    std::string spareText2;
    std::vector<ReplyUnit> units;
    // The candidate's hit level, which reply generation reads as the word
    // class.
    std::int32_t hitLevel = 3;
    std::uint32_t replyFlags = 0;
    std::int32_t spare2 = 0;
    std::int32_t grade = 0;
    MorphemeList keyWords;
    std::vector<KeyWordInfo> recentKeys;
    std::uint8_t manyCandidates = 0;
    // What the reply generator reads or notes beyond the candidate's values:
    // bit 4 or 8 when a history reply left the state the last reply came
    // from; an asked repeat of the last reflex group; bit 2 asks for the
    // group's 'n' replies.  Nothing before the generator sets them.
    std::uint32_t markWord = 0;
    std::uint8_t repeatFlag = 0;
    std::uint8_t flagByte = 0;
};

}  // namespace quibo
