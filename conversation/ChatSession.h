// One open conversation: what its key carries from utterance to utterance
// over one loaded knowledge base.  The request holds the utterance being
// processed, the turn reply the reply of this turn and the last; the
// dialogue history and the reply state carry over from turn to turn.  The
// conversation manager creates and deletes it; the knowledge base is
// borrowed.
#pragma once

#include "analysis/MorphemeList.h"
#include "conversation/Candidate.h"
#include "conversation/DialogueHistory.h"
#include "conversation/ReplyState.h"
#include "knowledge/ReplyEntry.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace quibo {

class CDictionary;
class TopicTitle;

class TurnRequest {
public:
    static constexpr std::int32_t PLAIN = 1;
    static constexpr std::int32_t PRE_ANALYSED = 2;
    static constexpr std::size_t CANDIDATE_ROOM = 1000;

    TurnRequest();

    // Before every utterance: candidates, sentences and analysed sentences
    // emptied, pass mark -1, many-candidates flag 0; the status stays.
    void reset();
    // The surfaces of analysed sentence `index` joined; "" outside.
    std::string sentenceSurface(int index) const;

    std::int32_t status() const { return m_status; }
    void setStatus(std::int32_t status) { m_status = status; }
    // The pieces of a plain utterance, sorted, each once.
    std::set<std::string>& sentences() { return m_sentences; }
    const std::set<std::string>& sentences() const { return m_sentences; }
    std::vector<MorphemeList>& analysedSentences() { return m_analysedSentences; }
    const std::vector<MorphemeList>& analysedSentences() const { return m_analysedSentences; }
    CandidateList& candidates() { return m_candidates; }
    const CandidateList& candidates() const { return m_candidates; }
    std::int32_t passMark() const { return m_passMark; }
    void setPassMark(std::int32_t mark) { m_passMark = mark; }
    std::uint8_t manyCandidates() const { return m_manyCandidates; }
    void setManyCandidates(std::uint8_t flag) { m_manyCandidates = flag; }

private:
    std::int32_t m_status = 0;
    std::set<std::string> m_sentences;
    std::vector<MorphemeList> m_analysedSentences;
    CandidateList m_candidates;
    std::int32_t m_passMark = -1;
    std::uint8_t m_manyCandidates = 0;
};

class TurnReply {
public:
    // The reply text becomes the previous one and is emptied; the reply
    // entry, focus and match code stay until the turn sets them again.
    void rollOver();

    std::string getReplyText() const { return m_replyText; }
    const std::string& previousReplyText() const { return m_previousReplyText; }
    // The names of the reply entry: the reply string's extension text.
    std::string getExtensionText() const { return m_replyEntry.joinNames(); }
    void setReplyText(const std::string& text) { m_replyText = text; }
    void setReplyEntry(const ReplyEntry& entry) { m_replyEntry = entry; }
    // The title the reply came from.
    void setFocus(TopicTitle* focus) { m_focus = focus; }
    void setMatchCode(std::int32_t code) { m_matchCode = code; }
    TopicTitle* focus() const { return m_focus; }
    std::int32_t matchCode() const { return m_matchCode; }

private:
    std::string m_replyText;
    std::string m_previousReplyText;
    ReplyEntry m_replyEntry;
    TopicTitle* m_focus = nullptr;  // borrowed from the knowledge base
    std::int32_t m_matchCode = 'z';
};

class ChatSession {
public:
    ChatSession(const std::string& key, const std::string& knowledgeName, CDictionary* knowledge);
    ChatSession(const ChatSession&) = delete;
    ChatSession& operator=(const ChatSession&) = delete;

    std::string getKey() const { return m_key; }
    TurnRequest& getRequest() { return m_request; }
    TurnReply& getTurnReply() { return m_turnReply; }
    // The states the conversation has entered, and what it remembers of its
    // own replies; both carry over from turn to turn.
    DialogueHistory& getHistory() { return m_history; }
    ReplyState& getReplyState() { return m_replyState; }
    CDictionary* getKnowledge() const { return m_knowledge; }
    const std::string& knowledgeName() const { return m_knowledgeName; }

    // The start step hands the page small numbers for the topic titles it
    // resolved, never their addresses: a handle is a position in this
    // conversation's table, 0 for no title.
    std::int32_t startTitleHandle(TopicTitle* title);
    // The title of a handle; null for 0 and for any number this
    // conversation did not hand out.
    TopicTitle* startTitle(std::int32_t handle) const;

private:
    std::string m_key;
    TurnRequest m_request;
    TurnReply m_turnReply;
    DialogueHistory m_history;
    ReplyState m_replyState;
    std::string m_knowledgeName;
    CDictionary* m_knowledge;  // borrowed: the conversation manager owns it
    std::vector<TopicTitle*> m_startTitles;
};

}  // namespace quibo
