// The install tree's semantic network ("pstorage") as the analyser's network,
// for tests that check rules against the real representative words.
#pragma once

#include "analysis/SemanticNetworkFile.h"
#include "analysis/SemanticQueries.h"

#include <cstdlib>
#include <string>

namespace quibo::test {

class InstalledNetwork : public SemanticQueries {
public:
    // 0 when the network was read.
    int open(const std::string& path) { return m_file.open(path); }

    std::vector<SenseRecord> relations(const std::string& word, char* relationText) override
    {
        return m_file.relations(word, relationText);
    }
    int searchPath(const std::string& word1, const std::string& word2, int& depth, int limit) override
    {
        return m_file.searchPath(word1.c_str(), word2.c_str(), &depth, limit);
    }
    NetworkText listRelations(const std::string& word) override
    {
        return NetworkText(m_file.listRelations(word.c_str()));
    }
    NetworkText collectWords(const std::string& word, int depth) override
    {
        return NetworkText(m_file.collectWords(word.c_str(), depth));
    }
    NetworkText reachableWords(const std::string& word, int depth, int mode) override
    {
        return NetworkText(m_file.network() ? m_file.network()->listReachableWords(word.c_str(), depth, mode)
                                            : nullptr);
    }
    NetworkText relatedWords(const std::string& word, int mode) override
    {
        return NetworkText(m_file.network() ? m_file.network()->listRelatedWords(word.c_str(), mode) : nullptr);
    }

private:
    SemanticNetworkFile m_file;
};

}  // namespace quibo::test
