// What a conversation remembers of its own recent replies from one turn to
// the next: the context of the last reply, the last few utterances it
// answered (offered to the next turn as context pieces) with a row of
// knowledge objects each, the key words of recent replies, the ids of the
// utterances already given and the choices the reply generator made.
#pragma once

#include "analysis/MorphemeList.h"
#include "conversation/CaUtterance.h"
#include "conversation/ReplyContext.h"
#include "knowledge/AnalyzedSentence.h"
#include "knowledge/ItemList.h"
#include "knowledge/ReplyEntry.h"

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace quibo {

class CDictionary;
class KnowledgeObject;
class TopicTitle;

// One answered utterance and the number of its content words.
struct RecentSentence {
    std::string text;
    std::int32_t wordCount = 0;
    MorphemeList words;
};

// A context piece of plain input: remembered texts, each followed by "、".
struct ContextPiece {
    std::string text;
    std::int32_t wordCount = 0;
};

using KeyRow = ItemList<KnowledgeObject>;

class ReplyState {
public:
    // At most this many recent sentences (and key rows) ...
    static constexpr std::size_t MAX_RECENT = 3;
    // ... holding at most this many content words in all.
    static constexpr std::int32_t MAX_RECENT_WORDS = 10;

    ReplyState() = default;
    ReplyState(const ReplyState&) = delete;
    ReplyState& operator=(const ReplyState&) = delete;

    // Null until the first reply.
    ReplyContext* getReplyContext() const { return m_context.get(); }
    const ReplyEntry& currentEntry() const { return m_currentEntry; }

    void addId(std::int32_t id);
    bool hasId(std::int32_t id) const;
    const std::vector<std::int32_t>& usedIds() const { return m_usedIds; }

    // The reply generator's pick for a (group, sentence form); a later pick
    // replaces an earlier one.
    void rememberChoice(const TopicTitle* group, std::int32_t form, std::int32_t index)
    {
        m_choices[{group, form}] = index;
    }
    const std::map<std::pair<const TopicTitle*, std::int32_t>, std::int32_t>& choices() const { return m_choices; }

    // The utterance becomes the current reply: its entry the current entry,
    // a new context (keeping the old context's word class) replaces the old.
    void setCurrentReply(const CaUtterance& utterance, const std::string& replyText, CDictionary* knowledge);

    // Remembers one answered utterance and the knowledge objects its key row
    // names.
    void addUtterance(const std::string& text, const MorphemeList& words, const KeyRow& keyRow);
    void clearUtterances();
    bool hasRowObjects() const;
    std::vector<KeyRow> getRecentKeyRows() const { return m_recentKeyRows; }
    const std::vector<RecentSentence>& recentSentences() const { return m_recentSentences; }

    std::vector<KeyWordInfo> getRecentKeys() const { return m_recentKeys; }
    void setRecentKeys(const std::vector<KeyWordInfo>& keys) { m_recentKeys = keys; }

    // The pieces the next turn tries as context, longest first: piece k
    // joins the remembered sentences from the k-th of those that fit.
    std::vector<ContextPiece> getContextPieces() const;
    std::vector<MorphemeList> getAnalysedPieces() const;

    // The reply generator's working lists of the turn.
    std::vector<CaUtterance>& utteranceList() { return m_utteranceList; }
    std::set<std::string>& seenSet() { return m_seenSet; }

    // Forgets the dialogue; a context built from the empty utterance stays.
    void reset(CDictionary* knowledge);

private:
    // The first sentence, counting from the oldest, of those the pieces use.
    std::size_t firstPieceSentence() const;

    std::vector<std::int32_t> m_usedIds;
    std::map<std::pair<const TopicTitle*, std::int32_t>, std::int32_t> m_choices;
    ReplyEntry m_currentEntry;
    std::unique_ptr<ReplyContext> m_context;
    std::vector<CaUtterance> m_utteranceList;
    std::set<std::string> m_seenSet;
    std::vector<KeyWordInfo> m_recentKeys;
    std::vector<RecentSentence> m_recentSentences;
    std::vector<KeyRow> m_recentKeyRows;
};

}  // namespace quibo
