// A reply entry as stored holds no word class: where the context falls back on
// "the entry's second int", the stored entry has its titleRef (a title
// pointer, not a number).  A reply from an ordinary topic therefore has no
// word class (0), which is also what reply generation reads a missing class as.
// A meaning content's kind, which makes it active when it is 1, is its DCA
// gate (the eighth number of the content).
#include "conversation/ReplyContext.h"

#include "analysis/LanguageAnalyzer.h"
#include "knowledge/KnowledgeObject.h"
#include "knowledge/TopicTitle.h"

namespace quibo {

namespace {

constexpr std::int32_t NO_WORD_CLASS = 0;

// Utterance groups of the conversation acts and of the exit keep the word
// class the conversation had.
bool isConversationActGroup(const TopicTitle* source)
{
    if (!source)
        return false;
    const std::vector<KnowledgeObject*> links = source->getCentres();
    if (links.empty() || !links.front())
        return false;
    const std::string title = links.front()->getTitleText();
    return title == "ＣＡ発話" || title == "発話出口";
}

// An utterance brings no context kind of its own: it is always derived.
std::int32_t deriveContextKind(const CaUtterance& utterance)
{
    if (utterance.recordFlagWord & 0x81)
        return 2;
    if (utterance.recordFlagWord & 0x2)
        return 4;
    if (!utterance.sourceGroup)
        return 0;
    switch (utterance.sourceGroup->getReplyGroup(utterance.sentenceForm, 1).getTypeId()) {
    case 64: return 1;
    case 256: return 8;
    default: return 0;
    }
}

}  // namespace

ReplyContext::ReplyContext(const CaUtterance& utterance, const std::string& replyText, CDictionary* /*knowledge*/,
                           std::int32_t startingWordClass)
    : m_entry(utterance.utterance),
      m_text(utterance.visitorText),
      m_sentenceIndex(utterance.recordNumber),
      m_words(utterance.words),
      m_secondText(utterance.secondText),
      m_number(utterance.candidateId),
      m_matchCode(utterance.sentenceForm),
      m_source(utterance.sourceGroup),
      m_ids(utterance.expressionIds),
      m_contextKind(deriveContextKind(utterance)),
      m_wordClass(startingWordClass)
{
    // The reply's own text is judged like a visitor's sentence, so that the
    // next turn can ask what the last reply said or asked; the knowledge base
    // is not searched (that would register the engine's words as its terms).
    if (LanguageAnalyzer::isInitialized() && !replyText.empty()) {
        std::string surfaces;
        m_itemWords = LanguageAnalyzer::instance()->analyze(replyText, surfaces, &m_itemInfo);
    }
    if (!isConversationActGroup(m_source))
        m_wordClass = NO_WORD_CLASS;
}

std::vector<MeanContent> ReplyContext::getActiveItems() const
{
    std::vector<MeanContent> active;
    for (const MeanContent& content : getItemList()) {
        if (content.dcaGate == 1)
            active.push_back(content);
    }
    return active;
}

}  // namespace quibo
