// phrase-structure: time and heap of reading sentences as phrases over the
// build's install tree (the analyser, the network built from the JUMAN
// dictionary), for a short question, sentences of about 50 and 60 words,
// and sentences packed with expressions the network knows.
//
// For each sentence: the full result of one structure (cold: empty phrase
// cache; warm: the cache filled), and the readings candidate building asks
// for (at most 30).  Heap is the peak of bytes allocated through operator
// new during the call, above what was allocated before it.
//
//   phrase-structure
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "analysis/LanguageAnalyzer.h"
#include "bench/BenchSupport.h"
#include "knowledge/CDictionary.h"

namespace {

std::size_t g_live = 0;
std::size_t g_peak = 0;

}  // namespace

// Sized bookkeeping: every block carries its size in front.
void* operator new(std::size_t size)
{
    auto* block = static_cast<std::size_t*>(std::malloc(size + sizeof(std::max_align_t)));
    if (!block)
        throw std::bad_alloc();
    *block = size;
    g_live += size;
    if (g_live > g_peak)
        g_peak = g_live;
    return reinterpret_cast<char*>(block) + sizeof(std::max_align_t);
}

void operator delete(void* pointer) noexcept
{
    if (!pointer)
        return;
    auto* block = reinterpret_cast<std::size_t*>(static_cast<char*>(pointer) - sizeof(std::max_align_t));
    g_live -= *block;
    std::free(block);
}

void operator delete(void* pointer, std::size_t) noexcept { operator delete(pointer); }

namespace {

using namespace quibo;
using quibo::bench::nowMillis;
using quibo::bench::quietly;

struct Measure {
    double millis = 0;
    std::size_t peakBytes = 0;
    std::size_t lists = 0;
};

template <class F>
Measure measure(F&& work)
{
    Measure result;
    quietly([&] {
        const std::size_t base = g_live;
        g_peak = g_live;
        const double start = nowMillis();
        result.lists = work();
        result.millis = nowMillis() - start;
        result.peakBytes = g_peak - base;
    });
    return result;
}

// With `whole` clear the full structure is not read: its result grows as
// 2^k for k expressions in one segment.
void report(const char* name, const std::string& text, bool whole = true)
{
    std::string surfaces;
    const MorphemeList words = LanguageAnalyzer::instance()->analyze(text, surfaces);
    CDictionary dictionary;
    Measure cold;
    Measure warm;
    if (whole) {
        cold = measure([&] { return words.buildPhraseStructure(dictionary, 0, 1).size(); });
        warm = measure([&] { return words.buildPhraseStructure(dictionary, 0, 1).size(); });
    }
    CDictionary fresh;
    const Measure readings =
        measure([&] { return phraseStructureReadings(words, fresh, CANDIDATE_LIMIT).size(); });
    std::printf("%-22s %3zu words | structure: %6zu lists, cold %8.2f ms %9.1f KB, warm %8.2f ms | "
                "readings: %2zu lists, %8.2f ms %9.1f KB\n",
                name, words.size(), cold.lists, cold.millis, cold.peakBytes / 1024.0, warm.millis,
                readings.lists, readings.millis, readings.peakBytes / 1024.0);
}

std::string repeated(const std::string& piece, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

}  // namespace

int main()
{
    const std::string root = std::string(QUIBO_INSTALL_TREE) + "/";
    setenv("QUIBO_REGISTRY", (root + "registry").c_str(), 0);
    int started = -1;
    quietly([&] { started = LanguageAnalyzer::instance()->init(root + "juman/rc", true); });
    if (started != 0) {
        std::fprintf(stderr, "phrase-structure: the analyser does not start (%d)\n", started);
        return 1;
    }
    const std::string longText =
        "駅前の小売店で玉ネギとゴミ箱を買ってから、朝日新聞の記事を読み、生年月日と住所を書いて、"
        "近くの図書館で光合成の本を借りたあと、友達と雪合戦をして遊び、夕方には家に帰って晩ご飯を食べました";
    report("short question", "ゴミ箱はどこですか");
    report("about 50 words", longText.substr(0, longText.find("夕方")));
    report("about 60 words", longText);
    report("38 words, 13 phrases", repeated("ゴミ箱と玉ネギと", 6) + "ムシ歯");
    report("50 words, 17 phrases", repeated("ゴミ箱と玉ネギと", 8) + "ムシ歯", false);
    LanguageAnalyzer::deleteInstance();
    return 0;
}
