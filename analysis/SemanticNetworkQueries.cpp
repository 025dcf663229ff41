#include "analysis/SemanticNetworkQueries.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <unordered_set>
#include <vector>

namespace quibo {

namespace {

constexpr std::uintptr_t VISITED_MARK = 0x10000000;
constexpr std::uintptr_t NODE_BITS = 0x0FFFFFFF;
constexpr int DEFAULT_PATH_LIMIT = 50;

// The visited tree is keyed by node index, but the order in which indices
// are compared is scrambled (a bijection on 28 bits), so that walks that meet
// nodes in index order do not build a degenerate list.
std::uint32_t scramble(std::uintptr_t index)
{
    std::uint32_t x = static_cast<std::uint32_t>(index & NODE_BITS);
    x = (x * 0x9E3779B1u) & NODE_BITS;
    x ^= x >> 13;
    return x;
}

int compareVisited(std::uintptr_t key, std::uintptr_t data)
{
    const std::uint32_t a = scramble(key);
    const std::uint32_t b = scramble(data);
    return a < b ? -1 : (a > b ? 1 : 0);
}

// True the first time a node is seen by the query; false when it was seen
// before (or memory ran out, which the context remembers).
bool markVisited(WalkContext* context, int node)
{
    TreeNode* entry = treeFindOrInsert(&context->visited, static_cast<std::uintptr_t>(node) & NODE_BITS,
                                       compareVisited, false);
    if (!entry) {
        context->outOfMemory = true;
        return false;
    }
    if ((entry->data & ~NODE_BITS) == VISITED_MARK) return false;
    entry->data = (entry->data & NODE_BITS) | VISITED_MARK;
    return true;
}

bool appendFound(WalkContext* context, std::uint32_t value)
{
    if (growArrayAppend(context->found, &value, 1) != 0) {
        context->outOfMemory = true;
        return false;
    }
    return true;
}

int compareWordName(const void* object, int index, const void* key)
{
    const auto* storage = static_cast<const SemanticNetworkStorage*>(object);
    const auto* k = static_cast<const unsigned char*>(key);
    const auto* name =
        reinterpret_cast<const unsigned char*>(snetEntryName(storage, snetRead32(snetWordRecord(storage, index))));
    while (*k && *k == *name) {
        ++k;
        ++name;
    }
    return static_cast<int>(*k) - static_cast<int>(*name);
}

struct LinkWordList {
    const unsigned char* at;
    unsigned count;
    std::uint32_t word(unsigned i) const { return snetRead32(at + 4 * i); }
};

LinkWordList relationList(const SemanticNetworkStorage* s, int word)
{
    const unsigned char* record = snetWordRecord(s, word);
    return {s->blockC + snetRead32(record + 12), record[8]};
}

LinkWordList relatedWordList(const SemanticNetworkStorage* s, int word)
{
    const unsigned char* record = snetWordRecord(s, word);
    return {s->blockC + snetRead32(record + 20), record[16]};
}

std::uint8_t flagsOf(const SemanticNetworkStorage* s, int word)
{
    return snetWordRecord(s, word)[4];
}

int nodeOfWord(const SemanticNetworkStorage* s, int word)
{
    return static_cast<int>(snetRead32(snetWordRecord(s, word) + 24));
}

const char* nameOfWord(const SemanticNetworkStorage* s, int word)
{
    return snetEntryName(s, snetRead32(snetWordRecord(s, word)));
}

// The word record a link word leads to; -1 for "no word".
int targetOf(const SemanticNetworkStorage* s, std::uint32_t linkWord)
{
    const std::uint32_t entry = linkWord & SNET_OFFSET_MASK;
    if (entry == SNET_NO_WORD) return -1;
    return snetEntryWord(s, entry);
}

bool polarityOf(std::uint32_t linkWord) { return (linkWord & SNET_POLARITY_BIT) != 0; }
bool isDisabled(std::uint32_t linkWord) { return (linkWord & SNET_DISABLED_BIT) != 0; }

int wordOfNode(const SemanticNetworkStorage* s, int node)
{
    return snetEntryWord(s, snetRead32(snetNodeRecord(s, node)));
}

bool linkMatches(std::uint8_t linkType, int walkType)
{
    return (linkType == 1 && walkType == 1) || ((linkType == 2 || linkType == 3) && walkType == 2);
}

// The node a link record leads to (-1 when its word has none).
int linkTarget(const SemanticNetworkStorage* s, const unsigned char* link)
{
    return nodeOfWord(s, snetEntryWord(s, snetRead32(link)));
}

struct NodeLinks {
    const unsigned char* first;
    unsigned count;
};

NodeLinks linksOf(const SemanticNetworkStorage* s, int node)
{
    const unsigned char* record = snetNodeRecord(s, node);
    const unsigned count = static_cast<unsigned>(record[12]) | (static_cast<unsigned>(record[13]) << 8);
    return {s->blockA + snetRead32(record + 16), count};
}

bool isNode(const SemanticNetworkStorage* s, int node)
{
    return static_cast<unsigned>(node) < static_cast<unsigned>(s->nodeCount);
}

// The found list joined by `separator` as a malloc'd text; null when empty.
char* joinFoundNames(const SemanticNetworkStorage* s, const WalkContext* context, const char* separator)
{
    GrowArray* text = growArrayNew(768, 1);
    if (!text) return nullptr;
    const auto* entries = static_cast<const std::uint32_t*>(context->found->data);
    const std::size_t separatorLength = std::strlen(separator);
    bool failed = false;
    for (std::size_t i = 0; i < context->found->length && !failed; ++i) {
        if (i > 0) failed |= growArrayAppend(text, separator, separatorLength) != 0;
        const char* name = snetEntryName(s, entries[i]);
        failed |= growArrayAppend(text, name, std::strlen(name)) != 0;
    }
    char* result = nullptr;
    if (!failed && text->length > 0) {
        result = static_cast<char*>(std::malloc(text->length + 1));
        if (result) {
            std::memcpy(result, text->data, text->length);
            result[text->length] = '\0';
        }
    }
    growArrayFree(text, true);
    return result;
}

// A text built in `text`: cut `cut` trailing bytes, NUL-terminate, hand over.
char* finishText(GrowArray* text, std::size_t cut)
{
    char* result = nullptr;
    if (text->length > cut) {
        result = static_cast<char*>(std::malloc(text->length - cut + 1));
        if (result) {
            std::memcpy(result, text->data, text->length - cut);
            result[text->length - cut] = '\0';
        }
    }
    growArrayFree(text, true);
    return result;
}

int lookUp(const SemanticNetworkStorage* s, const char* word)
{
    if (!s || !word || !*word) return -1;
    return findWord(s, word);
}

long long magnitude(int depth)
{
    return depth < 0 ? -static_cast<long long>(depth) : depth;
}

struct Frame {
    int node;
    long long depth;
    NodeLinks links;
    unsigned next;
};

int walkDepthFirst(const SemanticNetworkStorage* s, int start, int walkType, long long depth,
                   const WalkCallbacks* callbacks, WalkContext* context, bool postOrder)
{
    if (!callbacks || !callbacks->visit || !isNode(s, start)) return -1;
    std::unordered_set<unsigned long long> expanded;
    std::vector<Frame> stack;

    // Enters a node: 0 with a frame pushed (or the node skipped), or a walk code.
    auto enter = [&](int node, long long remaining) -> int {
        if (!isNode(s, node)) return -1;
        const unsigned long long key =
            (static_cast<unsigned long long>(remaining) << 32) | static_cast<unsigned>(node);
        if (!expanded.insert(key).second) return 0;
        if (callbacks->before && callbacks->before(s, node, walkType, static_cast<int>(remaining), context))
            return -2;
        if (!postOrder) {
            if (int rc = callbacks->visit(s, node, walkType, static_cast<int>(remaining), context)) return rc;
        }
        NodeLinks links{nullptr, 0};
        if (remaining > 0) {
            if (walkType <= 0 || walkType > 3) return -4;
            if (walkType != 3) links = linksOf(s, node);
        }
        stack.push_back({node, remaining, links, 0});
        return 0;
    };

    if (int rc = enter(start, depth)) return rc;
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next < frame.links.count) {
            const unsigned char* link = frame.links.first + SNET_LINK_RECORD_BYTES * frame.next++;
            if (!linkMatches(link[8], walkType)) continue;
            const long long remaining = frame.depth - 1;
            if (int rc = enter(linkTarget(s, link), remaining)) return rc;
            continue;
        }
        const Frame done = frame;
        stack.pop_back();
        if (postOrder) {
            if (int rc = callbacks->visit(s, done.node, walkType, static_cast<int>(done.depth), context))
                return rc;
        }
        if (callbacks->after && callbacks->after(s, done.node, walkType, static_cast<int>(done.depth), context))
            return -2;
    }
    return 0;
}

}  // namespace

