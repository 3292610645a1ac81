#include "Core/BaseLib/RewriteSchedule.h"

RewriteSchedule::RewriteSchedule(std::function<void()> rewrite, Now now)
    : m_rewrite(std::move(rewrite)), m_now(std::move(now)), m_lastWrite(m_now())
{
}

void RewriteSchedule::Start(std::size_t writeThroughBefore)
{
    m_writeThroughBefore = writeThroughBefore;
    m_lastWriteTook = {};
    m_pending = false;
}

void RewriteSchedule::Changed(std::size_t candidate)
{
    m_pending = true;
    if (candidate < m_writeThroughBefore || m_now() - m_lastWrite >= m_lastWriteTook * kWriteShare)
        Rewrite();
}

void RewriteSchedule::Flush()
{
    if (m_pending)
        Rewrite();
}

void RewriteSchedule::Rewrite()
{
    const Clock::time_point start = m_now();
    m_rewrite();
    m_lastWrite = m_now();
    m_lastWriteTook = m_lastWrite - start;
    m_pending = false;
}
