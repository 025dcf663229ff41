// The process-wide entry point to language analysis: analysis of a text into
// words, the semantic-network queries and the dummy entity the dialogue layer
// searches through.  One instance per process, created on first use and
// deleted by the service object that initialised it.  Single-threaded.
#pragma once

#include "analysis/MorphemeList.h"
#include "analysis/SemanticNetworkFileQueries.h"
#include "analysis/SemanticQueries.h"

#include <memory>
#include <string>
#include <vector>

namespace quibo {

class Entity;
class MeanEntry;
class ParsedText;

class LanguageAnalyzer {
public:
    static constexpr std::string_view DUMMY_ENTITY_TITLE = "ＧＬＯＢＡＬ＿ＤＵＭＭＹ＿ＥＮＴＩＴＹ";

    // The instance, created when there is none; null only when allocation
    // fails.
    static LanguageAnalyzer* instance();
    // Destroys the instance; the next instance() creates a fresh one.
    static void deleteInstance();
    // An instance exists and its resources are loaded.
    static bool isInitialized();

    LanguageAnalyzer(const LanguageAnalyzer&) = delete;
    LanguageAnalyzer& operator=(const LanguageAnalyzer&) = delete;
    virtual ~LanguageAnalyzer();

    // The words of a text, numerals merged; their surfaces are appended to
    // `surfaces`.  Head classes are marked when a meaning entry is asked for.
    // Without a morphological analyser the list is empty.
    MorphemeList analyze(std::string text, std::string& surfaces, MeanEntry* meaning = nullptr);
    // Appends the analyser's words for the text; nothing without an analyser.
    void appendMorphemes(std::string& text, MorphemeList& list);

    // Semantic-network queries; without a network they answer "nothing
    // related": an empty vector, 0, null.
    std::vector<SenseRecord> getRelations(const std::string& word,
                                          char* relationText = nullptr);
    int searchPath(const std::string& word1, const std::string& word2, int& depth, int limit);
    NetworkText reachableWords(const std::string& word, int depth, int mode);
    NetworkText relatedWords(const std::string& word, int mode);
    NetworkText listRelations(const std::string& word);
    NetworkText collectWords(const std::string& word, int depth);

    // Opens the network file ("pstorage") and answers the queries from it:
    // 0 when open, -1 when the file cannot be opened, -2 when it does not
    // load (the queries then go on answering "nothing related").  A network
    // already open is kept and 0 returned.
    int openSemanticNetwork(const std::string& path);
    // Installs the network the queries go to (null removes it), replacing
    // the one held.  Tests install a small in-memory network this way and
    // delete the instance afterwards.
    void setSemanticNetwork(std::unique_ptr<SemanticQueries> network);
    SemanticQueries* semanticNetwork() const { return m_network.get(); }

    // Answers the dialogue layer's searches over the whole knowledge base.
    Entity* dummyEntity() const { return m_dummyEntity.get(); }

private:
    LanguageAnalyzer();

    std::unique_ptr<ParsedText> m_dummyTitle;
    std::unique_ptr<Entity> m_dummyEntity;
    bool m_initialized = false;
    // The network file until another network is installed; a file that is
    // not open answers "nothing related".
    std::unique_ptr<SemanticQueries> m_network;
    SemanticNetworkFileQueries* m_networkFile = nullptr;  // m_network, when it is the file
};

}  // namespace quibo
