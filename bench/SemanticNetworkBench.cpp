// Load time and query costs of the install tree's semantic network (built
// from the JUMAN dictionary by data/semnet.cmake).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "analysis/FealFile.h"
#include "analysis/SemanticNetwork.h"
#include "analysis/SemanticNetworkFile.h"

namespace {

const char* networkPath()
{
    return QUIBO_INSTALL_TREE "/QUIBO3.1/data/pstorage";
}

// The decipherer's progress dots would flood the report.
struct QuietErrors {
    QuietErrors() { saved = std::freopen("/dev/null", "w", stderr) != nullptr; }
    bool saved;
};

void BM_LoadNetwork(benchmark::State& state)
{
    static QuietErrors quiet;
    for (auto _ : state) {
        quibo::SemanticNetwork network(networkPath());
        benchmark::DoNotOptimize(network.storage());
    }
    quibo::SemanticNetwork network(networkPath());
    const quibo::SemanticNetworkStorage* s = network.storage();
    state.counters["words"] = s->wordCount;
    state.counters["nodes"] = s->nodeCount;
    state.counters["links"] = s->sizeA / 16;
    state.counters["bytes"] = 36.0 + s->sizeA + s->sizeB + s->sizeC + s->sizeD;
}
BENCHMARK(BM_LoadNetwork)->Unit(benchmark::kMillisecond);

// The share of the load that is not deciphering: checking and copying the
// blocks of the plaintext.
void BM_LoadStorageFromPlaintext(benchmark::State& state)
{
    static QuietErrors quiet;
    quibo::FealFile file;
    file.decipherFile(networkPath());
    std::vector<char> plain;
    file.appendTo(plain);
    for (auto _ : state) {
        quibo::SemanticNetworkStorage* s = quibo::loadSemanticNetworkStorage(plain.data(), plain.size(), "bench");
        benchmark::DoNotOptimize(s);
        quibo::freeSemanticNetworkStorage(s);
    }
}
BENCHMARK(BM_LoadStorageFromPlaintext)->Unit(benchmark::kMillisecond);

const quibo::SemanticNetwork& sharedNetwork()
{
    static QuietErrors quiet;
    static const auto network = std::make_unique<quibo::SemanticNetwork>(networkPath());
    return *network;
}

void BM_ListRelations(benchmark::State& state)
{
    const auto& network = sharedNetwork();
    for (auto _ : state) {
        char* text = network.listRelations("犬");
        benchmark::DoNotOptimize(text);
        std::free(text);
    }
}
BENCHMARK(BM_ListRelations);

// Uncached path searches, limit 3: a hit one level up, and an unrelated pair
// that exhausts every level in both directions.
void BM_SearchPathRelated(benchmark::State& state)
{
    const auto& network = sharedNetwork();
    int depth = 0;
    for (auto _ : state) benchmark::DoNotOptimize(network.searchPath("犬", "動物", &depth, 3));
}
BENCHMARK(BM_SearchPathRelated)->Unit(benchmark::kMicrosecond);

void BM_SearchPathUnrelated(benchmark::State& state)
{
    const auto& network = sharedNetwork();
    int depth = 0;
    for (auto _ : state) benchmark::DoNotOptimize(network.searchPath("犬", "政治", &depth, 3));
}
BENCHMARK(BM_SearchPathUnrelated)->Unit(benchmark::kMicrosecond);

void BM_ReachableWordsDown(benchmark::State& state)
{
    const auto& network = sharedNetwork();
    for (auto _ : state) {
        char* text = network.listReachableWords("動物", -1, 0);
        benchmark::DoNotOptimize(text);
        std::free(text);
    }
}
BENCHMARK(BM_ReachableWordsDown)->Unit(benchmark::kMicrosecond);

}  // namespace
