#include "Platform/Clock.h"

#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

namespace Platform
{
std::uint64_t MonotonicMicroseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::uint64_t(now.tv_sec) * 1000000u + std::uint64_t(now.tv_nsec) / 1000u;
}

std::uint64_t CurrentThreadId()
{
    thread_local const std::uint64_t id = std::uint64_t(syscall(SYS_gettid));
    return id;
}
} // namespace Platform
