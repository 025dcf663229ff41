// reply-time: how long the engine takes from a question to its reply,
// through the engine's C facade as the control calls it (chatAsk), in one
// conversation: over the sample knowledge base with a visitor's questions,
// and over a generated, connected base of 10,000 topics (the answering shop
// of GeneratedKnowledge.h) with questions about its products.  Prints the
// median and the 99th percentile per reply.
//
//   reply-time [--rounds N] [--topics N]
#include "Orvane/ChatFacade.h"
#include "analysis/CodeConverter.h"
#include "analysis/LanguageAnalyzer.h"
#include "bench/BenchSupport.h"
#include "bench/GeneratedKnowledge.h"
#include "knowledge/CDictionary.h"
#include "knowledge/KnowledgeFile.h"
#include "tools/KnowledgeCompiler.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace quibo;
using quibo::bench::nowMillis;
using quibo::bench::quietly;

const std::string ROOT = std::string(QUIBO_INSTALL_TREE) + "/";

// Questions are written in EUC-JP (the engine's literals); the facade takes
// Shift_JIS.
std::string sjis(const std::string& euc)
{
    std::string out;
    return CodeConverter().convertText(out, euc, CodeConverter::SJIS);
}

struct Timing {
    std::vector<double> millis;  // per reply, sorted
    std::size_t answered = 0;    // replies with a text
};

// Asks every question `rounds` times in one conversation.
Timing timeReplies(const std::string& file, const std::vector<std::string>& questions, int rounds)
{
    const std::string key = "bench:;" + file;
    std::vector<std::string> asked;
    for (const std::string& question : questions)
        asked.push_back(sjis(question));
    Timing timing;
    quietly([&] {
        chatOpen(key.c_str(), file.c_str(), (ROOT + "juman/win_.jumanrc20").c_str(), "", "127.0.0.1", 1);
        std::string reply;
        chatGreeting(key.c_str(), reply);
        for (int round = 0; round < rounds; ++round) {
            for (const std::string& question : asked) {
                const double start = nowMillis();
                chatAsk(key.c_str(), question.c_str(), reply, 0);
                timing.millis.push_back(nowMillis() - start);
                timing.answered += reply.find(';') != 0 ? 1 : 0;
            }
        }
        chatClose(key.c_str());
    });
    std::sort(timing.millis.begin(), timing.millis.end());
    return timing;
}

void report(const char* name, const Timing& timing)
{
    const std::vector<double>& times = timing.millis;
    if (times.empty()) {
        std::printf("%s: no replies\n", name);
        return;
    }
    const double median = times[times.size() / 2];
    const double p99 = times[std::min(times.size() - 1, times.size() * 99 / 100)];
    std::printf("%s: %zu replies (%zu with a text), median %.3f ms, 99th percentile %.3f ms, slowest %.3f ms\n",
                name, times.size(), timing.answered, median, p99, times.back());
}

std::vector<std::string> productQuestions(int topics)
{
    std::vector<std::string> questions;
    for (int k = 0; k < 25; ++k) {
        const int a = (k * 7919) % topics;
        questions.push_back("商品" + std::to_string(a) + "と商品" + std::to_string(a + 1) + "の違いを教えて");
        questions.push_back("商品" + std::to_string(a) + "の値段は？");
    }
    questions.push_back("明日の天気はどうですか");
    return questions;
}

}  // namespace

int main(int argc, char** argv)
{
    int rounds = 50;
    int topics = 10000;
    for (int k = 1; k + 1 < argc; k += 2) {
        const std::string arg = argv[k];
        if (arg == "--rounds")
            rounds = std::max(1, std::atoi(argv[k + 1]));
        else if (arg == "--topics")
            topics = std::max(1, std::atoi(argv[k + 1]));
    }
    setenv("QUIBO_REGISTRY", (ROOT + "registry").c_str(), 0);
    // The engine's console lines would interleave with the figures.
    if (std::freopen("/dev/null", "w", stderr) == nullptr)
        return 1;

    const std::vector<std::string> visitor = {
        "営業時間を教えてください",
        "土日は？",
        "定休日はいつですか",
        "お店の場所を教えて",
        "駐車場はありますか",
        "食パンはいくらですか",
        "パンを予約したい",
        "カードは使えますか",
        "今日は何日？",
        "明日の天気はどうですか",
    };
    report("sample", timeReplies(ROOT + "QUIBO3.1/knowledge/sample/index.pdata", visitor, rounds));

    // The generated base is compiled with the real analyser, which the
    // conversation's service then keeps using.
    int started = -1;
    quietly([&] { started = LanguageAnalyzer::instance()->init(ROOT + "juman/rc", true); });
    if (started != 0) {
        std::printf("reply-time: the analyser does not start (%d)\n", started);
        return 1;
    }
    const std::string path = "/tmp/quibo-reply-time-" + std::to_string(topics) + ".pdata";
    int saved = -1;
    quietly([&] {
        try {
            const std::unique_ptr<CDictionary> generated =
                KnowledgeCompiler(KnowledgeCompiler::languageAnalyzer()).compile(bench::connectedSource(topics, true));
            saved = saveKnowledgeFile(*generated, path);
        } catch (const std::exception&) {
        }
    });
    if (saved != 0) {
        std::printf("reply-time: the generated base does not compile\n");
        return 1;
    }
    const std::string name = std::to_string(topics) + " topics";
    report(name.c_str(), timeReplies(path, productQuestions(topics), std::max(1, rounds / 5)));
    std::remove(path.c_str());
    return 0;
}
