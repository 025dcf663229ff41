// The cost of one utterance against a large knowledge base: building the
// utterance title of a visitor's question (analysis with judgement, term
// recognition, the title) and grading it against every topic title of the
// generated 10,000-topic base.  The base is the one knowledge-load writes
// (a shop of 1,000 products, ten questions each); it is made with
// `knowledge-load --keep` beside this program when the file is missing.
//
//   QUIBO_KNOWLEDGE_FILE=path TopicTitleGradingBench
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "analysis/LanguageAnalyzer.h"
#include "knowledge/CDictionary.h"
#include "knowledge/KnowledgeFile.h"
#include "knowledge/Topic.h"
#include "knowledge/TopicTitle.h"
#include "meaning/MeanEntry.h"

namespace {

using namespace quibo;

std::string ownFolder()
{
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return ".";
    const std::string self(path, static_cast<std::size_t>(length));
    return self.substr(0, self.rfind('/'));
}

// The analyser and the loaded base, shared by the benchmarks.
struct Base {
    std::unique_ptr<CDictionary> dictionary;
    std::vector<TopicTitle*> titles;
    std::string error;

    Base()
    {
        const std::string root = std::string(QUIBO_INSTALL_TREE) + "/";
        setenv("QUIBO_REGISTRY", (root + "registry").c_str(), 0);
        const char* given = std::getenv("QUIBO_KNOWLEDGE_FILE");
        const std::string path = given ? given : "/tmp/quibo-title-grading.pdata";
        if (access(path.c_str(), R_OK) != 0) {
            const std::string make = ownFolder() + "/knowledge-load --keep " + path + " > /dev/null";
            if (std::system(make.c_str()) != 0) {
                error = "cannot make " + path + " with knowledge-load";
                return;
            }
        }
        std::fflush(stdout);
        const int saved = dup(1);
        if (std::freopen("/dev/null", "w", stdout) == nullptr) {
            error = "cannot silence the console";
            return;
        }
        const int started = LanguageAnalyzer::instance()->init(root + "juman/rc", true);
        dictionary = std::make_unique<CDictionary>();
        const int loaded = started == 0 ? loadKnowledgeFile(*dictionary, path) : -1;
        std::fflush(stdout);
        dup2(saved, 1);
        close(saved);
        if (started != 0 || loaded != 0) {
            error = "the analyser or " + path + " does not load";
            return;
        }
        for (const auto& entry : dictionary->topics())
            for (TopicTitle* title : entry.second->titles().titles())
                if (title)
                    titles.push_back(title);
    }
};

Base& base()
{
    static Base shared;
    return shared;
}

const std::string& question()
{
    static const std::string text = "商品１２３の値段を教えて";  // EUC-JP, as engine text is
    return text;
}

// Analysis, term recognition and the utterance title, in the work topic.
TopicTitle* buildTitle(Topic& work, MeanEntry& judgement)
{
    std::string surfaces;
    std::vector<TermSpan> spans;
    const MorphemeList words =
        base().dictionary->mergeTerms(LanguageAnalyzer::instance()->analyze(question(), surfaces, &judgement), spans);
    std::string message;
    return work.buildUtteranceTitle(question(), message, words, *base().dictionary, &judgement);
}

void BM_BuildUtteranceTitle(benchmark::State& state)
{
    if (!base().error.empty()) {
        state.SkipWithError(base().error.c_str());
        return;
    }
    Topic work;
    for (auto _ : state) {
        MeanEntry judgement;
        TopicTitle* title = buildTitle(work, judgement);
        benchmark::DoNotOptimize(title);
        work.removeTitle(title);
    }
}
BENCHMARK(BM_BuildUtteranceTitle)->Unit(benchmark::kMicrosecond);

void BM_GradeAgainstEveryTitle(benchmark::State& state)
{
    if (!base().error.empty()) {
        state.SkipWithError(base().error.c_str());
        return;
    }
    Topic work;
    MeanEntry judgement;
    const TopicTitle* title = buildTitle(work, judgement);
    for (auto _ : state) {
        std::uint64_t any = 0;
        for (const TopicTitle* known : base().titles)
            any |= known->gradeMatch(title->getWords(), &judgement);
        benchmark::DoNotOptimize(any);
    }
    state.counters["titles"] = static_cast<double>(base().titles.size());
}
BENCHMARK(BM_GradeAgainstEveryTitle)->Unit(benchmark::kMillisecond);

void BM_BuildAndGradeEveryTitle(benchmark::State& state)
{
    if (!base().error.empty()) {
        state.SkipWithError(base().error.c_str());
        return;
    }
    Topic work;
    for (auto _ : state) {
        MeanEntry judgement;
        TopicTitle* title = buildTitle(work, judgement);
        std::uint64_t any = 0;
        for (const TopicTitle* known : base().titles)
            any |= known->gradeMatch(title->getWords(), &judgement);
        benchmark::DoNotOptimize(any);
        work.removeTitle(title);
    }
    state.counters["titles"] = static_cast<double>(base().titles.size());
}
BENCHMARK(BM_BuildAndGradeEveryTitle)->Unit(benchmark::kMillisecond);

}  // namespace
