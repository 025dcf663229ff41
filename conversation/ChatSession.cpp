#include "conversation/ChatSession.h"

#include <algorithm>

namespace quibo {

// Room is made once, so that an ordinary turn adds candidates without
// moving them.
TurnRequest::TurnRequest() { m_candidates.candidates().reserve(CANDIDATE_ROOM); }

void TurnRequest::reset()
{
    m_candidates.candidates().clear();
    m_passMark = -1;
    m_sentences.clear();
    m_analysedSentences.clear();
    m_manyCandidates = 0;
}

std::string TurnRequest::sentenceSurface(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_analysedSentences.size())
        return std::string();
    std::string text;
    for (const Morpheme& word : m_analysedSentences[index].words())
        text += word.getSurface();
    return text;
}

void TurnReply::rollOver()
{
    m_previousReplyText = m_replyText;
    m_replyText.clear();
}

ChatSession::ChatSession(const std::string& key, const std::string& knowledgeName, CDictionary* knowledge)
    : m_key(key), m_knowledgeName(knowledgeName), m_knowledge(knowledge)
{
}

std::int32_t ChatSession::startTitleHandle(TopicTitle* title)
{
    if (!title)
        return 0;
    auto found = std::find(m_startTitles.begin(), m_startTitles.end(), title);
    if (found == m_startTitles.end())
        found = m_startTitles.insert(m_startTitles.end(), title);
    return static_cast<std::int32_t>(found - m_startTitles.begin()) + 1;
}

TopicTitle* ChatSession::startTitle(std::int32_t handle) const
{
    if (handle < 1 || static_cast<std::size_t>(handle) > m_startTitles.size())
        return nullptr;
    return m_startTitles[handle - 1];
}

}  // namespace quibo
