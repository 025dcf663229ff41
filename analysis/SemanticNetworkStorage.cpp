#include "analysis/SemanticNetworkStorage.h"

#include "analysis/ConsoleLine.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace quibo {

namespace {

std::int32_t readInt(const char* p)
{
    return static_cast<std::int32_t>(snetRead32(reinterpret_cast<const unsigned char*>(p)));
}

// Checks offsets against the blocks and notes the furthest name entry, so
// that one look at the end of block C tells whether every name ends inside.
struct SoundnessCheck {
    const SemanticNetworkStorage* s;
    std::int64_t lastNameEntry = -1;

    bool isNameEntry(std::uint32_t entry)
    {
        if (static_cast<std::uint64_t>(entry) + 4 > static_cast<std::uint64_t>(s->sizeC)) return false;
        const std::int32_t word = static_cast<std::int32_t>(snetRead32(s->blockC + entry));
        if (word < 0 || word >= s->wordCount) return false;
        lastNameEntry = std::max<std::int64_t>(lastNameEntry, entry);
        return true;
    }

    bool isLinkWordList(std::uint32_t offset, unsigned count)
    {
        if (count == 0) return true;
        if (static_cast<std::uint64_t>(offset) + 4ull * count > static_cast<std::uint64_t>(s->sizeC))
            return false;
        for (unsigned i = 0; i < count; ++i) {
            const std::uint32_t entry = snetRead32(s->blockC + offset + 4 * i) & SNET_OFFSET_MASK;
            if (entry != SNET_NO_WORD && !isNameEntry(entry)) return false;
        }
        return true;
    }

    // Every offset and index that a query may follow must stay inside its
    // block.
    bool isSound()
    {
        if (s->nodeCount < 0 || s->wordCount < 0) return false;
        if (static_cast<std::int64_t>(s->nodeCount) * static_cast<std::int64_t>(SNET_NODE_RECORD_BYTES) > s->sizeB)
            return false;
        if (static_cast<std::int64_t>(s->wordCount) * static_cast<std::int64_t>(SNET_WORD_RECORD_BYTES) > s->sizeD)
            return false;
        for (int w = 0; w < s->wordCount; ++w) {
            const unsigned char* record = snetWordRecord(s, w);
            const std::uint32_t name = snetRead32(record);
            if (name != SNET_NO_WORD && !isNameEntry(name)) return false;
            if (!isLinkWordList(snetRead32(record + 12), record[8])) return false;
            if (!isLinkWordList(snetRead32(record + 20), record[16])) return false;
            const std::int32_t node = static_cast<std::int32_t>(snetRead32(record + 24));
            if (node < -1 || node >= s->nodeCount) return false;
        }
        for (int n = 0; n < s->nodeCount; ++n) {
            const unsigned char* record = snetNodeRecord(s, n);
            if (!isNameEntry(snetRead32(record))) return false;
            unsigned links = static_cast<unsigned>(record[12]) | (static_cast<unsigned>(record[13]) << 8);
            const std::uint32_t first = snetRead32(record + 16);
            if (links == 0) continue;
            if (static_cast<std::uint64_t>(first) + static_cast<std::uint64_t>(links) * SNET_LINK_RECORD_BYTES >
                static_cast<std::uint64_t>(s->sizeA))
                return false;
            for (unsigned k = 0; k < links; ++k) {
                if (!isNameEntry(snetRead32(s->blockA + first + k * SNET_LINK_RECORD_BYTES))) return false;
            }
        }
        return true;
    }

    // A name read from any entry stops at the first NUL after it: one after
    // the furthest entry's start, inside block C, ends them all there.
    bool namesEndInsideBlockC() const
    {
        if (lastNameEntry < 0) return true;
        const std::size_t from = static_cast<std::size_t>(lastNameEntry) + 4;
        return std::memchr(s->blockC + from, 0, static_cast<std::size_t>(s->sizeC) - from) != nullptr;
    }
};

// The copy ends with one NUL beyond the block, so any name read from inside
// the block ends inside the allocation.
unsigned char* copyBlock(const unsigned char* from, std::int32_t size)
{
    auto* block = static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(size) + 1));
    if (!block) return nullptr;
    if (size > 0) std::memcpy(block, from, static_cast<std::size_t>(size));
    block[size] = 0;
    return block;
}

void reportNotStorage(const char* path)
{
    if (std::FILE* console = consoleErrorStream())
        std::fprintf(console, "Error: file %s is not a semantic-network-storage!\n", path ? path : "");
}

}  // namespace

namespace {

// The record of a plaintext: its blocks point into the plaintext when
// `inPlace` is set and every name ends inside block C, and are owned copies
// otherwise.
SemanticNetworkStorage* loadStorage(const char* plaintext, std::size_t length, const char* path, bool inPlace)
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
    const auto* at = reinterpret_cast<const unsigned char*>(plaintext) + SNET_HEADER_BYTES;
    s->blockA = const_cast<unsigned char*>(at);
    s->blockB = s->blockA + s->sizeA;
    s->blockC = s->blockB + s->sizeB;
    s->blockD = s->blockC + s->sizeC;
    SoundnessCheck check{s};
    if (!check.isSound()) {
        std::free(s);
        reportNotStorage(path);
        return nullptr;
    }
    if (inPlace && check.namesEndInsideBlockC()) return s;

    s->blockA = copyBlock(at, s->sizeA);
    s->blockB = copyBlock(at + s->sizeA, s->sizeB);
    s->blockC = copyBlock(at + s->sizeA + s->sizeB, s->sizeC);
    s->blockD = copyBlock(at + s->sizeA + s->sizeB + s->sizeC, s->sizeD);
    s->ownsBlocks = 1;
    if (!s->blockA || !s->blockB || !s->blockC || !s->blockD) {
        freeSemanticNetworkStorage(s);
        return nullptr;
    }
    return s;
}

}  // namespace

SemanticNetworkStorage* loadSemanticNetworkStorage(const char* plaintext, std::size_t length,
                                                   const char* path)
{
    return loadStorage(plaintext, length, path, false);
}

SemanticNetworkStorage* loadSemanticNetworkStorageInPlace(const char* plaintext, std::size_t length,
                                                          const char* path)
{
    return loadStorage(plaintext, length, path, true);
}

void freeSemanticNetworkStorage(SemanticNetworkStorage* storage)
{
    if (!storage) return;
    if (storage->ownsBlocks) {
        std::free(storage->blockA);
        std::free(storage->blockB);
        std::free(storage->blockC);
        std::free(storage->blockD);
    }
    std::free(storage);
}

}  // namespace quibo
