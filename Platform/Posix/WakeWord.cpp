#include "Platform/WakeWord.h"

#include <cerrno>
#include <climits>
#include <ctime>
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace Platform
{
namespace
{
static_assert(sizeof(std::atomic<std::uint32_t>) == sizeof(std::uint32_t) &&
                  std::atomic<std::uint32_t>::is_always_lock_free,
              "the kernel must see the atomic as a plain word");

// Shared futexes, not private ones: the other side is another process.
long Futex(const std::atomic<std::uint32_t>& word, int operation, std::uint32_t value,
           const timespec* timeout)
{
    return ::syscall(SYS_futex, const_cast<std::atomic<std::uint32_t>*>(&word), operation, value, timeout,
                     nullptr, 0);
}
} // namespace

bool WaitWhileWordIs(const std::atomic<std::uint32_t>& word, std::uint32_t unchanged,
                     std::uint64_t timeoutMicros)
{
    const timespec timeout{time_t(timeoutMicros / 1000000), long(timeoutMicros % 1000000) * 1000};
    if (Futex(word, FUTEX_WAIT, unchanged, &timeout) == 0)
        return true;
    return errno != ETIMEDOUT;
}

void WakeWordSleepers(std::atomic<std::uint32_t>& word)
{
    Futex(word, FUTEX_WAKE, INT_MAX, nullptr);
}
} // namespace Platform