WalkContext* newWalkContext()
{
    auto* context = static_cast<WalkContext*>(std::calloc(1, sizeof(WalkContext)));
    if (!context) return nullptr;
    context->found = growArrayNew(64, sizeof(std::uint32_t));
    if (!context->found) {
        std::free(context);
        return nullptr;
    }
    return context;
}

void freeWalkContext(WalkContext* context)
{
    if (!context) return;
    growArrayFree(context->found, true);
    treeFree(&context->visited, false);
    std::free(context);
}

void clearVisited(WalkContext* context)
{
    if (context) treeFree(&context->visited, false);
}

int findWord(const SemanticNetworkStorage* storage, const char* word)
{
    if (!word || !*word) return static_cast<int>(SNET_NO_WORD);
    if (!storage) return -1;
    return binarySearchIndex(storage, 0, storage->wordCount - 1, word, compareWordName);
}

char* listRelations(const SemanticNetworkStorage* storage, const char* word)
{
    const int w = lookUp(storage, word);
    if (w < 0) return nullptr;
    GrowArray* text = growArrayNew(32, 1);
    if (!text) return nullptr;
    const std::uint8_t own = flagsOf(storage, w);
    const LinkWordList relations = relationList(storage, w);
    bool failed = false;
    for (unsigned i = 0; i < relations.count && !failed; ++i) {
        const std::uint32_t link = relations.word(i);
        const int x = targetOf(storage, link);
        if (x < 0) continue;
        const std::uint8_t flags = flagsOf(storage, x);
        if (!(flags & (SNET_P_MARK | SNET_N_MARK))) continue;
        const char digit = polarityOf(link) ? '1' : '0';
        if ((flags & SNET_P_MARK) && (own & SNET_P_LISTING)) {
            const char item[2] = {'P', digit};
            failed |= growArrayAppend(text, item, 2) != 0;
        }
        if ((flags & SNET_N_MARK) && (own & SNET_N_LISTING)) {
            const char item[2] = {'N', digit};
            failed |= growArrayAppend(text, item, 2) != 0;
        }
        const char* name = nameOfWord(storage, x);
        failed |= growArrayAppend(text, ":", 1) != 0;
        failed |= growArrayAppend(text, name, std::strlen(name)) != 0;
        failed |= growArrayAppend(text, ", ", 2) != 0;
    }
    if (failed) {
        growArrayFree(text, true);
        return nullptr;
    }
    return finishText(text, 2);
}

