#include "analysis/LanguageAnalyzer.h"

#include "knowledge/Entity.h"
#include "knowledge/ParsedText.h"

#include <cstdlib>
#include <new>

namespace quibo {

namespace {

// The one process-wide instance; null when there is none.
LanguageAnalyzer* g_instance = nullptr;

}  // namespace

LanguageAnalyzer* LanguageAnalyzer::instance()
{
    if (!g_instance)
        g_instance = new (std::nothrow) LanguageAnalyzer();
    return g_instance;
}

void LanguageAnalyzer::deleteInstance()
{
    delete g_instance;
    g_instance = nullptr;
}

bool LanguageAnalyzer::isInitialized()
{
    return g_instance && g_instance->m_initialized;
}

LanguageAnalyzer::LanguageAnalyzer()
    : m_dummyTitle(std::make_unique<ParsedText>(std::string(DUMMY_ENTITY_TITLE), MorphemeList(),
                                                std::string())),
      m_dummyEntity(std::make_unique<Entity>(m_dummyTitle.get(), Entity::FLAG_GLOBAL_DUMMY))
{
    auto file = std::make_unique<SemanticNetworkFileQueries>();
    m_networkFile = file.get();
    m_network = std::move(file);
}

LanguageAnalyzer::~LanguageAnalyzer() = default;

MorphemeList LanguageAnalyzer::analyze(std::string text, std::string& surfaces, MeanEntry* meaning)
{
    MorphemeList list;
    appendMorphemes(text, list);
    if (meaning)
        list.markHeadClass();
    list = list.mergeNumerals();
    for (const Morpheme& word : list.words())
        surfaces += word.surfaceRef();
    return list;
}

void LanguageAnalyzer::appendMorphemes(std::string& /*text*/, MorphemeList& /*list*/)
{
    // No morphological analyser is held yet, so there is nothing to append.
}

std::vector<SenseRecord> LanguageAnalyzer::getRelations(const std::string& word,
                                                         char* relationText)
{
    if (!m_network) {
        std::free(relationText);
        return std::vector<SenseRecord>();
    }
    return m_network->relations(word, relationText);
}

int LanguageAnalyzer::searchPath(const std::string& word1, const std::string& word2, int& depth,
                                 int limit)
{
    return m_network ? m_network->searchPath(word1, word2, depth, limit) : 0;
}

NetworkText LanguageAnalyzer::reachableWords(const std::string& word, int depth, int mode)
{
    return m_network ? m_network->reachableWords(word, depth, mode) : NetworkText();
}

NetworkText LanguageAnalyzer::relatedWords(const std::string& word, int mode)
{
    return m_network ? m_network->relatedWords(word, mode) : NetworkText();
}

NetworkText LanguageAnalyzer::listRelations(const std::string& word)
{
    return m_network ? m_network->listRelations(word) : NetworkText();
}

NetworkText LanguageAnalyzer::collectWords(const std::string& word, int depth)
{
    return m_network ? m_network->collectWords(word, depth) : NetworkText();
}

int LanguageAnalyzer::openSemanticNetwork(const std::string& path)
{
    if (!m_networkFile) {
        auto file = std::make_unique<SemanticNetworkFileQueries>();
        m_networkFile = file.get();
        m_network = std::move(file);
    }
    return m_networkFile->open(path);
}

void LanguageAnalyzer::setSemanticNetwork(std::unique_ptr<SemanticQueries> network)
{
    m_networkFile = nullptr;
    m_network = std::move(network);
}

}  // namespace quibo
