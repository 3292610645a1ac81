#pragma once

#include <atomic>
#include <cstdint>

// Sleeping on a 32-bit word that may lie in memory shared with another
// process, and waking its sleepers; neither locks nor allocates.
namespace Platform
{
// Sleeps while the word still holds `unchanged`, for at most timeoutMicros.
// False when the time ran out; true when woken or the word had changed (a
// spurious wake-up also returns true, so callers check the word again).
bool WaitWhileWordIs(const std::atomic<std::uint32_t>& word, std::uint32_t unchanged,
                     std::uint64_t timeoutMicros);
// Wakes every sleeper on the word, in any process.
void WakeWordSleepers(std::atomic<std::uint32_t>& word);
} // namespace Platform
