// corpus-analysis: initialises the language analyser from an install tree
// (found through its registry file, as the engine finds it) and analyses a
// file of Japanese sentences, one a line, UTF-8.  For each sentence it prints
// the sentence, a TAB and its words in the debug form (surface, key form,
// POS name, reading, conjugation names, flags), UTF-8.
//
//   corpus-analysis [--meaning] [--timing] [--repeat N] [--registry FILE] [FILE]
//
//   FILE        the sentences (default: the bundled sample data/corpus_sample.txt)
//   --registry  the registry file naming the install tree (default: the
//               build's own, build/install/registry)
//   --meaning   also print each sentence's meaning judgement
//   --timing    print only timing: the start-up time (all four resources)
//               and the analysis time per sentence, over N rounds of the
//               file (--repeat, default 100); with --meaning the time
//               includes the judgement; the analyser's console lines
//               then go to standard error
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "analysis/CodeConverter.h"
#include "analysis/ConsoleLine.h"
#include "analysis/InstallPath.h"
#include "analysis/LanguageAnalyzer.h"
#include "meaning/MeanEntry.h"

namespace {

using namespace quibo;

constexpr int WORD_FORM = Morpheme::DUMP_SURFACE | Morpheme::DUMP_KEY_FORM | Morpheme::DUMP_POS_NAME |
                          Morpheme::DUMP_READING | Morpheme::DUMP_CONJUGATION_TYPE |
                          Morpheme::DUMP_CONJUGATION_FORM | Morpheme::DUMP_FLAGS;

struct Options {
    std::string corpus = QUIBO_SOURCE_DIR "/data/corpus_sample.txt";
    std::string registry = QUIBO_INSTALL_TREE "/registry";
    bool meaning = false;
    bool timing = false;
    long repeat = 100;
};

double millisecondsNow()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

void usage()
{
    std::fprintf(stderr,
                 "usage: corpus-analysis [--meaning] [--timing] [--repeat N] [--registry FILE] [FILE]\n");
}

bool parseArguments(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--meaning") {
            options.meaning = true;
        } else if (argument == "--timing") {
            options.timing = true;
        } else if (argument == "--repeat" && i + 1 < argc) {
            char* end = nullptr;
            options.repeat = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || options.repeat < 1) {
                return false;
            }
        } else if (argument == "--registry" && i + 1 < argc) {
            options.registry = argv[++i];
        } else if (!argument.empty() && argument[0] != '-') {
            options.corpus = argument;
        } else {
            return false;
        }
    }
    return true;
}

// The sentences of the file in engine text; blank lines are skipped.
bool readSentences(const std::string& path, std::vector<std::string>& sentences)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.find_first_not_of(" \t") == std::string::npos) {
            continue;
        }
        sentences.push_back(CodeConverter(line).convert(CodeConverter::EUC, CodeConverter::UTF8));
    }
    return true;
}

void printAnalyses(LanguageAnalyzer& analyzer, const std::vector<std::string>& sentences, bool meaning)
{
    for (const std::string& sentence : sentences) {
        MeanEntry entry;
        std::string surfaces;
        const MorphemeList words = analyzer.analyze(sentence, surfaces, &entry);
        std::string line = words.dump(sentence, WORD_FORM);
        if (!line.empty() && line.back() == '\n') {
            line.pop_back();
        }
        writeConsoleLine(line);
        if (meaning) {
            entry.dump("  meaning");
        }
    }
}

void printTiming(LanguageAnalyzer& analyzer, const std::vector<std::string>& sentences, long repeat,
                 double startupMs, bool meaning)
{
    std::size_t words = 0;
    const double start = millisecondsNow();
    for (long round = 0; round < repeat; ++round) {
        for (const std::string& sentence : sentences) {
            MeanEntry entry;
            std::string surfaces;
            words += analyzer.analyze(sentence, surfaces, meaning ? &entry : nullptr).size();
        }
    }
    const double elapsed = millisecondsNow() - start;
    const double analyses = static_cast<double>(sentences.size()) * static_cast<double>(repeat);
    std::printf("start-up (dictionary, network, meaning rules, number synonyms): %.1f ms\n", startupMs);
    std::printf("%zu sentences x %ld rounds: %.1f ms, %.1f us per sentence, %.2f words per sentence\n",
                sentences.size(), repeat, elapsed, analyses > 0 ? elapsed * 1e3 / analyses : 0.0,
                analyses > 0 ? static_cast<double>(words) / analyses : 0.0);
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parseArguments(argc, argv, options)) {
        usage();
        return 2;
    }
    std::vector<std::string> sentences;
    if (!readSentences(options.corpus, sentences)) {
        std::fprintf(stderr, "corpus-analysis: cannot read %s\n", options.corpus.c_str());
        return 1;
    }
    if (options.timing)
        setConsoleStream(stderr);
    setenv("QUIBO_REGISTRY", options.registry.c_str(), 1);
    const std::string installDirectory = installPath();
    if (installDirectory.empty()) {
        std::fprintf(stderr, "corpus-analysis: no INSTALLPATH in %s\n", options.registry.c_str());
        return 1;
    }

    const double start = millisecondsNow();
    LanguageAnalyzer* analyzer = LanguageAnalyzer::instance();
    // The control hands the analyser a file in the install's "juman" folder;
    // only that folder counts, the dictionary lies beside it.
    const int result = analyzer ? analyzer->init(installDirectory + "juman/win_.jumanrc20", true) : -5;
    const double startupMs = millisecondsNow() - start;
    if (result != 0) {
        std::fprintf(stderr, "corpus-analysis: the analyser did not initialise from %s (%d)\n",
                     installDirectory.c_str(), result);
        LanguageAnalyzer::deleteInstance();
        return 1;
    }

    if (options.timing) {
        printTiming(*analyzer, sentences, options.repeat, startupMs, options.meaning);
    } else {
        printAnalyses(*analyzer, sentences, options.meaning);
    }
    LanguageAnalyzer::deleteInstance();
    return 0;
}
