#pragma once

#include <condition_variable>
#include <mutex>

namespace qmx
{
// A manual-reset event: once set it stays signalled until reset.
class Event
{
public:
    void Reset();
    void Set();
    // True when the event is signalled within the time-out.
    bool Wait(int timeoutMs);

private:
    std::mutex m_mutex;
    std::condition_variable m_condition;
    bool m_signalled = false;
};
} // namespace qmx
