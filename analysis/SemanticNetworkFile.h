// The engine's holder of the one semantic network read from "pstorage": opens
// it once, turns relation texts into `SenseRecord`s, and caches path-search
// results (the expensive query).  `LanguageAnalyzer` owns one and forwards
// its network queries here.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "analysis/SemanticNetwork.h"
#include "analysis/SenseRecord.h"

namespace quibo {

class SemanticNetworkFile {
public:
    // 0 when opened, or when a network is already held (nothing is read
    // then); -1 when the file cannot be opened; -2 when it does not load.
    int open(const std::string& path);

    // The relations of `word`, from `text` when one is given (a malloc'd
    // relation text, which this frees) or else from the network.
    std::vector<SenseRecord> relations(const std::string& word, char* text = nullptr) const;
    // 0 unrelated or no network, 1 or 2 related; `depth` gets the signed
    // depth of the path.  Results are cached by word indices and limit.
    int searchPath(const char* word1, const char* word2, int* depth, int limit);
    char* listRelations(const char* word) const;
    // The closure of the word's own senses (`SemanticNetwork::listClosureWords`).
    char* collectWords(const char* word, int depth) const;

    // The held network; null until opened.
    SemanticNetwork* network() const { return m_network.get(); }
    std::size_t cacheEntryCount() const { return m_cacheCount; }

    // More entries than this trigger an eviction.
    static constexpr std::size_t CACHE_LIMIT = 0x8000;

private:
    struct CacheEntry {
        int result;
        int depth;
        std::int64_t stamp;  // elapsed milliseconds of the last use, plus the search's cost
    };

    void evictOldEntries();

    std::unique_ptr<SemanticNetwork> m_network;
    std::map<std::uint64_t, CacheEntry> m_pathCache;
    std::int64_t m_cutOff = 0;  // elapsed milliseconds
    std::size_t m_cacheCount = 0;
};

}  // namespace quibo
