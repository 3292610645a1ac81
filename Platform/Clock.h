#pragma once

#include <cstdint>

namespace Platform
{
// A steady clock in microseconds; only differences are meaningful.
std::uint64_t MonotonicMicroseconds();
// The kernel's id of the calling thread; never 0.
std::uint64_t CurrentThreadId();
} // namespace Platform
