#include "analysis/SemanticNetworkStorage.h"

#include <cstdio>
#include <cstdlib>

namespace quibo {

namespace {

std::int32_t readInt(const char* p)
{
    return static_cast<std::int32_t>(snetRead32(reinterpret_cast<const unsigned char*>(p)));
}

bool isNameEntry(const SemanticNetworkStorage* s, std::uint32_t entry)
{
    if (static_cast<std::uint64_t>(entry) + 4 > static_cast<std::uint64_t>(s->sizeC)) return false;
    const std::int32_t word = static_cast<std::int32_t>(snetRead32(s->blockC + entry));
    return word >= 0 && word < s->wordCount;
}

bool isLinkWordList(const SemanticNetworkStorage* s, std::uint32_t offset, unsigned count)
{
    if (count == 0) return true;
    if (static_cast<std::uint64_t>(offset) + 4ull * count > static_cast<std::uint64_t>(s->sizeC))
        return false;
    for (unsigned i = 0; i < count; ++i) {
        const std::uint32_t entry = snetRead32(s->blockC + offset + 4 * i) & SNET_OFFSET_MASK;
        if (entry != SNET_NO_WORD && !isNameEntry(s, entry)) return false;
    }
    return true;
}

// Every offset and index that a query may follow must stay inside its block.
bool isSound(const SemanticNetworkStorage* s)
{
    if (s->nodeCount < 0 || s->wordCount < 0) return false;
    if (static_cast<std::int64_t>(s->nodeCount) * static_cast<std::int64_t>(SNET_NODE_RECORD_BYTES) > s->sizeB) return false;
    if (static_cast<std::int64_t>(s->wordCount) * static_cast<std::int64_t>(SNET_WORD_RECORD_BYTES) > s->sizeD) return false;
    for (int w = 0; w < s->wordCount; ++w) {
        const unsigned char* record = snetWordRecord(s, w);
        const std::uint32_t name = snetRead32(record);
        if (name != SNET_NO_WORD && !isNameEntry(s, name)) return false;
        if (!isLinkWordList(s, snetRead32(record + 12), record[8])) return false;
        if (!isLinkWordList(s, snetRead32(record + 20), record[16])) return false;
        const std::int32_t node = static_cast<std::int32_t>(snetRead32(record + 24));
        if (node < -1 || node >= s->nodeCount) return false;
    }
    for (int n = 0; n < s->nodeCount; ++n) {
        const unsigned char* record = snetNodeRecord(s, n);
        if (!isNameEntry(s, snetRead32(record))) return false;
        unsigned links = static_cast<unsigned>(record[12]) | (static_cast<unsigned>(record[13]) << 8);
        const std::uint32_t first = snetRead32(record + 16);
        if (links == 0) continue;
        if (static_cast<std::uint64_t>(first) + static_cast<std::uint64_t>(links) * SNET_LINK_RECORD_BYTES >
            static_cast<std::uint64_t>(s->sizeA))
            return false;
        for (unsigned k = 0; k < links; ++k) {
            if (!isNameEntry(s, snetRead32(s->blockA + first + k * SNET_LINK_RECORD_BYTES))) return false;
        }
    }
    return true;
}

// The copy ends with one NUL beyond the block, so any name read from inside
// the block ends inside the allocation.
unsigned char* copyBlock(const char* from, std::int32_t size)
{
    auto* block = static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(size) + 1));
    if (!block) return nullptr;
    if (size > 0) std::memcpy(block, from, static_cast<std::size_t>(size));
    block[size] = 0;
    return block;
}

void reportNotStorage(const char* path)
{
    std::fprintf(stderr, "Error: file %s is not a semantic-network-storage!\n", path ? path : "");
}

}  // namespace

SemanticNetworkStorage* loadSemanticNetworkStorage(const char* plaintext, std::size_t length,
                                                   const char* path)
{
    if (!plaintext || length < SNET_HEADER_BYTES ||
        snetRead32(reinterpret_cast<const unsigned char*>(plaintext)) != SNET_MAGIC) {
        reportNotStorage(path);
        return nullptr;
    }
    auto* s = static_cast<SemanticNetworkStorage*>(std::calloc(1, sizeof(SemanticNetworkStorage)));
    if (!s) return nullptr;
    s->headerValue1 = readInt(plaintext + 4);
    s->nodeCount = readInt(plaintext + 8);
    s->sizeA = readInt(plaintext + 12);
    s->sizeB = readInt(plaintext + 16);
    s->headerValue5 = readInt(plaintext + 20);
    s->wordCount = readInt(plaintext + 24);
    s->sizeC = readInt(plaintext + 28);
    s->sizeD = readInt(plaintext + 32);

    // Sizes are signed in the file: a negative one, or a sum beyond what the
    // plaintext holds (summed wide, so it cannot wrap), is a broken file.
    const std::int64_t total = static_cast<std::int64_t>(s->sizeA) + s->sizeB + s->sizeC + s->sizeD;
    if (s->sizeA < 0 || s->sizeB < 0 || s->sizeC < 0 || s->sizeD < 0 ||
        total > static_cast<std::int64_t>(length - SNET_HEADER_BYTES)) {
        std::free(s);
        reportNotStorage(path);
        return nullptr;
    }
    const char* at = plaintext + SNET_HEADER_BYTES;
    s->blockA = copyBlock(at, s->sizeA);
    at += s->sizeA;
    s->blockB = copyBlock(at, s->sizeB);
    at += s->sizeB;
    s->blockC = copyBlock(at, s->sizeC);
    at += s->sizeC;
    s->blockD = copyBlock(at, s->sizeD);
    if (!s->blockA || !s->blockB || !s->blockC || !s->blockD) {
        freeSemanticNetworkStorage(s);
        return nullptr;
    }
    if (!isSound(s)) {
        freeSemanticNetworkStorage(s);
        reportNotStorage(path);
        return nullptr;
    }
    return s;
}

void freeSemanticNetworkStorage(SemanticNetworkStorage* storage)
{
    if (!storage) return;
    std::free(storage->blockA);
    std::free(storage->blockB);
    std::free(storage->blockC);
    std::free(storage->blockD);
    std::free(storage);
}

}  // namespace quibo
