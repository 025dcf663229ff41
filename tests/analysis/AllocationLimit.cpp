// Replacement of the plain and array forms of operator new and delete for
// the analysis tests, so that ScopedAllocationLimit can make large
// allocations fail.  Every replaced form allocates with malloc and releases
// with free, so the forms pair up whichever a library calls; the aligned
// forms are left to the runtime, which pairs them among themselves.
#include "tests/support/AllocationLimit.h"

#include <cstdlib>
#include <new>

namespace quibo::test {

std::size_t g_failAllocationsFrom = 0;

}  // namespace quibo::test

namespace {

void* allocate(std::size_t size) noexcept
{
    if (quibo::test::g_failAllocationsFrom != 0 && size >= quibo::test::g_failAllocationsFrom) {
        return nullptr;
    }
    return std::malloc(size == 0 ? 1 : size);
}

void* allocateOrThrow(std::size_t size)
{
    if (void* block = allocate(size)) {
        return block;
    }
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size)
{
    return allocateOrThrow(size);
}

void* operator new[](std::size_t size)
{
    return allocateOrThrow(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return allocate(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return allocate(size);
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete[](void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}

void operator delete[](void* block, std::size_t) noexcept
{
    std::free(block);
}

void operator delete(void* block, const std::nothrow_t&) noexcept
{
    std::free(block);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept
{
    std::free(block);
}
#pragma GCC diagnostic pop
