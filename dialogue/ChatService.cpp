#include "dialogue/ChatService.h"

#include "analysis/EucString.h"
#include "analysis/LanguageAnalyzer.h"
#include "conversation/SessionLog.h"
#include "knowledge/CDictionary.h"
#include "knowledge/Entity.h"
#include "knowledge/TopicTitle.h"
#include "platform/Clock.h"
#include "platform/Random.h"

namespace quibo {
namespace {

constexpr int NEWEST = -1;
constexpr char SENTENCE_SEPARATOR = 0x01;
constexpr int GREETING_FORM = 'd';

}  // namespace

ChatService::ChatService(const std::string& baseDirectory, std::int32_t maximum, const std::string& defaultKnowledge,
                         const std::string& analyzerPath, const std::string& creationText,
                         const std::string& greetingTrigger, int analyzerFlag)
    : m_defaultKnowledge(defaultKnowledge),
      m_greetingTrigger(greetingTrigger),
      m_manager(baseDirectory, maximum, defaultKnowledge)
{
    const std::int64_t millis = platform::clock().wallMillis();
    platform::random().seed(static_cast<unsigned>(millis / 1000));
    LanguageAnalyzer* analyzer = LanguageAnalyzer::instance();
    if (!analyzer)
        m_status = NO_ANALYZER;
    else if (LanguageAnalyzer::isInitialized())
        m_status = 0;
    else
        m_status = analyzer->init(analyzerPath, analyzerFlag != 0);
    m_creationText = creationText;
}

ChatService::~ChatService()
{
    SessionLogRegistry::destroy();
    LanguageAnalyzer::deleteInstance();
}

ChatSession* ChatService::openConversation(const std::string& key, const std::string& knowledgeName)
{
    if (ChatSession* session = m_manager.find(key))
        return session;
    return m_manager.open(key, knowledgeName);
}

bool ChatService::isOpen(const std::string& key, const std::string& knowledgeName)
{
    return openConversation(key, knowledgeName) != nullptr;
}

void ChatService::closeConversation(const std::string& key)
{
    SessionLogRegistry::remove(key);
    m_manager.close(key);
}

bool ChatService::runUtterance(const std::string& key, const std::string& knowledgeName,
                               const std::string& utterance, bool preAnalysed)
{
    ChatSession* session = openConversation(key, knowledgeName);
    if (!session)
        return false;
    TurnRequest& request = session->getRequest();
    request.reset();
    session->getTurnReply().rollOver();
    if (preAnalysed) {
        request.analysedSentences() = parseMorphemeText(utterance);
        request.setStatus(TurnRequest::PRE_ANALYSED);
    } else {
        for (const std::string& piece : tokenize(utterance, ";"))
            request.sentences().insert(piece);
        request.setStatus(TurnRequest::PLAIN);
    }
    return true;
}

std::string ChatService::composeReply(const std::string& key)
{
    ChatSession* session = m_manager.find(key);
    if (!session)
        return ";;";
    const TurnRequest& request = session->getRequest();
    const TurnReply& reply = session->getTurnReply();
    const bool answered = !request.candidates().empty();
    if (request.status() == TurnRequest::PRE_ANALYSED) {
        if (!answered)
            return std::string(2, SENTENCE_SEPARATOR);
        const ReplyContext* context = session->getReplyState().getReplyContext();
        const std::string sentence = context ? request.sentenceSurface(context->getSentenceIndex()) : std::string();
        return reply.getReplyText() + SENTENCE_SEPARATOR + sentence + SENTENCE_SEPARATOR + reply.getExtensionText();
    }
    if (!answered)
        return ";;";
    return reply.getReplyText() + ";" + reply.getExtensionText() + ";";
}

std::string ChatService::getReply(const std::string& key, const std::string& knowledgeName,
                                  const std::string& utterance, const std::string& peerAddress, bool preAnalysed)
{
    SessionLog* log = SessionLogRegistry::get(key, m_defaultKnowledge, m_logText, peerAddress);
    log->addUtterance(utterance);
    log->startProcTime(NEWEST);
    if (!runUtterance(key, knowledgeName, utterance, preAnalysed)) {
        if (preAnalysed)
            return std::string(PRE_ANALYSED_FAILURE);
        return std::string(BUSY_ERROR) + ";;";
    }
    std::string reply;
    if (!replyGreetingIfTrigger(key, utterance, reply)) {
        processTurn(key, *m_manager.find(key));
        reply = composeReply(key);
    }
    log->getElapsed(NEWEST);
    return reply;
}

int ChatService::getGreeting(const std::string& key, std::string& out)
{
    out = ";;";
    std::string extension;
    if (CDictionary* knowledge = m_manager.knowledgeOf(key)) {
        const Entity* entity = knowledge->findEntity("ＣＡ発話", false);
        if (!entity)
            return 1;
        const TopicTitle* title = entity->findTopicTitle("ＣＡ発話", "呼びかけ", "＊");
        if (!title)
            return 1;
        const std::vector<ReplyEntry> entries = title->getReplyGroup(GREETING_FORM, 1).entries();
        if (entries.empty())
            return 1;
        const ReplyEntry& entry = entries[platform::random().next() % entries.size()];
        out = entry.label() ? *entry.label() : std::string();
        extension = entry.joinNames();
    } else {
        out = m_manager.isFull() ? FULL_GREETING_ERROR : INIT_GREETING_ERROR;
    }
    out += ";" + extension + ";";
    return 0;
}

bool ChatService::replyGreetingIfTrigger(const std::string& key, const std::string& utterance, std::string& out)
{
    if (!isGreetingTrigger(utterance))
        return false;
    out.clear();
    getGreeting(key, out);
    return true;
}

bool ChatService::isGreetingTrigger(const std::string& utterance) const
{
    std::string text = utterance;
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text == m_greetingTrigger;
}

void ChatService::start(const std::string& key, const std::string& knowledgeName, const std::string& id,
                        std::int32_t& first, std::int32_t& second, std::vector<std::int32_t>& list)
{
    first = 0;
    second = 0;
    list.clear();
    ChatSession* session = openConversation(key, knowledgeName);
    if (!session || !session->getKnowledge())
        return;
    TopicTitle* title = nullptr;
    int index = 0;
    std::vector<TopicTitle*> titles;
    session->getKnowledge()->resolveId(id, title, index, titles);
    first = session->startTitleHandle(title);
    second = index;
    for (TopicTitle* listed : titles)
        list.push_back(session->startTitleHandle(listed));
}

int ChatService::fetch(const std::string& key, const std::string& knowledgeName, std::int32_t first,
                       std::int32_t second, std::string& out)
{
    // A number from the page that names none of the titles this
    // conversation handed out asks for nothing: the conversation stays as
    // it was.
    ChatSession* session = openConversation(key, knowledgeName);
    TopicTitle* title = session ? session->startTitle(first) : nullptr;
    if (!title) {
        out.clear();
        return 0;
    }
    runUtterance(key, knowledgeName, "", false);
    return fetchTurn(key, *session, title, second, out);
}

}  // namespace quibo
