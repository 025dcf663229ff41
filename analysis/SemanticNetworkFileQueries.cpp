#include "analysis/SemanticNetworkFileQueries.h"

namespace quibo {

std::vector<SenseRecord> SemanticNetworkFileQueries::relations(const std::string& word,
                                                               char* relationText)
{
    return m_file.relations(word, relationText);
}

int SemanticNetworkFileQueries::searchPath(const std::string& word1, const std::string& word2,
                                           int& depth, int limit)
{
    return m_file.searchPath(word1.c_str(), word2.c_str(), &depth, limit);
}

NetworkText SemanticNetworkFileQueries::listRelations(const std::string& word)
{
    return NetworkText(m_file.listRelations(word.c_str()));
}

NetworkText SemanticNetworkFileQueries::collectWords(const std::string& word, int depth)
{
    return NetworkText(m_file.collectWords(word.c_str(), depth));
}

NetworkText SemanticNetworkFileQueries::reachableWords(const std::string& word, int depth, int mode)
{
    SemanticNetwork* network = m_file.network();
    return NetworkText(network ? network->listReachableWords(word.c_str(), depth, mode) : nullptr);
}

NetworkText SemanticNetworkFileQueries::relatedWords(const std::string& word, int mode)
{
    SemanticNetwork* network = m_file.network();
    return NetworkText(network ? network->listRelatedWords(word.c_str(), mode) : nullptr);
}

}  // namespace quibo
