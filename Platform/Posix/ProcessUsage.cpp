#include "Platform/ProcessUsage.h"

#include <fstream>
#include <sys/resource.h>
#include <unistd.h>

namespace
{
rusage UsageOf(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return usage;
}

double Milliseconds(const timeval& time)
{
    return double(time.tv_sec) * 1e3 + double(time.tv_usec) / 1e3;
}
} // namespace

namespace Platform
{
// The second field of statm is the resident size in pages.
std::int64_t ResidentKiB()
{
    std::ifstream statm("/proc/self/statm");
    std::int64_t size = 0;
    std::int64_t resident = 0;
    if (!(statm >> size >> resident))
        return 0;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Linux gives the peaks in KiB.
std::int64_t PeakResidentKiB()
{
    return std::int64_t(UsageOf(RUSAGE_SELF).ru_maxrss);
}

std::int64_t PeakChildResidentKiB()
{
    return std::int64_t(UsageOf(RUSAGE_CHILDREN).ru_maxrss);
}

double ChildProcessorMs()
{
    const rusage usage = UsageOf(RUSAGE_CHILDREN);
    return Milliseconds(usage.ru_utime) + Milliseconds(usage.ru_stime);
}
} // namespace Platform
