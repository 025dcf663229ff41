// An object of a key row is tied to an utterance's words through its title
// words (KnowledgeObject::getTitleWords), and named by its title text.
#include "conversation/ReplyState.h"

#include "knowledge/KnowledgeObject.h"

#include <algorithm>

namespace quibo {

namespace {

std::int32_t countedWords(const MorphemeList& words)
{
    return static_cast<std::int32_t>(words.selectWords(3, 7, 0).size());
}

// An object is related to the words when one of its title words is the same
// as one of them or related to it in the semantic network.
bool isRelated(const KnowledgeObject* object, const MorphemeList& words)
{
    if (!object)
        return false;
    for (const Morpheme& own : object->getTitleWords().words()) {
        for (const Morpheme& word : words.words()) {
            if (own.isSameOrRelated(word))
                return true;
        }
    }
    return false;
}

template <class Keep>
void keepObjects(std::vector<KeyRow>& rows, Keep keep)
{
    for (KeyRow& row : rows) {
        std::vector<KnowledgeObject*>& objects = row.items();
        objects.erase(std::remove_if(objects.begin(), objects.end(), [&](KnowledgeObject* o) { return !keep(o); }),
                      objects.end());
    }
}

}  // namespace

void ReplyState::addId(std::int32_t id)
{
    if (!hasId(id))
        m_usedIds.push_back(id);
}

bool ReplyState::hasId(std::int32_t id) const
{
    return std::find(m_usedIds.begin(), m_usedIds.end(), id) != m_usedIds.end();
}

void ReplyState::setCurrentReply(const CaUtterance& utterance, const std::string& replyText, CDictionary* knowledge)
{
    const std::int32_t wordClass = m_context ? m_context->getWordClass() : 0;
    m_context.reset();
    m_currentEntry = utterance.utterance;
    m_context = std::make_unique<ReplyContext>(utterance, replyText, knowledge, wordClass);
    if (utterance.itemType == CaUtterance::FROM_HISTORY && utterance.sourceGroup)
        addId(utterance.candidateId);
}

void ReplyState::addUtterance(const std::string& text, const MorphemeList& words, const KeyRow& keyRow)
{
    if (m_recentSentences.size() >= MAX_RECENT)
        m_recentSentences.erase(m_recentSentences.begin());
    m_recentSentences.push_back({text, countedWords(words), words});

    if (m_recentKeyRows.size() >= MAX_RECENT)
        m_recentKeyRows.erase(m_recentKeyRows.begin());
    // When the new words still speak of some remembered object, the objects
    // they no longer speak of are forgotten.
    const bool anyRelated = std::any_of(m_recentKeyRows.begin(), m_recentKeyRows.end(), [&](const KeyRow& row) {
        return std::any_of(row.items().begin(), row.items().end(),
                           [&](const KnowledgeObject* o) { return isRelated(o, words); });
    });
    if (anyRelated)
        keepObjects(m_recentKeyRows, [&](const KnowledgeObject* o) { return isRelated(o, words); });
    // An object the new row names again is remembered only there.
    keepObjects(m_recentKeyRows, [&](const KnowledgeObject* o) {
        return std::none_of(keyRow.items().begin(), keyRow.items().end(), [&](const KnowledgeObject* fresh) {
            return o && fresh && o->getTitleText() == fresh->getTitleText();
        });
    });
    m_recentKeyRows.push_back(keyRow);

    auto total = [this] {
        std::int32_t sum = 0;
        for (const RecentSentence& sentence : m_recentSentences)
            sum += sentence.wordCount;
        return sum;
    };
    while (total() > MAX_RECENT_WORDS) {
        m_recentSentences.erase(m_recentSentences.begin());
        if (!m_recentKeyRows.empty())
            m_recentKeyRows.erase(m_recentKeyRows.begin());
    }
}

void ReplyState::clearUtterances()
{
    m_recentSentences.clear();
    m_recentKeyRows.clear();
}

bool ReplyState::hasRowObjects() const
{
    return std::any_of(m_recentKeyRows.begin(), m_recentKeyRows.end(), [](const KeyRow& row) { return !row.empty(); });
}

std::size_t ReplyState::firstPieceSentence() const
{
    // Newest first, a sentence that would take the total past the limit is
    // passed over; the pieces start as many sentences from the end as fit.
    std::int32_t total = 0;
    std::size_t accepted = 0;
    for (auto it = m_recentSentences.rbegin(); it != m_recentSentences.rend(); ++it) {
        if (total + it->wordCount <= MAX_RECENT_WORDS) {
            total += it->wordCount;
            ++accepted;
        }
    }
    return m_recentSentences.size() - accepted;
}

std::vector<ContextPiece> ReplyState::getContextPieces() const
{
    const std::size_t first = firstPieceSentence();
    std::vector<ContextPiece> pieces(m_recentSentences.size() - first);
    for (std::size_t i = first; i < m_recentSentences.size(); ++i) {
        for (std::size_t k = 0; k <= i - first; ++k) {
            pieces[k].text += m_recentSentences[i].text + "、";
            pieces[k].wordCount += m_recentSentences[i].wordCount;
        }
    }
    return pieces;
}

std::vector<MorphemeList> ReplyState::getAnalysedPieces() const
{
    const std::size_t first = firstPieceSentence();
    std::vector<MorphemeList> pieces(m_recentSentences.size() - first);
    for (std::size_t i = first; i < m_recentSentences.size(); ++i) {
        for (std::size_t k = 0; k <= i - first; ++k) {
            const std::vector<Morpheme>& words = m_recentSentences[i].words.words();
            pieces[k].words().insert(pieces[k].words().end(), words.begin(), words.end());
        }
    }
    return pieces;
}

void ReplyState::reset(CDictionary* knowledge)
{
    m_choices.clear();
    m_usedIds.clear();
    if (m_context) {
        m_context->setWordClass(0);
        setCurrentReply(CaUtterance(), "", knowledge);
        m_context->clearIds();
    }
    m_utteranceList.clear();
    m_seenSet.clear();
    m_recentKeys.clear();
    clearUtterances();
}

}  // namespace quibo
