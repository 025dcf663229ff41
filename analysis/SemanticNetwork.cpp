#include "analysis/SemanticNetwork.h"

#include "analysis/FealFile.h"
#include "analysis/SemanticNetworkQueries.h"


namespace quibo {

SemanticNetwork::SemanticNetwork(const char* path)
    : m_image(decipheredImage(path))
{
    // The blocks are read where they lie in the deciphered image; an empty
    // or missing plaintext is reported as the storage format's failure.
    const char* plaintext = m_image ? reinterpret_cast<const char*>(m_image->data()) : "";
    m_storage = loadSemanticNetworkStorageInPlace(plaintext, m_image ? m_image->size() : 0, path);
    if (!m_storage) throw Exception{1};
}

SemanticNetwork::~SemanticNetwork()
{
    freeSemanticNetworkStorage(m_storage);
}

char* SemanticNetwork::listRelations(const char* word) const
{
    return quibo::listRelations(m_storage, word);
}

char* SemanticNetwork::listRelatedWords(const char* word, int mode) const
{
    return quibo::listRelatedWords(m_storage, word, mode);
}

int SemanticNetwork::findWord(const char* word) const
{
    return quibo::findWord(m_storage, word);
}

int SemanticNetwork::searchPath(const char* word1, const char* word2, int* depth, int limit) const
{
    if (depth) *depth = 0;
    return quibo::searchPath(m_storage, word1, word2, depth, limit);
}

char* SemanticNetwork::listReachableWords(const char* word, int depth, int mode) const
{
    return quibo::listReachableWords(m_storage, word, depth, mode);
}

char* SemanticNetwork::listClosureWords(const char* word, int depth) const
{
    return quibo::listClosureWords(m_storage, word, depth);
}

}  // namespace quibo
