#include "analysis/ContainerKit.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace quibo {
namespace {

TEST(ContainerKitTest, AppendGrowsToExactNeedOrDoubleLength)
{
    struct Case {
        std::size_t capacity, length, append, expectedCapacity;
    };
    // Length below the appended count: exactly what is needed; else twice the length.
    const Case cases[] = {{4, 3, 5, 8}, {4, 4, 1, 8}, {4, 2, 2, 4}, {2, 2, 3, 5}, {16, 10, 7, 20}};
    for (const Case& c : cases) {
        GrowArray* array = growArrayNew(c.capacity, sizeof(int));
        std::vector<int> values(c.length + c.append);
        for (std::size_t i = 0; i < values.size(); ++i) values[i] = static_cast<int>(i * 11);
        ASSERT_EQ(growArrayAppend(array, values.data(), c.length), 0);
        ASSERT_EQ(growArrayAppend(array, values.data() + c.length, c.append), 0);
        EXPECT_EQ(array->capacity, c.expectedCapacity) << c.length << "+" << c.append;
        EXPECT_EQ(array->length, values.size());
        EXPECT_EQ(std::vector<int>(static_cast<int*>(array->data), static_cast<int*>(array->data) + array->length),
                  values);
        growArrayFree(array, true);
    }
    EXPECT_EQ(growArrayAppend(nullptr, "x", 1), -2);
}

int compareCalls = 0;

int compareInts(const void* object, int index, const void* key)
{
    ++compareCalls;
    return *static_cast<const int*>(key) - static_cast<const int*>(object)[index];
}

TEST(ContainerKitTest, BinarySearchFindsAndMissesWithoutComparingAnEmptyRange)
{
    const int values[] = {2, 4, 6, 8, 10};
    for (int key : {2, 4, 6, 8, 10}) EXPECT_EQ(binarySearchIndex(values, 0, 4, &key, compareInts), key / 2 - 1);
    const int absent = 5;
    EXPECT_EQ(binarySearchIndex(values, 0, 4, &absent, compareInts), -1);
    compareCalls = 0;
    EXPECT_EQ(binarySearchIndex(values, 0, -1, &absent, compareInts), -1);
    EXPECT_EQ(compareCalls, 0);
}

int compareWords(std::uintptr_t key, std::uintptr_t data)
{
    return (key & 0xFF) < (data & 0xFF) ? -1 : ((key & 0xFF) > (data & 0xFF) ? 1 : 0);
}

std::vector<std::uintptr_t> released;
void recordRelease(std::uintptr_t data) { released.push_back(data); }

TEST(ContainerKitTest, TreeKeepsOrReplacesEqualKeysAndFreesPostOrder)
{
    TreeNode* root = nullptr;
    for (std::uintptr_t key : {4, 2, 6, 1, 3, 5, 7}) treeFindOrInsert(&root, key, compareWords, false);
    TreeNode* kept = treeFindOrInsert(&root, 0x302, compareWords, false);
    EXPECT_EQ(kept->data, 2u);
    TreeNode* replaced = treeFindOrInsert(&root, 0x306, compareWords, true);
    EXPECT_EQ(replaced->data, 0x306u);
    EXPECT_EQ(treeNodeNew(1, nullptr), nullptr);

    released.clear();
    treeFreeWith(&root, recordRelease);
    EXPECT_EQ(root, nullptr);
    EXPECT_EQ(released, (std::vector<std::uintptr_t>{1, 3, 2, 5, 7, 0x306, 4}));
}

TEST(ContainerKitTest, DegenerateTreeIsFreedWithoutRecursion)
{
    TreeNode* root = nullptr;
    // A long ascending run makes a list; freeing it must not exhaust the stack.
    auto byValue = [](std::uintptr_t key, std::uintptr_t data) { return key < data ? -1 : (key > data ? 1 : 0); };
    TreeNode* tail = nullptr;
    for (std::uintptr_t key = 0; key < 200000; ++key) {
        TreeNode* node = treeNodeNew(key, byValue);
        if (tail)
            tail->right = node;
        else
            root = node;
        tail = node;
    }
    released.clear();
    treeFreeWith(&root, recordRelease);
    ASSERT_EQ(released.size(), 200000u);
    EXPECT_EQ(released.front(), 199999u);
    EXPECT_EQ(released.back(), 0u);
}

}  // namespace
}  // namespace quibo
