#include "Core/BaseLib/AudioPlugins/Event.h"

#include <chrono>

namespace qmx
{
void Event::Reset()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_signalled = false;
}

void Event::Set()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_signalled = true;
    }
    m_condition.notify_all();
}

bool Event::Wait(int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_condition.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_signalled; });
}
} // namespace qmx
