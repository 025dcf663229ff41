// The loaded semantic network: deciphers and loads "pstorage" and owns the
// storage record; its queries forward to the storage query functions.  The
// record reads its blocks in place from the deciphered image, which the
// processes of one user share (see `decipheredImage`).
#pragma once

#include "analysis/SemanticNetworkStorage.h"
#include "platform/SharedImage.h"

#include <memory>

namespace quibo {

class SemanticNetwork {
public:
    struct Exception {
        int code;
    };

    // Throws Exception{1} when the file cannot be read, deciphered or loaded.
    explicit SemanticNetwork(const char* path);
    ~SemanticNetwork();
    SemanticNetwork(const SemanticNetwork&) = delete;
    SemanticNetwork& operator=(const SemanticNetwork&) = delete;

    // Texts are malloc'd, freed by the caller with free; null means none.
    char* listRelations(const char* word) const;
    char* listRelatedWords(const char* word, int mode) const;
    int findWord(const char* word) const;
    // `depth` is set to 0 first and receives the signed depth of a meeting.
    int searchPath(const char* word1, const char* word2, int* depth, int limit) const;
    char* listReachableWords(const char* word, int depth, int mode) const;
    char* listClosureWords(const char* word, int depth) const;

    const SemanticNetworkStorage* storage() const { return m_storage; }

private:
    std::unique_ptr<platform::SharedImage> m_image;  // the plaintext the blocks lie in
    SemanticNetworkStorage* m_storage = nullptr;      // owned; freeSemanticNetworkStorage
};

}  // namespace quibo
