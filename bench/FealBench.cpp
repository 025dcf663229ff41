// Deciphering speed of FEAL-8 (bytes per second): one block at a time, in
// batches, and a whole enciphered file image through `FealFile`, the size of
// the install tree's semantic network.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

#include "analysis/FealCipher.h"
#include "analysis/FealFile.h"

namespace {

using quibo::FealCipher;

constexpr std::size_t NETWORK_BYTES = 7 << 20;

std::vector<std::uint8_t> pattern(std::size_t bytes)
{
    std::vector<std::uint8_t> data(bytes);
    for (std::size_t i = 0; i < bytes; ++i) data[i] = static_cast<std::uint8_t>(i * 131 + 7);
    return data;
}

void BM_DecipherBlockByBlock(benchmark::State& state)
{
    const FealCipher cipher(quibo::FEAL_PROJECT_KEY, FealCipher::Direction::Decipher);
    std::vector<std::uint8_t> data = pattern(1 << 20);
    for (auto _ : state) {
        for (std::size_t at = 0; at < data.size(); at += 8) cipher.processBlock(data.data() + at);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_DecipherBlockByBlock);

void BM_DecipherBatches(benchmark::State& state)
{
    const FealCipher cipher(quibo::FEAL_PROJECT_KEY, FealCipher::Direction::Decipher);
    std::vector<std::uint8_t> data = pattern(1 << 20);
    for (auto _ : state) {
        cipher.processBlocks(data.data(), data.size() / 8);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_DecipherBatches);

// The whole file path: copy, chunks, progress dots (silenced).
void BM_DecipherFileImage(benchmark::State& state)
{
    std::vector<std::uint8_t> image = pattern(4 + NETWORK_BYTES);
    const std::uint32_t n = NETWORK_BYTES;
    for (int i = 0; i < 4; ++i) image[i] = static_cast<std::uint8_t>(n >> (8 * i));
    static const bool quiet = std::freopen("/dev/null", "w", stderr) != nullptr;
    benchmark::DoNotOptimize(quiet);
    for (auto _ : state) {
        quibo::FealFile file;
        file.decipherBuffer(image.data(), image.size());
        benchmark::DoNotOptimize(file.plainLength());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * NETWORK_BYTES));
}
BENCHMARK(BM_DecipherFileImage)->Unit(benchmark::kMillisecond);

}  // namespace
