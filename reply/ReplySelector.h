// The first stage of reply generation: turns the candidate the selection
// chose into the turn's reply record, folding in the dialogue state, the
// state rule of the rule tables and the candidate's entry in the session
// log.  Once the record holds copies of all it needs, the candidates let go
// of their analysed sentences.  A selector keeps nothing between calls.
#pragma once

#include "conversation/Candidate.h"
#include "conversation/ReplyRecord.h"

#include <string>
#include <vector>

namespace quibo {

class ChatSession;
class MorphemeList;

class ReplySelector {
public:
    // No record when the request holds no candidate or the selection names
    // one past its list, else the one record built for the chosen candidate
    // (a negative index: the first).
    static std::vector<ReplyRecord> select(ChatSession& conversation, SelectionEntry selection);
    // The record of the chosen candidate; a default record, and nothing
    // released, when the selection names none.
    static ReplyRecord buildRecord(ChatSession& conversation, SelectionEntry selection);
    // The surfaces of the words with flag X (flagX) or flag Y, joined.
    static std::string joinFlaggedSurfaces(const MorphemeList& words, bool flagX);
};

}  // namespace quibo
