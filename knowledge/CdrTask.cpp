#include "knowledge/CdrTask.h"

#include <memory>
#include <new>
#include <vector>

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
// largest class are rare and come from the heap as they are.  Fresh blocks
// are cut from slabs, so that a deep stream, which holds a frame per body in
// progress, costs a few large allocations rather than one per frame, and
// the pool gives its memory back a slab at a time.
constexpr std::size_t GRAIN = 64;
constexpr std::size_t CLASSES = 64;
constexpr std::size_t SLAB_SIZE = 64 * 1024;

struct FreeBlock {
    FreeBlock* next;
};

struct ThreadPool {
    FreeBlock* free[CLASSES] = {};
    std::vector<std::unique_ptr<std::byte[]>> slabs;
    std::byte* unused = nullptr;  // the rest of the newest slab
    std::size_t left = 0;
    std::size_t works = 0;  // work stacks that exist
    std::size_t live = 0;   // frames handed out and not yet released

    ~ThreadPool() { empty(); }

    void* cut(std::size_t size)
    {
        if (size > left) {
            slabs.push_back(std::make_unique_for_overwrite<std::byte[]>(SLAB_SIZE));
            unused = slabs.back().get();
            left = SLAB_SIZE;
            QUIBO_POISON(unused, left);
        }
        void* block = unused;
        QUIBO_UNPOISON(block, size);
        unused += size;
        left -= size;
        return block;
    }

    // The slabs go once nothing can use them any more.
    void emptyWhenUnused() noexcept
    {
        if (works == 0 && live == 0)
            empty();
    }

    void empty() noexcept
    {
        for (FreeBlock*& list : free) list = nullptr;
        for (const auto& slab : slabs) QUIBO_UNPOISON(slab.get(), SLAB_SIZE);
        slabs.clear();
        unused = nullptr;
        left = 0;
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
    void* block;
    if (FreeBlock* recycled = pool.free[c]) {
        QUIBO_UNPOISON(recycled, (c + 1) * GRAIN);
        pool.free[c] = recycled->next;
        block = recycled;
    } else {
        // Always the whole class, so that any frame of the class fits the
        // block once it is recycled.
        block = pool.cut((c + 1) * GRAIN);
    }
    ++pool.live;
    return block;
}

void CdrFramePool::release(void* frame, std::size_t size) noexcept
{
    const std::size_t c = classOf(size);
    if (c >= CLASSES) {
        ::operator delete(frame, size);
        return;
    }
    FreeBlock* block = static_cast<FreeBlock*>(frame);
    block->next = pool.free[c];
    pool.free[c] = block;
    QUIBO_POISON(block, (c + 1) * GRAIN);
    --pool.live;
    pool.emptyWhenUnused();
}

void CdrFramePool::enter() noexcept { ++pool.works; }

void CdrFramePool::leave() noexcept
{
    --pool.works;
    pool.emptyWhenUnused();
}

}  // namespace quibo
