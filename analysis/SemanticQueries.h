// The questions the engine asks the semantic network.  LanguageAnalyzer
// forwards its network queries to one implementation of this interface: the
// network read from the install data, or a small in-memory network in tests.
// Every query answers "nothing related" (empty, 0, null) for unknown words.
#pragma once

#include "analysis/SenseRecord.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace quibo {

// Result texts of the network are malloc-allocated blocks.
struct NetworkTextFree {
    void operator()(char* text) const { std::free(text); }
};
using NetworkText = std::unique_ptr<char, NetworkTextFree>;

class SemanticQueries {
public:
    virtual ~SemanticQueries() = default;

    // The word's relations; with a relation text (a malloc-allocated block,
    // freed here) that text is split instead of asking the network.
    virtual std::vector<SenseRecord> relations(const std::string& word,
                                               char* relationText) = 0;
    // 0 not related, 1 or 2 related; depth receives the signed distance when
    // related.  limit is the deepest level searched (-1 for the default).
    virtual int searchPath(const std::string& word1, const std::string& word2, int& depth,
                           int limit) = 0;
    virtual NetworkText listRelations(const std::string& word) = 0;
    virtual NetworkText collectWords(const std::string& word, int depth) = 0;
    virtual NetworkText reachableWords(const std::string& word, int depth, int mode) = 0;
    virtual NetworkText relatedWords(const std::string& word, int mode) = 0;
};

}  // namespace quibo
