// analysis-throughput: sentences per second of the language analyser beside
// MeCab (libmecab, Debian's JUMAN dictionary) over any corpus of Japanese
// sentences, one a line, UTF-8, in one run on one thread:
//   - full analysis: LanguageAnalyzer::analyze (word records, numeral merge),
//     what corpus-analysis --timing times;
//   - raw analysis: DoskDictionary::analyze (the lattice and its raw words);
//   - MeCab's parseToNode (walking every node) and parse() (the text form).
// The four take turns over the whole corpus and each keeps its best round,
// so that load from other processes disturbs the ratios as little as
// possible.
//
//   analysis-throughput [--rounds N] [--registry FILE] [--mecab-dictionary DIR] CORPUS
#include <mecab.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "analysis/CodeConverter.h"
#include "analysis/ConsoleLine.h"
#include "analysis/InstallPath.h"
#include "analysis/LanguageAnalyzer.h"
#include "bench/BenchSupport.h"

namespace {

using namespace quibo;
using quibo::bench::nowMillis;

struct Sentence {
    std::string utf8;
    std::string euc;
};

std::vector<Sentence> readCorpus(const std::string& path)
{
    std::vector<Sentence> corpus;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos) continue;
        corpus.push_back({line, CodeConverter(line).convert(CodeConverter::EUC, CodeConverter::UTF8)});
    }
    return corpus;
}

// Runs `round` once and keeps the fastest time in `best` (milliseconds).
template <class F>
void timeRound(double& best, F&& round)
{
    const double start = nowMillis();
    round();
    best = std::min(best, nowMillis() - start);
}

}  // namespace

int main(int argc, char** argv)
{
    int rounds = 7;
    std::string registry = QUIBO_INSTALL_TREE "/registry";
    std::string mecabDictionary = "/var/lib/mecab/dic/juman-utf8";
    std::string corpusPath;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--rounds" && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else if (argument == "--registry" && i + 1 < argc)
            registry = argv[++i];
        else if (argument == "--mecab-dictionary" && i + 1 < argc)
            mecabDictionary = argv[++i];
        else if (argument[0] != '-')
            corpusPath = argument;
        else
            corpusPath.clear(), i = argc;
    }
    if (corpusPath.empty()) {
        std::fprintf(stderr, "usage: analysis-throughput [--rounds N] [--registry FILE] "
                             "[--mecab-dictionary DIR] CORPUS\n");
        return 2;
    }
    const std::vector<Sentence> corpus = readCorpus(corpusPath);
    if (corpus.empty()) {
        std::fprintf(stderr, "analysis-throughput: no sentences in %s\n", corpusPath.c_str());
        return 1;
    }

    setConsoleStream(stderr);
    setenv("QUIBO_REGISTRY", registry.c_str(), 1);
    LanguageAnalyzer* analyzer = LanguageAnalyzer::instance();
    if (!analyzer || analyzer->init(installPath() + "juman/win_.jumanrc20", true) != 0) {
        std::fprintf(stderr, "analysis-throughput: the analyser did not initialise from %s\n", registry.c_str());
        return 1;
    }
    const std::string mecabArguments = "-d " + mecabDictionary;
    mecab_t* mecab = mecab_new2(mecabArguments.c_str());
    if (!mecab) {
        std::fprintf(stderr, "analysis-throughput: mecab: %s\n", mecab_strerror(nullptr));
        return 1;
    }

    double full = 1e300, raw = 1e300, toNode = 1e300, parse = 1e300;
    std::size_t sink = 0;
    const DoskDictionary& dictionary = *analyzer->doskDictionary();
    std::vector<RawWord> rawWords;
    std::string text;
    for (int r = 0; r < rounds; ++r) {
        timeRound(full, [&] {
            for (const Sentence& s : corpus) {
                std::string surfaces;
                sink += analyzer->analyze(s.euc, surfaces).size();
            }
        });
        timeRound(raw, [&] {
            for (const Sentence& s : corpus) {
                text = s.euc;
                dictionary.analyze(text, rawWords);
                sink += rawWords.size();
            }
        });
        timeRound(toNode, [&] {
            for (const Sentence& s : corpus)
                for (const mecab_node_t* n = mecab_sparse_tonode(mecab, s.utf8.c_str()); n; n = n->next)
                    sink += n->length;
        });
        timeRound(parse, [&] {
            for (const Sentence& s : corpus) sink += std::strlen(mecab_sparse_tostr(mecab, s.utf8.c_str()));
        });
    }
    mecab_destroy(mecab);
    LanguageAnalyzer::deleteInstance();

    const double n = static_cast<double>(corpus.size());
    auto rate = [n](double ms) { return n / ms * 1e3; };
    std::printf("corpus: %zu sentences from %s; best of %d rounds each (%zu)\n", corpus.size(), corpusPath.c_str(),
                rounds, sink % 2);
    std::printf("full analysis (LanguageAnalyzer::analyze): %.0f sentences/s, %.2fx parseToNode\n", rate(full),
                toNode / full);
    std::printf("raw analysis (DoskDictionary::analyze):    %.0f sentences/s, %.2fx parseToNode\n", rate(raw),
                toNode / raw);
    std::printf("MeCab parseToNode:                          %.0f sentences/s\n", rate(toNode));
    std::printf("MeCab parse():                              %.0f sentences/s\n", rate(parse));
    return 0;
}
