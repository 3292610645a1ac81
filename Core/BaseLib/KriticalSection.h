#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

// The engine's one lock type: recursive, and aware of which thread holds it
// and how deeply, so that a release from the wrong thread is caught.
class KriticalSection
{
public:
    KriticalSection() = default;
    KriticalSection(const KriticalSection&) = delete;
    KriticalSection& operator=(const KriticalSection&) = delete;

    void Lock();
    bool TryLock();
    void Unlock();

    std::int32_t Depth() const { return m_depth; }
    std::uint64_t Owner() const { return m_owner; }
    bool IsEnabled() const { return m_enabled; }
    // A disabled lock is skipped by every guard; owners switch it off while
    // they are being torn down.
    void SetEnabled(bool enabled) { m_enabled = enabled; }

private:
    void Acquired();

    std::recursive_mutex m_mutex;
    // Written only by the holder, but read by any thread (Unlock's owner check).
    std::atomic<std::int32_t> m_depth{0};
    std::atomic<std::uint64_t> m_owner{0};
    bool m_enabled = true;
};

// Scoped guard; tolerates a null or disabled lock by taking nothing. In try
// mode it never waits and Locked() tells whether the guarded work may run.
class TAutoLockCS
{
public:
    explicit TAutoLockCS(KriticalSection* ks);
    TAutoLockCS(KriticalSection* ks, bool tryOnly);
    ~TAutoLockCS();
    TAutoLockCS(const TAutoLockCS&) = delete;
    TAutoLockCS& operator=(const TAutoLockCS&) = delete;

    bool Locked() const { return m_locked; }

private:
    bool Usable() const;

    KriticalSection* m_ks;
    bool m_locked = false;
};
