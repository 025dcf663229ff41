// The questions the engine asks the semantic network: a word's index, its
// relations as text, its related words, path search between two words, the
// words reachable from a word, and the closure of a word's own senses.  Free
// functions over a loaded `SemanticNetworkStorage`; result texts are
// malloc'd, freed by the caller with free, null meaning none.
#pragma once

#include <cstdint>

#include "analysis/ContainerKit.h"
#include "analysis/SemanticNetworkStorage.h"

namespace quibo {

// State of one query.
struct WalkContext {
    std::uint32_t targetListOffset;  // path search: the second word's relation list
    unsigned targetListCount;
    int limit;
    int limitCopy;
    GrowArray* found;      // 32-bit items: name entries (collectors) or signed depths (path search)
    TreeNode* visited;     // node indices; visited when the top four bits are 0x1
    int firstLinkPolarity;
    int result;
    bool outOfMemory;
};

using WalkCallback = int (*)(const SemanticNetworkStorage* storage, int node, int walkType, int depth,
                             WalkContext* context);

struct WalkCallbacks {
    WalkCallback before;  // optional
    WalkCallback visit;   // required
    WalkCallback after;   // optional
};

WalkContext* newWalkContext();
void freeWalkContext(WalkContext* context);
void clearVisited(WalkContext* context);

// Index of a word record named `word`; -1 when absent; SNET_NO_WORD for a
// null or empty word.
int findWord(const SemanticNetworkStorage* storage, const char* word);
// Items "P0:name", "N1:name", "P1N1:name" or ":name", joined by ", ".
char* listRelations(const SemanticNetworkStorage* storage, const char* word);
// Mode 0: the word's predicate-listed related words; other modes: its
// same-polarity (synonym) related words.  Joined by ",".
char* listRelatedWords(const SemanticNetworkStorage* storage, const char* word, int mode);
// 0 unrelated, 1 related with the same polarity, 2 with opposite polarity;
// `depth` receives the signed depth of the meeting only when one is found
// (positive along type-1 links, negative along type-2 and type-3 links).
// A limit of -1 searches 50 levels.
int searchPath(const SemanticNetworkStorage* storage, const char* word1, const char* word2, int* depth,
               int limit);
char* listReachableWords(const SemanticNetworkStorage* storage, const char* word, int depth, int mode);
char* listClosureWords(const SemanticNetworkStorage* storage, const char* word, int depth);

// Walks from `node` over links of `walkType` (1: type-1 links; 2: type-2 and
// type-3 links) to `depth` levels.  0, the first non-zero visit result, or
// -1 (no visit callback, node outside the network), -2 (stopped by before or
// after), -4 (walk type not usable).  A node already expanded at the same
// remaining depth in this walk is not expanded again: its whole subtree has
// been walked already.
int walkSemanticNetwork(const SemanticNetworkStorage* storage, int node, int walkType, int depth,
                        const WalkCallbacks* callbacks, WalkContext* context);
int walkSemanticNetworkPostOrder(const SemanticNetworkStorage* storage, int node, int walkType, int depth,
                                 const WalkCallbacks* callbacks, WalkContext* context);
// Level by level: visits the nodes exactly `depth` links away, each once,
// in the order in which they are first reached.
int walkLevel(const SemanticNetworkStorage* storage, int node, int walkType, int depth, WalkCallback visit,
              WalkContext* context);

int meetTarget(const SemanticNetworkStorage* storage, int node, int walkType, int depth, WalkContext* context);
int collectNode(const SemanticNetworkStorage* storage, int node, int walkType, int depth,
                WalkContext* context);

}  // namespace quibo