char* listRelatedWords(const SemanticNetworkStorage* storage, const char* word, int mode)
{
    const int w = lookUp(storage, word);
    if (w < 0) return nullptr;
    const std::uint8_t own = flagsOf(storage, w);
    if ((mode == 1 && !(own & SNET_N_MARK)) || (mode == 0 && !(own & SNET_P_MARK))) return nullptr;
    GrowArray* text = growArrayNew(32, 1);
    if (!text) return nullptr;
    const char* ownName = nameOfWord(storage, w);
    const LinkWordList related = relatedWordList(storage, w);
    bool failed = false;
    for (unsigned i = 0; i < related.count && !failed; ++i) {
        const std::uint32_t link = related.word(i);
        const int x = targetOf(storage, link);
        if (x < 0) continue;
        const char* name = nameOfWord(storage, x);
        if (std::strcmp(name, ownName) == 0) continue;
        const std::uint8_t flags = flagsOf(storage, x);
        const bool take = mode == 0 ? (flags & SNET_P_LISTING) != 0
                                    : (flags & SNET_N_LISTING) != 0 && !polarityOf(link);
        if (!take) continue;
        failed |= growArrayAppend(text, name, std::strlen(name)) != 0;
        failed |= growArrayAppend(text, ",", 1) != 0;
    }
    if (failed) {
        growArrayFree(text, true);
        return nullptr;
    }
    return finishText(text, 1);
}

