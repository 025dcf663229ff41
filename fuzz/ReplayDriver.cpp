// Runs a fuzz target without libFuzzer: every file named on the command line
// (or every file in a named folder) is fed as is, then `-runs=N` mutations of
// them (byte flips, truncations, insertions) from a fixed seed, so a failure
// is reproducible from the same arguments.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<uint8_t> readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void mutate(std::vector<uint8_t>& bytes, std::mt19937& random)
{
    switch (random() % 4) {
    case 0:  // flip a few bytes
        for (int k = 0, n = 1 + random() % 8; k < n && !bytes.empty(); ++k)
            bytes[random() % bytes.size()] ^= static_cast<uint8_t>(1 + random() % 255);
        break;
    case 1:  // truncate
        if (!bytes.empty()) bytes.resize(random() % bytes.size());
        break;
    case 2:  // insert random bytes
        for (int k = 0, n = 1 + random() % 16; k < n; ++k)
            bytes.insert(bytes.begin() + (bytes.empty() ? 0 : random() % bytes.size()),
                         static_cast<uint8_t>(random()));
        break;
    default:  // overwrite a 32-bit word with an extreme value
        if (bytes.size() >= 4) {
            static const uint32_t extremes[] = {0, 0x7fffffff, 0x80000000, 0xffffffff, 0x10000};
            uint32_t v = extremes[random() % 5];
            std::memcpy(&bytes[random() % (bytes.size() - 3)], &v, 4);
        }
        break;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    long runs = 0;
    std::vector<std::vector<uint8_t>> seeds;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "-runs=", 6) == 0) {
            runs = std::strtol(argv[i] + 6, nullptr, 10);
            continue;
        }
        std::filesystem::path path(argv[i]);
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::directory_iterator(path))
                if (entry.is_regular_file()) seeds.push_back(readFile(entry.path()));
        } else {
            seeds.push_back(readFile(path));
        }
    }
    if (seeds.empty()) seeds.emplace_back();
    for (const auto& seed : seeds) LLVMFuzzerTestOneInput(seed.data(), seed.size());

    std::mt19937 random(20261208);
    for (long run = 0; run < runs; ++run) {
        std::vector<uint8_t> bytes = seeds[run % seeds.size()];
        for (int k = 0, n = 1 + random() % 3; k < n; ++k) mutate(bytes, random);
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("replayed %zu seeds and %ld mutations\n", seeds.size(), runs);
    return 0;
}
