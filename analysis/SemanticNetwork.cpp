#include "analysis/SemanticNetwork.h"

#include "analysis/FealFile.h"
#include "analysis/SemanticNetworkQueries.h"

#include <memory>

namespace quibo {

SemanticNetwork::SemanticNetwork(const char* path)
{
    FealFile file;
    file.decipherFile(path);
    const int length = file.plainLength();
    std::unique_ptr<char[]> plaintext(new char[length > 0 ? length : 1]);
    if (length <= 0 || file.copyTo(plaintext.get()) != 0) {
        // An empty plaintext is reported as the storage format's failure.
        m_storage = loadSemanticNetworkStorage(plaintext.get(), 0, path);
    } else {
        m_storage = loadSemanticNetworkStorage(plaintext.get(), static_cast<std::size_t>(length), path);
    }
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
