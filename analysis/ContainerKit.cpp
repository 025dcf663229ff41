#include "analysis/ContainerKit.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace quibo {

int resizeBlock(void** block, std::size_t size)
{
    void* grown = std::realloc(*block, size == 0 ? 1 : size);
    if (!grown) return -1;
    *block = grown;
    return 0;
}

GrowArray* growArrayNew(std::size_t capacity, std::size_t elementSize)
{
    auto* array = static_cast<GrowArray*>(std::malloc(sizeof(GrowArray)));
    if (!array) return nullptr;
    array->capacity = capacity;
    array->length = 0;
    array->elementSize = elementSize;
    array->data = std::malloc(capacity * elementSize == 0 ? 1 : capacity * elementSize);
    if (!array->data) {
        std::free(array);
        return nullptr;
    }
    return array;
}

void growArrayFree(GrowArray* array, bool freeData)
{
    if (!array) return;
    if (freeData) std::free(array->data);
    std::free(array);
}

int growArrayAppend(GrowArray* array, const void* source, std::size_t count)
{
    if (!array) return -2;
    const std::size_t needed = array->length + count;
    if (needed > array->capacity) {
        const std::size_t capacity = array->length >= count ? 2 * array->length : needed;
        if (array->elementSize && capacity > std::numeric_limits<std::size_t>::max() / array->elementSize)
            return -1;
        if (resizeBlock(&array->data, capacity * array->elementSize) != 0) return -1;
        array->capacity = capacity;
    }
    if (count) {
        std::memcpy(static_cast<char*>(array->data) + array->length * array->elementSize, source,
                    count * array->elementSize);
    }
    array->length = needed;
    return 0;
}

GrowArray* growArrayClear(GrowArray* array)
{
    if (array) array->length = 0;
    return array;
}

int binarySearchIndex(const void* object, int low, int high, const void* key,
                      int (*compare)(const void* object, int index, const void* key))
{
    while (high >= low) {
        // Halved without overflow for any int range.
        const int middle = static_cast<int>((static_cast<long long>(low) + high) / 2);
        const int c = compare(object, middle, key);
        if (c == 0) return middle;
        if (c < 0)
            high = middle - 1;
        else
            low = middle + 1;
    }
    return -1;
}

TreeNode* treeNodeNew(std::uintptr_t data, TreeCompare compare)
{
    if (!compare) return nullptr;
    auto* node = static_cast<TreeNode*>(std::malloc(sizeof(TreeNode)));
    if (!node) return nullptr;
    node->data = data;
    node->compare = compare;
    node->left = nullptr;
    node->right = nullptr;
    return node;
}

TreeNode* treeFindOrInsert(TreeNode** root, std::uintptr_t key, TreeCompare compare, bool replace)
{
    TreeNode** link = root;
    while (*link) {
        TreeNode* node = *link;
        const int c = node->compare(key, node->data);
        if (c == 0) {
            if (replace) node->data = key;
            return node;
        }
        link = c < 0 ? &node->left : &node->right;
    }
    *link = treeNodeNew(key, compare);
    return *link;
}

namespace {

// Post-order without recursion, so that a degenerate tree cannot exhaust the
// stack.  A node whose subtree is being freed is pushed on a chain threaded
// through its (already detached) left pointer, and its children are detached
// one at a time, so it is freed once both are gone: left, right, node.
template <typename Release>
void freePostOrder(TreeNode** root, Release release)
{
    TreeNode* node = *root;
    *root = nullptr;
    TreeNode* pending = nullptr;
    while (node || pending) {
        if (!node) {
            node = pending;
            pending = node->left;
            node->left = nullptr;
            continue;
        }
        TreeNode* child = node->left ? node->left : node->right;
        if (child) {
            if (node->left)
                node->left = nullptr;
            else
                node->right = nullptr;
            node->left = pending;
            pending = node;
            node = child;
            continue;
        }
        release(node->data);
        std::free(node);
        node = nullptr;
    }
}

}  // namespace

void treeFree(TreeNode** root, bool freeData)
{
    if (!root) return;
    freePostOrder(root, [freeData](std::uintptr_t data) {
        if (freeData) std::free(reinterpret_cast<void*>(data));
    });
}

void treeFreeWith(TreeNode** root, void (*release)(std::uintptr_t data))
{
    if (!root) return;
    freePostOrder(root, [release](std::uintptr_t data) {
        if (release) release(data);
    });
}

}  // namespace quibo
