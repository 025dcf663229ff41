// visitor-reach: how well a knowledge base answers its visitors.  For each
// base (by default the bakery's sample base and the online shop's base, as
// the build compiled them into the install tree) it reports the titles its
// own texts reach (kb-compile's reach check), then asks every question of
// the base's visitors' files, each as a first question in a conversation of
// its own, and counts the replies that come from the topic the question
// expects.  Every other reply is counted by its kind: a confirmation (the
// conversation act that repeats the question back), another conversation act
// (a remark, an ask-back, a filler...), another topic of the base, or the
// fallback (the base's 回答不能 topic, or no topic at all).  A question that
// expects 回答不能 asks about nothing the desk handles: the fallback and any
// conversation act answer it right.
//
//   visitor-reach [--misses] [--base NAME KNOWLEDGE VISITORS...]...
//
// A visitors' file (UTF-8) holds one question a line, a TAB, and the name of
// the topic it expects; '#' starts a comment line.  --misses prints every
// question answered wrongly with what answered it.
#include "analysis/CodeConverter.h"
#include "analysis/ConsoleLine.h"
#include "bench/BenchSupport.h"
#include "conversation/ChatSession.h"
#include "dialogue/ChatService.h"
#include "knowledge/CDictionary.h"
#include "knowledge/Topic.h"
#include "knowledge/TopicTitle.h"
#include "tools/KnowledgeReach.h"

#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace quibo;

const std::string ROOT = std::string(QUIBO_INSTALL_TREE) + "/";
const std::string DATA = std::string(QUIBO_SOURCE_DIR) + "/data/";
// The names of the visitors' files are UTF-8 (literals are EUC-JP).
const std::string FALLBACK_TOPIC = reinterpret_cast<const char*>(u8"回答不能");

std::string toEuc(const std::string& utf8)
{
    return CodeConverter(utf8).convert(CodeConverter::EUC, CodeConverter::UTF8);
}

std::string toUtf8(const std::string& euc)
{
    return CodeConverter(euc).convert(CodeConverter::UTF8, CodeConverter::EUC);
}

struct Question {
    std::string text;      // UTF-8
    std::string expected;  // the topic's name, UTF-8
};

std::vector<Question> readVisitors(const std::string& path)
{
    std::vector<Question> questions;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t tab = line.find('\t');
        if (line.empty() || line[0] == '#' || tab == std::string::npos)
            continue;
        questions.push_back({line.substr(0, tab), line.substr(tab + 1)});
    }
    return questions;
}

enum Kind { RIGHT, CONFIRMATION, OTHER_ACT, WRONG_TOPIC, FALLBACK, KINDS };
const char* const KIND_NAMES[KINDS] = {"right", "confirmation", "other act", "wrong topic", "fallback"};

struct Tally {
    int counts[KINDS] = {};
    int asked = 0;
};

// The topic that answered, and whether it is a conversation act (a topic
// of the entity ＣＡ発話, or the ask-back) and which.
struct Answer {
    std::string topic;  // UTF-8, "" for none
    bool act = false;
    bool confirmation = false;
};

Answer answerOf(CDictionary& knowledge, const TopicTitle* focus)
{
    Answer answer;
    const Topic* topic = focus ? focus->getOwner() : nullptr;
    if (!topic)
        return answer;
    for (const auto& named : knowledge.topics())
        if (named.second == topic)
            answer.topic = toUtf8(named.first);
    // A conversation act's title is keyed by the entity ＣＡ発話 (the ask-back
    // by 聞き返し) in its x slot; the act that repeats the question back has
    // 確認ＣＡ in its third slot.
    const MorphemeList xWords = focus->getXWords();
    const MorphemeList aWords = focus->getAWords();
    for (const Morpheme& word : xWords.words()) {
        const std::string key(word.surfaceRef());
        answer.act = answer.act || key == "ＣＡ発話" || key == "聞き返し";
    }
    std::string act;
    for (const Morpheme& word : aWords.words())
        act += std::string(word.surfaceRef());
    answer.confirmation = act == "確認ＣＡ";
    answer.confirmation = answer.confirmation && answer.act;
    return answer;
}

Kind judge(const Answer& answer, const std::string& expected)
{
    const bool fallback = answer.topic.empty() || answer.topic == FALLBACK_TOPIC;
    if (expected == FALLBACK_TOPIC && (fallback || answer.act))
        return RIGHT;
    if (!answer.topic.empty() && answer.topic == expected)
        return RIGHT;
    if (answer.confirmation)
        return CONFIRMATION;
    if (answer.act)
        return OTHER_ACT;
    return fallback ? FALLBACK : WRONG_TOPIC;
}

