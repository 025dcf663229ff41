#include "tools/KnowledgeReach.h"

#include "analysis/CodeConverter.h"
#include "conversation/Candidate.h"
#include "conversation/ChatSession.h"
#include "conversation/RuleManager.h"
#include "conversation/SessionLog.h"
#include "dialogue/CaFeatures.h"
#include "dialogue/CandidateSelector.h"
#include "dialogue/ChatService.h"
#include "dialogue/DcaHandler.h"
#include "knowledge/AnalyzedSentence.h"
#include "knowledge/CDictionary.h"
#include "knowledge/Entity.h"
#include "knowledge/EntitySet.h"
#include "knowledge/Topic.h"
#include "knowledge/TopicTitle.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

namespace quibo {
namespace {

constexpr std::uint64_t TOPIC_SEARCH = 0x80000;
constexpr std::uint32_t RULE_BITS = 0x3FC;

std::string toUtf8(const std::string& euc)
{
    return CodeConverter(euc).convert(CodeConverter::UTF8, CodeConverter::EUC);
}

std::string quotedText(const std::string& euc) { return "\"" + toUtf8(euc) + "\""; }

// The key forms of the words, joined with "+", or "(none)".
std::string wordsText(const MorphemeList& words)
{
    std::string text;
    for (const Morpheme& word : words.words())
        text += (text.empty() ? "" : "+") + toUtf8(std::string(word.surfaceRef()));
    return text.empty() ? "(none)" : text;
}

std::string hex(std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%x", value);
    return text;
}

const std::string* topicName(const CDictionary& knowledge, const Topic* topic)
{
    for (const auto& named : knowledge.topics())
        if (named.second == topic)
            return &named.first;
    return nullptr;
}

// Who answered the question, in words.
std::string answerOf(const CDictionary& knowledge, const TopicTitle* focus)
{
    const std::string* name = focus ? topicName(knowledge, focus->getOwner()) : nullptr;
    if (!name)
        return "no topic answered";
    return "answered by the topic " + toUtf8(*name) + " (title " + quotedText(focus->sourceText()) + ")";
}

bool reaches(const TopicTitle& asked, const TopicTitle* focus)
{
    return focus && (focus->getOwner() == asked.getOwner() || focus->sourceText() == asked.sourceText());
}

// Why the engine's topic search did not end at the title, from the
// candidate the turn built for the question as a whole.
std::vector<std::string> reasonsFor(CDictionary& knowledge, const TopicTitle& title, Candidate* candidate)
{
    std::vector<std::string> reasons;
    const AnalyzedSentence* sentence = candidate ? candidate->getKnowledge() : nullptr;
    if (!sentence)
        return {"the question was not read as a sentence"};

    // The entities the question's words name and the topic search may use.
    std::vector<Entity*> named;
    for (const Morpheme& word : sentence->words().words()) {
        auto* entity = word.isKnowledgeWord() ? dynamic_cast<Entity*>(word.getKnowledgeObject()) : nullptr;
        if (entity && std::find(named.begin(), named.end(), entity) == named.end())
            named.push_back(entity);
    }
    const Topic* topic = title.getOwner();
    if (topic && !topic->getReplyTable())
        reasons.push_back("the topic has no reply table");
    const bool topicNamed = std::any_of(named.begin(), named.end(), [&](const Entity* entity) {
        return !entity->hasFlag(1) && !entity->hasFlag(4) &&
               std::find(entity->topics().begin(), entity->topics().end(), topic) != entity->topics().end();
    });
    if (!topicNamed) {
        std::string names;
        for (const Entity* entity : named)
            names += (names.empty() ? "" : ", ") + toUtf8(entity->getTitleText());
        reasons.push_back("no word of the question names an entity of the topic (the question names: " +
                          (names.empty() ? std::string("nothing") : names) + ")");
    }

    const auto& values = candidate->dcaValues();
    if (std::find(values.begin(), values.end(), TOPIC_SEARCH) == values.end()) {
        const EntitySet* centres = knowledge.getEntitySet8();
        const bool held = std::any_of(named.begin(), named.end(),
                                      [&](const Entity* entity) { return centres && centres->contains(entity); });
        if (!named.empty() && !held)
            reasons.push_back("no title centre holds the question's entities, so the question does not ask for "
                              "the topic search");
        else
            reasons.push_back("the question's features do not ask for the topic search");
    }

    const MorphemeList xWords = sentence->words().selectWords(3, 1, 0);
    const MorphemeList yWords = sentence->words().selectWords(3, 2, 0);
    const DcaHandler80000 handler(nullptr);
    if (!handler.matchWordSets(xWords, yWords, title.getXWords(), title.getYWords()))
        reasons.push_back("the title's x names " + wordsText(title.getXWords()) + " and its y names " +
                          wordsText(title.getYWords()) + ", but the question reads X=" + wordsText(xWords) +
                          " and Y=" + wordsText(yWords));

    const RuleManager* rules = RuleManager::instance();
    const auto f = static_cast<std::uint32_t>(candidate->ruleFeatureWord());
    const std::uint64_t feature = CandidateSelector::toRuleFeatures(static_cast<std::uint32_t>(title.getDcaBits()));
    const std::uint32_t h = rules ? static_cast<std::uint32_t>(rules->getRuleFlags(feature)) : 0;
    // Only a question with rule features of its own is held to the title's.
    if ((f & RULE_BITS) != 0 && !(f & h & RULE_BITS) && (h & RULE_BITS) != 0)
        reasons.push_back("the rule features disagree: the question's are " + hex(f & RULE_BITS) +
                          ", the title's (dca=" + hex(static_cast<std::uint32_t>(title.getDcaBits())) + ") are " +
                          hex(h & RULE_BITS));
    return reasons;
}

}  // namespace

KnowledgeReach::Report KnowledgeReach::check(ChatService& service)
{
    Report report;
    const std::string probe = "knowledge-reach";
    ChatSession* first = service.openConversation(probe, "");
    CDictionary* knowledge = first ? first->getKnowledge() : nullptr;
    if (!knowledge)
        return report;
    int number = 0;
    for (const auto& named : knowledge->topics()) {
        for (const TopicTitle* title : named.second->titles().titles()) {
            if (!title || !title->isSearchAble() || title->hasCMark() || title->sourceText().empty())
                continue;
            const std::string key = probe + std::to_string(++number);
            ChatSession* session = service.openConversation(key, "");
            if (!session)
                continue;
            service.getReply(key, "", title->sourceText(), "", false);
            ++report.asked;
            const TopicTitle* focus = session->getTurnReply().focus();
            service.closeConversation(key);
            if (reaches(*title, focus)) {
                ++report.reached;
                continue;
            }
            report.misses.push_back({toUtf8(named.first), toUtf8(title->sourceText()), answerOf(*knowledge, focus),
                                     whyNot(service, key + "again", title->sourceText(), *title)});
        }
    }
    service.closeConversation(probe);
    return report;
}

std::vector<std::string> KnowledgeReach::whyNot(ChatService& service, const std::string& key,
                                               const std::string& question, const TopicTitle& title)
{
    // The turn's candidates are gone with its reply: the question's
    // candidates are collected and judged again, as the turn did.
    ChatSession* session = service.openConversation(key, "");
    CDictionary* knowledge = session ? session->getKnowledge() : nullptr;
    if (!knowledge)
        return {};
    TurnRequest& request = session->getRequest();
    request.sentences().insert(question);
    request.setStatus(TurnRequest::PLAIN);
    CaFeatures::collectCandidates(*knowledge, request, {}, nullptr, SessionLogRegistry::get(key, "", "", ""), "",
                                  MorphemeList());
    ChatService::judgeCandidates(*session, 0, 0, false);
    auto& candidates = request.candidates();
    std::vector<std::string> reasons =
        reasonsFor(*knowledge, title, candidates.empty() ? nullptr : &candidates.candidates().front());
    candidates.releaseKnowledgeObjects();
    service.closeConversation(key);
    return reasons;
}

void KnowledgeReach::print(const Report& report, std::ostream& out)
{
    for (const Miss& miss : report.misses) {
        out << "not reached: \"" << miss.title << "\" of the topic " << miss.topic << ": " << miss.answer << "\n";
        for (const std::string& reason : miss.reasons)
            out << "  " << reason << "\n";
    }
    out << "reached " << report.reached << " of " << report.asked << " titles" << std::endl;
}

}  // namespace quibo
