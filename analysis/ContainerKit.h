// The small C-style container kit under the semantic-network storage and its
// queries: a growable array, binary search over an indexed object, and an
// unbalanced binary tree.  Memory is malloc/realloc/free; every allocation
// failure is reported by the return value, never by ending the process.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quibo {

struct GrowArray {
    std::size_t capacity;     // elements
    std::size_t length;       // elements
    std::size_t elementSize;  // bytes
    void* data;
};

using TreeCompare = int (*)(std::uintptr_t key, std::uintptr_t data);

struct TreeNode {
    std::uintptr_t data;
    TreeCompare compare;
    TreeNode* left;
    TreeNode* right;
};

// Resizes *block to `size` bytes: 0, or -1 keeping the old block.
int resizeBlock(void** block, std::size_t size);

GrowArray* growArrayNew(std::size_t capacity, std::size_t elementSize);
void growArrayFree(GrowArray* array, bool freeData);
// 0; -2 for a null array; -1 when memory is short (the array is unchanged).
int growArrayAppend(GrowArray* array, const void* source, std::size_t count);
GrowArray* growArrayClear(GrowArray* array);

// Halving search over indices low..high of `object`; compare(object, index,
// key) is negative when the key sorts before the element.  -1 when absent.
int binarySearchIndex(const void* object, int low, int high, const void* key,
                      int (*compare)(const void* object, int index, const void* key));

TreeNode* treeNodeNew(std::uintptr_t data, TreeCompare compare);
// The node whose data compares equal to `key` (its data replaced by the key
// when `replace` is set), or a new node for the key; null when memory is short.
TreeNode* treeFindOrInsert(TreeNode** root, std::uintptr_t key, TreeCompare compare, bool replace);
// Frees every node post-order (left, right, node); the data words too
// (as malloc'd blocks) when `freeData` is set.  *root becomes null.
void treeFree(TreeNode** root, bool freeData);
void treeFreeWith(TreeNode** root, void (*release)(std::uintptr_t data));

}  // namespace quibo
