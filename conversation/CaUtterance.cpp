#include "conversation/CaUtterance.h"

namespace quibo {

CaUtterance CaUtterance::fromRecord(const ReplyRecord& record, const ReplyEntry& entry)
{
    CaUtterance utterance;
    utterance.visitorText = record.text;
    utterance.secondText = record.fullText;
    utterance.recordNumber = record.number;
    utterance.recordText1 = record.wordsX;
    utterance.recordText2 = record.wordsY;
    utterance.checkText1 = record.spareText1;
    utterance.checkText2 = record.spareText2;
    utterance.words = record.words;
    if (!record.units.empty()) {
        const ReplyUnit& item = record.units.front();
        utterance.sourceGroup = item.target;
        utterance.itemType = item.kind;
        utterance.sentenceForm = item.matchCode;
        utterance.candidateId = item.logCandidateId;
    }
    utterance.utterance = entry;
    utterance.expressionIds = record.ids;
    utterance.recordFlagWord = record.flagWord;
    utterance.recordFlagNext = static_cast<std::int32_t>(record.replyKind & 0xFFFFFFFFu);
    return utterance;
}

}  // namespace quibo
