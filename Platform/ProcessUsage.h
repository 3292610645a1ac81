#pragma once

#include <cstdint>

namespace Platform
{
// The resident memory of this process now, in KiB.
std::int64_t ResidentKiB();
// The most resident memory this process has used so far, in KiB.
std::int64_t PeakResidentKiB();
// The most resident memory any ended child process that was waited for, or
// any of its own waited-for descendants, used, in KiB.
std::int64_t PeakChildResidentKiB();
// The processor time, user and system, that those children used in all, in
// milliseconds; on a busy machine it says more than the time they took.
double ChildProcessorMs();
} // namespace Platform
