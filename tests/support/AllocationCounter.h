#pragma once

#include <cstddef>

// Counts heap allocations made by the calling thread. Linking the
// allocationcounter library replaces the global operator new of the whole
// test program, so only tests that measure allocations link it.
namespace AllocationCounter
{
// Allocations made by this thread since it started.
std::size_t ThreadAllocations();
} // namespace AllocationCounter