int walkSemanticNetwork(const SemanticNetworkStorage* storage, int node, int walkType, int depth,
                        const WalkCallbacks* callbacks, WalkContext* context)
{
    if (!storage) return -1;
    try {
        return walkDepthFirst(storage, node, walkType, depth, callbacks, context, false);
    } catch (const std::bad_alloc&) {
        if (context) context->outOfMemory = true;
        return -1;
    }
}

int walkSemanticNetworkPostOrder(const SemanticNetworkStorage* storage, int node, int walkType, int depth,
                                 const WalkCallbacks* callbacks, WalkContext* context)
{
    if (!storage) return -1;
    try {
        return walkDepthFirst(storage, node, walkType, depth, callbacks, context, true);
    } catch (const std::bad_alloc&) {
        if (context) context->outOfMemory = true;
        return -1;
    }
}

int walkLevel(const SemanticNetworkStorage* storage, int node, int walkType, int depth, WalkCallback visit,
              WalkContext* context)
{
    if (!storage || !visit || !isNode(storage, node)) return -1;
    try {
        // Each frontier holds a node once, in the order it was first reached:
        // the same nodes in the same order as with every path kept, without
        // the growth on cycles and diamonds.
        std::vector<int> frontier{node};
        std::vector<int> next;
        std::unordered_set<int> seen;
        for (int level = 0; level < depth && !frontier.empty(); ++level) {
            next.clear();
            seen.clear();
            for (int from : frontier) {
                const NodeLinks links = linksOf(storage, from);
                for (unsigned k = 0; k < links.count; ++k) {
                    const unsigned char* link = links.first + SNET_LINK_RECORD_BYTES * k;
                    if (!linkMatches(link[8], walkType)) continue;
                    const int to = linkTarget(storage, link);
                    if (isNode(storage, to) && seen.insert(to).second) next.push_back(to);
                }
            }
            frontier.swap(next);
        }
        for (int reached : frontier) {
            if (int rc = visit(storage, reached, walkType, depth, context)) return rc;
        }
        return 0;
    } catch (const std::bad_alloc&) {
        if (context) context->outOfMemory = true;
        return -1;
    }
}

int meetTarget(const SemanticNetworkStorage* storage, int node, int walkType, int depth, WalkContext* context)
{
    if (!storage || !context || !isNode(storage, node)) return 0;
    const int v = wordOfNode(storage, node);
    if (!markVisited(context, node)) return 0;
    const LinkWordList targets{storage->blockC + context->targetListOffset, context->targetListCount};
    const LinkWordList own = relationList(storage, v);
    for (unsigned t = 0; t < targets.count; ++t) {
        const std::uint32_t target = targets.word(t);
        if (isDisabled(target)) continue;
        const int x = targetOf(storage, target);
        if (x < 0) continue;
        const std::uint8_t flags = flagsOf(storage, x);
        if (!(flags & SNET_N_MARK) || !(flags & SNET_N_LISTING)) continue;
        for (unsigned j = 0; j < own.count; ++j) {
            const std::uint32_t g = own.word(j);
            if (j >= 1 && !polarityOf(g)) continue;
            if (isDisabled(g)) continue;
            if ((g & SNET_OFFSET_MASK) != (target & SNET_OFFSET_MASK)) continue;
            int q = j == 0 ? 0 : 1;
            if (context->firstLinkPolarity == 1) q = 1 - q;
            context->result = q == (polarityOf(target) ? 1 : 0) ? 1 : 2;
            const std::int32_t signedDepth = walkType == 1 ? depth : -depth;
            appendFound(context, static_cast<std::uint32_t>(signedDepth));
            return context->result;
        }
    }
    return 0;
}

int collectNode(const SemanticNetworkStorage* storage, int node, int, int depth, WalkContext* context)
{
    if (!storage || !context || !isNode(storage, node)) return 0;
    if (!markVisited(context, node)) return 0;
    if (depth == 0) appendFound(context, snetRead32(snetNodeRecord(storage, node)));
    return 0;
}

