#include "analysis/SemanticNetworkFile.h"

#include "analysis/ConsoleLine.h"
#include "analysis/EucString.h"
#include "platform/Clock.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <new>

namespace quibo {

int SemanticNetworkFile::open(const std::string& path)
{
    if (m_network) return 0;
    std::FILE* probe = std::fopen(path.c_str(), "rb");
    if (!probe) {
        const std::string frame(55, '!');
        writeConsoleErrorLine(frame);
        writeConsoleErrorLine("Error: can not open SemanticNetwork file " + path + ".");
        writeConsoleErrorLine(frame);
        return -1;
    }
    std::fclose(probe);
    try {
        m_network = std::make_unique<SemanticNetwork>(path.c_str());
    } catch (const SemanticNetwork::Exception&) {
        return -2;
    } catch (const std::bad_alloc&) {
        return -2;
    }
    m_cutOff = platform::clock().elapsedMillis();
    return 0;
}

std::vector<SenseRecord> SemanticNetworkFile::relations(const std::string& word, char* text) const
{
    std::vector<SenseRecord> records;
    if (!text) {
        if (!m_network) return records;
        text = m_network->listRelations(word.c_str());
        if (!text) return records;
    }
    const std::vector<std::string> items = splitString(text, ", ");
    std::free(text);
    auto record = [&word](const std::string& item) {
        return SenseRecord{item[0], item[1], item.substr(3), word};
    };
    for (const std::string& item : items) {
        if (item.size() > 4 && item[2] == ':') {
            records.push_back(record(item));
        } else if (item.size() > 6 && item[4] == ':') {
            // "P1N1:name" stands for both kinds: the N relation first.
            records.push_back(record(item.substr(2)));
            records.push_back(record(item.substr(0, 2) + item.substr(4)));
        }
    }
    return records;
}

int SemanticNetworkFile::searchPath(const char* word1, const char* word2, int* depth, int limit)
{
    if (!m_network) return 0;
    const std::uint64_t key = (static_cast<std::uint64_t>(limit & 0xFF) << 56) |
                              (static_cast<std::uint64_t>(m_network->findWord(word1) & 0xFFFFFF) << 32) |
                              static_cast<std::uint32_t>(m_network->findWord(word2));
    const platform::Clock& clock = platform::clock();
    if (auto hit = m_pathCache.find(key); hit != m_pathCache.end()) {
        if (depth) *depth = hit->second.depth;
        hit->second.stamp = clock.elapsedMillis();
        return hit->second.result;
    }
    const std::int64_t started = clock.elapsedMillis();
    int found = 0;
    const int result = m_network->searchPath(word1, word2, &found, limit);
    const std::int64_t now = clock.elapsedMillis();
    if (depth) *depth = found;
    // A search that cost more is kept longer: its cost is added to its stamp.
    m_pathCache[key] = CacheEntry{result, found, now + (now - started)};
    ++m_cacheCount;
    if (m_cacheCount > CACHE_LIMIT) evictOldEntries();
    return result;
}

void SemanticNetworkFile::evictOldEntries()
{
    const std::int64_t now = platform::clock().elapsedMillis();
    m_cutOff += (now - m_cutOff) / 2;
    for (auto entry = m_pathCache.begin(); entry != m_pathCache.end();) {
        if (entry->second.stamp < m_cutOff) {
            entry = m_pathCache.erase(entry);
            --m_cacheCount;
        } else {
            ++entry;
        }
    }
}

char* SemanticNetworkFile::listRelations(const char* word) const
{
    return m_network ? m_network->listRelations(word) : nullptr;
}

char* SemanticNetworkFile::collectWords(const char* word, int depth) const
{
    return m_network ? m_network->listClosureWords(word, depth) : nullptr;
}

}  // namespace quibo
