#include "support/AllocationCounter.h"

#include <cstdlib>
#include <new>

namespace
{
thread_local std::size_t allocations = 0;

void* Allocate(std::size_t size)
{
    ++allocations;
    if (void* block = std::malloc(size == 0 ? 1 : size))
        return block;
    throw std::bad_alloc();
}
} // namespace

namespace AllocationCounter
{
std::size_t ThreadAllocations()
{
    return allocations;
}
} // namespace AllocationCounter

// The array forms call these by default.
void* operator new(std::size_t size)
{
    return Allocate(size);
}

void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}
