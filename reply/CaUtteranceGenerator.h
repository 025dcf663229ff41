// Decides what the engine says once the reply selector has reduced a turn's
// candidates to reply records: it picks a path by the records, takes one
// conversation-act utterance from an utterance group of the knowledge base
// (a topic title addressed by three key texts), fills the utterance's
// template, collects the visitor words of back-channel replies, makes the
// result the conversation's current reply and writes the result part of the
// newest session-log entry.  fetchUtterance serves the fetch step with one
// stored utterance by index.
//
// A generator is built on the stack for one call and owns nothing; what
// lasts is written to the reply state, the dialogue history, the records
// and the session log.
#pragma once

#include "analysis/MorphemeList.h"
#include "conversation/CaUtterance.h"
#include "conversation/ReplyRecord.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quibo {

class ChatSession;
class DialogueHistory;
class ReplyState;
class TopicTitle;

class CaUtteranceGenerator {
public:
    explicit CaUtteranceGenerator(ChatSession& session) : m_session(session) {}

    // The reply text of the turn ("" for no records, changing nothing).
    std::string generate(std::vector<ReplyRecord> records, DialogueHistory& history, ReplyState& state,
                         bool expandTemplates);
    // The text of utterance `index` of the record's first input item's
    // group, its variables filled, made the current reply; "" (changing
    // nothing) when the record names no group or the index names no
    // utterance.
    std::string fetchUtterance(const ReplyRecord& record, ReplyState& state, std::int32_t index);

    // Inner steps.  An empty visitor text in a result means no utterance.
    bool needsComposition(const std::vector<ReplyRecord>& records) const;
    CaUtterance composeFromRecord(ReplyRecord& record, DialogueHistory& history, ReplyState& state);
    CaUtterance askBack(std::vector<ReplyRecord>& records, DialogueHistory& history, ReplyState& state);
    CaUtterance composeWithHistory(ReplyRecord& record, DialogueHistory& history, ReplyState& state);
    CaUtterance utteranceFromGroup(const ReplyRecord& record, TopicTitle* group, std::int32_t index,
                                   DialogueHistory& history, ReplyState& state, bool useHistoryForm);
    CaUtterance pickRandom(const ReplyRecord& record, DialogueHistory& history, ReplyState& state);
    CaUtterance buildCaUtterance(ReplyRecord& record, DialogueHistory& history, ReplyState& state,
                                 const std::string& focusText);
    bool wordSeenInContext(const ReplyState& state, const std::string& text) const;
    void fallbackUtterance(const ReplyRecord& record, DialogueHistory& history, ReplyState& state,
                           CaUtterance& utterance);
    static bool anyWordInText(const MorphemeList& words, const std::string& text);
    static MorphemeList wordsInText(const MorphemeList& words, const std::string& text);
    // The word of the surface when it has flag U, else the last word with
    // flag U, else an empty word.
    static Morpheme findFlaggedWord(const MorphemeList& words, const std::string& surface);

private:
    // The title (x, y, z) of the knowledge base's entity; null when either
    // is missing.
    TopicTitle* findGroup(const char* entity, const std::string& x, const std::string& y,
                          const std::string& z) const;
    CaUtterance checkKnowledge(ReplyRecord& record, DialogueHistory& history, ReplyState& state);
    CaUtterance parrot(const ReplyRecord& record, DialogueHistory& history, ReplyState& state);
    CaUtterance wordClassUtterance(const ReplyRecord& record, DialogueHistory& history, ReplyState& state,
                                   const std::string& caKind, bool focusSeen, const std::string& focusText);
    void noteBackChannel(const CaUtterance& utterance, const std::vector<ReplyRecord>& records,
                         ReplyState& state) const;
    void writeLog(const CaUtterance& utterance, const std::string& replyText) const;

    ChatSession& m_session;
};

}  // namespace quibo
