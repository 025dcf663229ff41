// A semantic network of a few stated relations, installed into the
// LanguageAnalyzer instance for the lifetime of one test.  The instance is
// deleted afterwards, so nothing one test states reaches the next.
#pragma once

#include "analysis/LanguageAnalyzer.h"
#include "analysis/SemanticQueries.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace quibo::test {

// One relation as the network states it; the queried word is filled in by
// addSense.
inline SenseRecord sense(const std::string& related, char polarity = '0', char kind = 'N')
{
    SenseRecord record;
    record.kind = kind;
    record.polarity = polarity;
    record.relatedWord = related;
    return record;
}

class InMemorySemanticNetwork : public SemanticQueries {
public:
    // searchPath(from, to) answers `result` at the signed `depth`, provided
    // the search limit reaches |depth|, as a level-by-level search would.
    void relate(const std::string& from, const std::string& to, int result, int depth)
    {
        m_paths[{from, to}] = {result, depth};
    }
    // Lets every stated path answer whatever the limit, to reach the
    // callers' handling of distances a limited search would not return.
    void ignoreLimits() { m_ignoreLimits = true; }
    void addSense(const std::string& word, SenseRecord record)
    {
        record.queriedWord = word;
        m_senses[word].push_back(std::move(record));
    }

    // reachableWords(word, depth, mode) answers the text (a copy the caller
    // frees).
    void reach(const std::string& word, int depth, int mode, const std::string& text)
    {
        m_reachable[{word, depth, mode}] = text;
    }

    // relatedWords(word, mode) answers the text.
    void relateWords(const std::string& word, int mode, const std::string& text)
    {
        m_related[{word, mode}] = text;
    }
    // How many questions the network has been asked.
    int calls() const { return m_calls; }

    std::vector<SenseRecord> relations(const std::string& word, char* relationText) override
    {
        ++m_calls;
        std::free(relationText);
        auto found = m_senses.find(word);
        return found == m_senses.end() ? std::vector<SenseRecord>() : found->second;
    }
    int searchPath(const std::string& word1, const std::string& word2, int& depth, int limit) override
    {
        ++m_calls;
        auto found = m_paths.find({word1, word2});
        if (found == m_paths.end())
            return 0;
        const auto [result, pathDepth] = found->second;
        const int reach = limit < 0 ? 50 : limit;
        if (!m_ignoreLimits && std::abs(pathDepth) > reach)
            return 0;
        depth = pathDepth;
        return result;
    }
    NetworkText listRelations(const std::string&) override { return NetworkText(); }
    NetworkText collectWords(const std::string&, int) override { return NetworkText(); }
    NetworkText reachableWords(const std::string& word, int depth, int mode) override
    {
        ++m_calls;
        auto found = m_reachable.find({word, depth, mode});
        return found == m_reachable.end() ? NetworkText() : copyOf(found->second);
    }
    NetworkText relatedWords(const std::string& word, int mode) override
    {
        ++m_calls;
        auto found = m_related.find({word, mode});
        return found == m_related.end() ? NetworkText() : copyOf(found->second);
    }

private:
    static NetworkText copyOf(const std::string& answer)
    {
        NetworkText text(static_cast<char*>(std::malloc(answer.size() + 1)));
        std::copy(answer.begin(), answer.end(), text.get());
        text.get()[answer.size()] = '\0';
        return text;
    }

    std::map<std::pair<std::string, std::string>, std::pair<int, int>> m_paths;
    std::map<std::string, std::vector<SenseRecord>> m_senses;
    std::map<std::tuple<std::string, int, int>, std::string> m_reachable;
    std::map<std::pair<std::string, int>, std::string> m_related;
    bool m_ignoreLimits = false;
    int m_calls = 0;
};

// Installs a fresh in-memory network for the scope; deletes the analyser
// instance on leaving it.
class ScopedSemanticNetwork {
public:
    ScopedSemanticNetwork()
    {
        auto network = std::make_unique<InMemorySemanticNetwork>();
        m_network = network.get();
        LanguageAnalyzer::instance()->setSemanticNetwork(std::move(network));
    }
    ~ScopedSemanticNetwork() { LanguageAnalyzer::deleteInstance(); }
    ScopedSemanticNetwork(const ScopedSemanticNetwork&) = delete;
    ScopedSemanticNetwork& operator=(const ScopedSemanticNetwork&) = delete;

    InMemorySemanticNetwork& operator*() const { return *m_network; }
    InMemorySemanticNetwork* operator->() const { return m_network; }

private:
    InMemorySemanticNetwork* m_network;
};

}  // namespace quibo::test
