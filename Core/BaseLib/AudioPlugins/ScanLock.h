#pragma once

#include <QString>
#include <functional>
#include <memory>

namespace Platform
{
class FileLock;
}

// Makes the processes that use one effects folder take turns, so that two
// scans never probe a plug-in twice or take each other's crash markers for
// crashes, and an edit of the results never lands in the middle of a scan.
// It lies on a file in the effects folder, where every process sees it, and
// the system releases it when its holder dies, even a killed one. Inside one
// process it is shared: it is held while any reference to it lives.
class ScanLock
{
public:
    static constexpr const char* kFileName = "FXScan.lock";
    static constexpr int kRetryMs = 100;
    // Asked while another process holds the lock: first with 0, then after
    // each retry with the time waited so far. False gives up.
    using Wait = std::function<bool(int waitedMs)>;

    // Waits until no other process holds the lock; null when wait gave up.
    // Where the file cannot be locked (a file system without locks) nothing
    // keeps the others out; that is traced, and the scan goes on.
    static std::shared_ptr<ScanLock> Take(const QString& effectsFolder, const Wait& wait);
    ~ScanLock();
    ScanLock(const ScanLock&) = delete;
    ScanLock& operator=(const ScanLock&) = delete;

private:
    explicit ScanLock(std::unique_ptr<Platform::FileLock> lock);

    std::unique_ptr<Platform::FileLock> m_lock;
};
