#include "knowledge/CdrTask.h"

#include <new>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define QUIBO_POISON(block, size) ASAN_POISON_MEMORY_REGION(block, size)
#define QUIBO_UNPOISON(block, size) ASAN_UNPOISON_MEMORY_REGION(block, size)
#else
#define QUIBO_POISON(block, size) ((void)(block), (void)(size))
#define QUIBO_UNPOISON(block, size) ((void)(block), (void)(size))
#endif

namespace quibo {
namespace {

// Frames are rounded up to a multiple of the grain; frames larger than the
// largest class are rare and come from the heap as they are.
constexpr std::size_t GRAIN = 64;
constexpr std::size_t CLASSES = 64;

struct FreeBlock {
    FreeBlock* next;
};

struct ThreadPool {
    FreeBlock* free[CLASSES] = {};
    std::size_t works = 0;

    ~ThreadPool() { empty(); }

    void empty() noexcept
    {
        for (std::size_t c = 0; c < CLASSES; ++c) {
            while (FreeBlock* block = free[c]) {
                QUIBO_UNPOISON(block, (c + 1) * GRAIN);
                free[c] = block->next;
                ::operator delete(block, (c + 1) * GRAIN);
            }
        }
    }
};

thread_local ThreadPool pool;

std::size_t classOf(std::size_t size) { return size == 0 ? 0 : (size - 1) / GRAIN; }

}  // namespace

void* CdrFramePool::allocate(std::size_t size)
{
    const std::size_t c = classOf(size);
    if (c >= CLASSES)
        return ::operator new(size);
    if (FreeBlock* block = pool.free[c]) {
        QUIBO_UNPOISON(block, (c + 1) * GRAIN);
        pool.free[c] = block->next;
        return block;
    }
    // Always the whole class, so that any frame of the class fits the block
    // once it is recycled.
    return ::operator new((c + 1) * GRAIN);
}

void CdrFramePool::release(void* frame, std::size_t size) noexcept
{
    const std::size_t c = classOf(size);
    if (c >= CLASSES) {
        ::operator delete(frame, size);
        return;
    }
    if (pool.works == 0) {
        ::operator delete(frame, (c + 1) * GRAIN);
        return;
    }
    FreeBlock* block = static_cast<FreeBlock*>(frame);
    block->next = pool.free[c];
    pool.free[c] = block;
    QUIBO_POISON(block, (c + 1) * GRAIN);
}

void CdrFramePool::enter() noexcept { ++pool.works; }

void CdrFramePool::leave() noexcept
{
    if (--pool.works == 0)
        pool.empty();
}

}  // namespace quibo