// Why no title of the expected topic answered, in kb-compile's words.
void explain(ChatService& service, const std::string& key, const Question& question)
{
    // The titles belong to the conversation's copy of the base: it stays
    // open while they are asked about.
    ChatSession* session = service.openConversation(key + "why", "");
    CDictionary* knowledge = session ? session->getKnowledge() : nullptr;
    const auto named = knowledge ? knowledge->topics().find(toEuc(question.expected)) : decltype(knowledge->topics().end())();
    if (knowledge && named != knowledge->topics().end()) {
        int number = 0;
        for (const TopicTitle* title : named->second->titles().titles()) {
            if (!title || !title->isSearchAble())
                continue;
            std::vector<std::string> reasons;
            try {
                bench::quietly([&] {
                    reasons = KnowledgeReach::whyNot(service, key + "whynot" + std::to_string(++number),
                                                     toEuc(question.text), *title);
                });
            } catch (const std::exception& fault) {
                reasons.push_back(std::string("(not judged again: ") + fault.what() + ")");
            }
            std::printf("    title %s:\n", toUtf8(title->sourceText()).c_str());
            for (const std::string& reason : reasons)
                std::printf("      %s\n", reason.c_str());
        }
    }
    service.closeConversation(key + "why");
}

Tally askAll(ChatService& service, const std::vector<Question>& questions, bool misses)
{
    Tally tally;
    int number = 0;
    for (const Question& question : questions) {
        const std::string key = "visitor" + std::to_string(++number);
        ChatSession* session = service.openConversation(key, "");
        if (!session)
            continue;
        std::string reply;
        bench::quietly([&] { reply = service.getReply(key, "", toEuc(question.text), "", false); });
        const Answer answer = answerOf(*session->getKnowledge(), session->getTurnReply().focus());
        service.closeConversation(key);
        const Kind kind = judge(answer, question.expected);
        ++tally.counts[kind];
        ++tally.asked;
        if (misses && kind != RIGHT) {
            std::printf("  miss (%s): %s -> %s (expected %s)\n", KIND_NAMES[kind], question.text.c_str(),
                        answer.topic.empty() ? "no topic" : answer.topic.c_str(), question.expected.c_str());
            explain(service, key, question);
        }
    }
    return tally;
}

void print(const std::string& file, const Tally& tally)
{
    const double share = tally.asked ? 100.0 * tally.counts[RIGHT] / tally.asked : 0.0;
    std::printf("  %s: %d of %d right (%.1f%%)", file.c_str(), tally.counts[RIGHT], tally.asked, share);
    for (int kind = CONFIRMATION; kind < KINDS; ++kind)
        std::printf(", %s %d", KIND_NAMES[kind], tally.counts[kind]);
    std::printf("\n");
}

struct Base {
    std::string name;
    std::string knowledge;
    std::vector<std::string> visitors;
};

void measure(const Base& base, bool misses)
{
    std::printf("%s (%s)\n", base.name.c_str(), base.knowledge.c_str());
    ChatService* service = nullptr;
    bench::quietly([&] { service = new ChatService("", 1, base.knowledge, ROOT + "juman/rc", "", "", 1); });
    KnowledgeReach::Report reach;
    bench::quietly([&] { reach = KnowledgeReach::check(*service); });
    std::printf("  titles reached word for word: %d of %d\n", reach.reached, reach.asked);
    if (misses)
        for (const KnowledgeReach::Miss& miss : reach.misses)
            std::printf("  title not reached: %s (%s): %s\n", miss.title.c_str(), miss.topic.c_str(),
                        miss.answer.c_str());
    for (const std::string& file : base.visitors) {
        const std::vector<Question> questions = readVisitors(file);
        if (questions.empty()) {
            std::printf("  %s: no questions\n", file.c_str());
            continue;
        }
        const std::size_t slash = file.find_last_of('/');
        print(slash == std::string::npos ? file : file.substr(slash + 1), askAll(*service, questions, misses));
    }
    bench::quietly([&] { delete service; });
}

}  // namespace

int main(int argc, char** argv)
{
    bool misses = false;
    std::vector<Base> bases;
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        if (arg == "--misses") {
            misses = true;
        } else if (arg == "--base" && k + 2 < argc) {
            Base base{argv[k + 1], argv[k + 2], {}};
            k += 2;
            while (k + 1 < argc && std::string(argv[k + 1]).rfind("--", 0) != 0)
                base.visitors.push_back(argv[++k]);
            bases.push_back(base);
        } else {
            std::cerr << "usage: visitor-reach [--misses] [--base NAME KNOWLEDGE VISITORS...]..." << std::endl;
            return 2;
        }
    }
    if (bases.empty()) {
        bases.push_back({"bakery", ROOT + "QUIBO3.1/knowledge/sample/index.pdata", {DATA + "sample_visitors.txt", DATA + "sample_visitors_more.txt"}});
        bases.push_back({"online shop",
                         ROOT + "QUIBO3.1/knowledge/shop/index.pdata",
                         {DATA + "shop_visitors.txt", DATA + "shop_visitors_more.txt"}});
    }
    setenv("QUIBO_REGISTRY", (ROOT + "registry").c_str(), 1);
    setConsoleStream(stderr);
    setConsoleErrorStream(stderr);
    for (const Base& base : bases)
        measure(base, misses);
    return 0;
}