int searchPath(const SemanticNetworkStorage* storage, const char* word1, const char* word2, int* depth,
               int limit)
{
    const int w1 = lookUp(storage, word1);
    const int w2 = lookUp(storage, word2);
    if (w1 < 0 || w2 < 0) return 0;
    WalkContext* context = newWalkContext();
    if (!context) return 0;
    const unsigned char* record2 = snetWordRecord(storage, w2);
    context->targetListOffset = snetRead32(record2 + 12);
    context->targetListCount = record2[8];
    context->limit = limit;
    context->limitCopy = limit;

    const LinkWordList starts = relationList(storage, w1);
    // Runs the walks of one level from each usable start link; true when one
    // of them ends the search.
    auto walkFromStarts = [&](int walkType, int level) {
        for (unsigned i = 0; i < starts.count; ++i) {
            const std::uint32_t link = starts.word(i);
            context->firstLinkPolarity = polarityOf(link) ? 1 : 0;
            if (isDisabled(link)) continue;
            const int x = targetOf(storage, link);
            if (x < 0) continue;
            const int node = nodeOfWord(storage, x);
            if (node == -1) continue;
            if (walkLevel(storage, node, walkType, level, meetTarget, context) != 0) return true;
            clearVisited(context);
            if (walkType == 1 && level > 0) {
                if (walkLevel(storage, node, 2, level, meetTarget, context) != 0) return true;
                clearVisited(context);
            }
        }
        return false;
    };

    bool met = walkFromStarts(1, 0);
    const int levels = limit == -1 ? DEFAULT_PATH_LIMIT : limit;
    for (int level = 1; !met && level <= levels; ++level) met = walkFromStarts(1, level);

    int result = 0;
    if (met && !context->outOfMemory && context->found->length > 0) {
        const auto* found = static_cast<const std::uint32_t*>(context->found->data);
        if (depth) *depth = static_cast<std::int32_t>(found[context->found->length - 1]);
        result = context->result;
    }
    freeWalkContext(context);
    return result;
}

char* listReachableWords(const SemanticNetworkStorage* storage, const char* word, int depth, int mode)
{
    const int w = lookUp(storage, word);
    if (w < 0) return nullptr;
    WalkContext* context = newWalkContext();
    if (!context) return nullptr;
    const WalkCallbacks callbacks{nullptr, collectNode, nullptr};
    const LinkWordList relations = relationList(storage, w);
    const int walkType = depth >= 0 ? 1 : 2;
    const long long levels = magnitude(depth);
    for (unsigned i = 0; i < relations.count; ++i) {
        const std::uint32_t link = relations.word(i);
        const int x = targetOf(storage, link);
        if (x < 0) continue;
        const int node = nodeOfWord(storage, x);
        if (node == -1) continue;
        if ((mode == 0 && polarityOf(link)) || (mode == 1 && !polarityOf(link))) continue;
        try {
            walkDepthFirst(storage, node, walkType, levels, &callbacks, context, false);
        } catch (const std::bad_alloc&) {
            context->outOfMemory = true;
        }
    }
    char* result = context->outOfMemory ? nullptr : joinFoundNames(storage, context, ", ");
    freeWalkContext(context);
    return result;
}

char* listClosureWords(const SemanticNetworkStorage* storage, const char* word, int depth)
{
    const int w = lookUp(storage, word);
    if (w < 0) return nullptr;
    WalkContext* context = newWalkContext();
    if (!context) return nullptr;
    const WalkCallbacks callbacks{nullptr, collectNode, nullptr};
    const char* ownName = nameOfWord(storage, w);
    const LinkWordList relations = relationList(storage, w);
    const int walkType = depth >= 0 ? 1 : 2;
    const long long step = depth >= 0 ? 1 : -1;
    long long n = depth;
    std::size_t previous = 0;
    for (unsigned i = 0; i < relations.count && !context->outOfMemory; ++i) {
        const int x = targetOf(storage, relations.word(i));
        if (x < 0 || std::strcmp(nameOfWord(storage, x), ownName) != 0) continue;
        const int node = nodeOfWord(storage, x);
        if (node == -1) continue;
        // Grow the depth until a walk adds no word; each round adds at least
        // one node, so this ends within the network's size.
        while (!context->outOfMemory) {
            try {
                walkDepthFirst(storage, node, walkType, n < 0 ? -n : n, &callbacks, context, true);
            } catch (const std::bad_alloc&) {
                context->outOfMemory = true;
            }
            if (context->found->length == previous) break;
            previous = context->found->length;
            n += step;
        }
    }
    char* result = context->outOfMemory ? nullptr : joinFoundNames(storage, context, ", ");
    freeWalkContext(context);
    return result;
}

}  // namespace quibo
