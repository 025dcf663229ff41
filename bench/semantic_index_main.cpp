// semantic-index: time of CDictionary::semanticIndex (judgement, synonym
// groups, number synonyms, term variants, completion) for typical questions,
// over the sample knowledge file of the build's install tree and over any
// further knowledge files named on the command line (such as the 10,000-topic
// base that `knowledge-load --keep FILE` writes).  The question is analysed
// once; each round indexes its word list again.
//
//   semantic-index [FILE...]
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "analysis/LanguageAnalyzer.h"
#include "bench/BenchSupport.h"
#include "knowledge/CDictionary.h"
#include "knowledge/KnowledgeFile.h"

namespace {

using quibo::bench::nowMillis;
using quibo::bench::quietly;

using namespace quibo;


void report(const std::string& name, const std::string& path, const std::vector<std::string>& questions)
{
    CDictionary dictionary;
    int loaded = -1;
    quietly([&] { loaded = loadKnowledgeFile(dictionary, path); });
    if (loaded != 0) {
        std::fprintf(stderr, "semantic-index: %s does not load\n", path.c_str());
        return;
    }
    constexpr int rounds = 2000;
    for (const std::string& question : questions) {
        std::string surfaces;
        const MorphemeList words = LanguageAnalyzer::instance()->analyze(question, surfaces);
        std::size_t sentences = 0;
        std::size_t entities = 0;
        double first = 0;
        double total = 0;
        quietly([&] {
            const double start = nowMillis();
            const AnalyzedSentenceList found = dictionary.semanticIndex(question, {words}, {-1}, 0);
            sentences = found.size();
            entities = found.empty() ? 0 : found.front()->extra().size();
            first = nowMillis() - start;
            const double steady = nowMillis();
            for (int round = 0; round < rounds; ++round)
                dictionary.semanticIndex(question, {words}, {-1}, 0);
            total = nowMillis() - steady;
        });
        std::printf("%s: %zu words, %zu sentences (the first with %zu entities), first %.3f ms, then %.1f us (mean of %d)\n", name.c_str(),
                    words.size(), sentences, entities, first, total * 1000 / rounds, rounds);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string root = std::string(QUIBO_INSTALL_TREE) + "/";
    setenv("QUIBO_REGISTRY", (root + "registry").c_str(), 0);
    int started = -1;
    quietly([&] { started = LanguageAnalyzer::instance()->init(root + "juman/rc", true); });
    if (started != 0) {
        std::fprintf(stderr, "semantic-index: the analyser does not start (%d)\n", started);
        return 1;
    }
    report("sample", root + "QUIBO3.1/knowledge/sample/index.pdata",
           {"営業時間を教えてください", "パンのねだんを教えてください"});
    for (int k = 1; k < argc; ++k)
        report(argv[k], argv[k], {"商品12の値段を教えてください", "商品12のねだんを教えて"});
    LanguageAnalyzer::deleteInstance();
    return 0;
}
