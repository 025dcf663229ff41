// A semantic network of a few words for the rule checks: relation texts,
// collected words and related words come from tables the test fills.
#pragma once

#include "analysis/LanguageAnalyzer.h"
#include "analysis/SemanticQueries.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>

namespace quibo::test {

class FakeNetwork : public SemanticQueries {
public:
    std::map<std::string, std::string> relationTexts;
    std::map<std::string, std::string> collected;
    std::map<std::string, std::string> related;

    std::vector<SenseRecord> relations(const std::string&, char* relationText) override
    {
        std::free(relationText);
        return {};
    }
    int searchPath(const std::string&, const std::string&, int&, int) override { return 0; }
    NetworkText listRelations(const std::string& word) override { return lookUp(relationTexts, word); }
    NetworkText collectWords(const std::string& word, int) override { return lookUp(collected, word); }
    NetworkText reachableWords(const std::string&, int, int) override { return nullptr; }
    NetworkText relatedWords(const std::string& word, int) override { return lookUp(related, word); }

private:
    static NetworkText lookUp(const std::map<std::string, std::string>& table, const std::string& word)
    {
        const auto found = table.find(word);
        if (found == table.end()) {
            return nullptr;
        }
        return NetworkText(strdup(found->second.c_str()));
    }
};

// Installs a network in the analyser for the life of the object; the
// analyser instance goes with it, so no test sees another's network.
class ScopedNetwork {
public:
    explicit ScopedNetwork(std::unique_ptr<SemanticQueries> network)
    {
        LanguageAnalyzer::instance()->setSemanticNetwork(std::move(network));
    }
    ~ScopedNetwork() { LanguageAnalyzer::deleteInstance(); }
    ScopedNetwork(const ScopedNetwork&) = delete;
    ScopedNetwork& operator=(const ScopedNetwork&) = delete;
};

}  // namespace quibo::test
