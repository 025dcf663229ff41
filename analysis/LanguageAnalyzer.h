// The process-wide entry point to language analysis.  It owns the four
// install resources - the Dosk dictionary (morphological analysis), the
// semantic network "pstorage", the meaning dictionary "mean_dictionary.dat"
// and the number synonyms "numsyn.txt" - and offers analysis of a text into
// words, the semantic-network queries, the number-synonym expansion and the
// dummy entity the dialogue layer searches through.  One instance per
// process, created on first use, initialised and deleted by the service
// object that uses it.  Single-threaded.
#pragma once

#include "analysis/DoskDictionary.h"
#include "analysis/MorphemeList.h"
#include "analysis/NumberSynonymTable.h"
#include "analysis/SemanticNetworkFileQueries.h"
#include "analysis/SemanticQueries.h"
#include "meaning/MeanDictionary.h"

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

    // Results of init.
    static constexpr int INIT_OK = 0;
    static constexpr int INIT_NO_DICTIONARY = -3;  // Dosk or meaning dictionary
    static constexpr int INIT_NO_NETWORK = -4;
    static constexpr int INIT_EXCEPTION = -5;

    LanguageAnalyzer(const LanguageAnalyzer&) = delete;
    LanguageAnalyzer& operator=(const LanguageAnalyzer&) = delete;
    virtual ~LanguageAnalyzer();

    // Loads the four resources in this order: the Dosk dictionary located
    // from `rcPath` (only its folder counts: "dosk/dosk.dic" beside it), then
    // from the data folder - "<INSTALLPATH>QUIBO3.1/data/" with
    // `useInstallDirectory`, else "data/" of the working directory - the
    // network "pstorage", the meaning dictionary "mean_dictionary.dat" and
    // the number synonyms "numsyn.txt" (a missing file leaves the table
    // empty).  0 when loaded; -3 when either dictionary fails; -4 when the
    // network fails; -5 on a standard exception, reported on standard error.
    // On failure the instance stays uninitialised and keeps what it loaded;
    // calling init again retries.
    virtual int init(const std::string& rcPath, bool useInstallDirectory);

    // The words of a text, numerals merged; their surfaces are appended to
    // `surfaces`.  Head classes are marked when a meaning entry is asked for.
    // Without a morphological analyser the list is empty.
    // With a meaning entry the sentence is also judged (its words rewritten
    // by the judgement) and the judgement copied into the entry.
    MorphemeList analyze(std::string text, std::string& surfaces, MeanEntry* meaning = nullptr);
    // The meaning judgement of analysed words by the loaded rules; the words
    // are rewritten in place.  `previousCodes` {-1} admits every rule.
    MeanEntry matchMeaning(const std::string& text, MorphemeList& list, const std::vector<int>& previousCodes);
    // The Dosk analysis of a text, which becomes its cleaned, full-width
    // form: 0, or -1 without a dictionary or when the cleaned text is empty.
    int analyzeRaw(std::string& text, std::vector<RawWord>& words);
    // Appends the analyser's words for the text (which becomes its cleaned
    // form); nothing for an empty text or without an analyser.
    void appendMorphemes(std::string& text, MorphemeList& list);
    // The list itself, then for each numeral word (in word order) one list
    // per number synonym of its surface, in which the synonym's words stand
    // in place of the numeral.
    std::vector<MorphemeList> expandNumberSynonyms(const MorphemeList& list);

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

    // The resources, as far as init loaded them.
    const DoskDictionary* doskDictionary() const { return m_doskDictionary.get(); }
    const MeanDictionary& meanDictionary() const { return m_meanDictionary; }
    const NumberSynonymTable& numberSynonyms() const { return m_numberSynonyms; }

private:
    LanguageAnalyzer();

    MeanDictionary m_meanDictionary;
    std::unique_ptr<ParsedText> m_dummyTitle;
    std::unique_ptr<Entity> m_dummyEntity;
    bool m_initialized = false;
    std::unique_ptr<DoskDictionary> m_doskDictionary;
    // The network file until another network is installed; a file that is
    // not open answers "nothing related".
    std::unique_ptr<SemanticQueries> m_network;
    SemanticNetworkFileQueries* m_networkFile = nullptr;  // m_network, when it is the file
    NumberSynonymTable m_numberSynonyms;
};

}  // namespace quibo
