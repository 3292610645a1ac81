#include "Core/BaseLib/KriticalSection.h"

#include "Core/BaseLib/Debug.h"
#include "Platform/Clock.h"

#include <QDebug>
#include <climits>
#include <system_error>

namespace
{
const wchar_t* const kSource = L"Core\\BaseLib\\KriticalSection";
}

void KriticalSection::Lock()
{
    try
    {
        m_mutex.lock();
    }
    catch (const std::system_error&)
    {
        throw std::system_error(std::make_error_code(std::errc::resource_deadlock_would_occur));
    }
    if (m_depth == INT32_MAX)
    {
        m_mutex.unlock();
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    }
    Acquired();
}

bool KriticalSection::TryLock()
{
    if (!m_mutex.try_lock())
        return false;
    if (m_depth == INT32_MAX)
    {
        m_mutex.unlock();
        return false;
    }
    Acquired();
    return true;
}

void KriticalSection::Acquired()
{
    ++m_depth;
    m_owner = Platform::CurrentThreadId();
}

void KriticalSection::Unlock()
{
    if (m_owner != Platform::CurrentThreadId())
    {
        ReportAssertion(L"0", kSource, 92);
        return;
    }
    if (m_depth.fetch_sub(1) == 1)
        m_owner = 0;
    m_mutex.unlock();
}

TAutoLockCS::TAutoLockCS(KriticalSection* ks) : m_ks(ks)
{
    if (Usable())
    {
        m_ks->Lock();
        m_locked = true;
    }
}

TAutoLockCS::TAutoLockCS(KriticalSection* ks, bool tryOnly) : m_ks(ks)
{
    if (Usable())
        m_locked = tryOnly ? m_ks->TryLock() : (m_ks->Lock(), true);
}

TAutoLockCS::~TAutoLockCS()
{
    if (!m_locked)
        return;
    if (!m_ks)
    {
        ReportAssertion(L"m_ks", kSource, 178);
        return;
    }
    m_ks->Unlock();
}

bool TAutoLockCS::Usable() const
{
    if (!m_ks)
    {
        ReportAssertion(L"0", kSource, 194);
        qDebug() << " TAutoLockCS given a null pointer\n";
        return false;
    }
    return m_ks->IsEnabled();
}
