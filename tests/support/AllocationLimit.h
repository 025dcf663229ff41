// Runs a program out of memory on purpose: while a ScopedAllocationLimit
// lives, every allocation through operator new of at least `bytes` fails
// with std::bad_alloc (the nothrow forms return null).  The test program
// that uses it links tests/<folder>/AllocationLimit.cpp, which replaces the
// plain and array forms of operator new and delete with malloc and free.
#pragma once

#include <cstddef>

namespace quibo::test {

// Allocations of at least this many bytes fail; 0 lets every one through.
extern std::size_t g_failAllocationsFrom;

class ScopedAllocationLimit {
public:
    explicit ScopedAllocationLimit(std::size_t bytes) { g_failAllocationsFrom = bytes; }
    ~ScopedAllocationLimit() { g_failAllocationsFrom = 0; }
    ScopedAllocationLimit(const ScopedAllocationLimit&) = delete;
    ScopedAllocationLimit& operator=(const ScopedAllocationLimit&) = delete;
};

}  // namespace quibo::test
