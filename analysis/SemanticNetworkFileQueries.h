// The semantic-network queries answered by the network read from the
// install data.  Until a file is opened every query answers "nothing
// related", except that a relation text handed in is still split.
#pragma once

#include "analysis/SemanticNetworkFile.h"
#include "analysis/SemanticQueries.h"

namespace quibo {

class SemanticNetworkFileQueries : public SemanticQueries {
public:
    // 0 when opened (or already open), -1 when the file cannot be opened,
    // -2 when it does not load.
    int open(const std::string& path) { return m_file.open(path); }
    SemanticNetworkFile& file() { return m_file; }

    std::vector<SenseRecord> relations(const std::string& word, char* relationText) override;
    int searchPath(const std::string& word1, const std::string& word2, int& depth, int limit) override;
    NetworkText listRelations(const std::string& word) override;
    NetworkText collectWords(const std::string& word, int depth) override;
    NetworkText reachableWords(const std::string& word, int depth, int mode) override;
    NetworkText relatedWords(const std::string& word, int mode) override;

private:
    SemanticNetworkFile m_file;
};

}  // namespace quibo
