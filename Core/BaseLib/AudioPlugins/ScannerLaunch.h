#pragma once

#include "Core/BaseLib/AudioPlugins/ScanLock.h"
#include "Core/BaseLib/AudioPlugins/ScannerWorker.h"
#include "Core/BaseLib/KriticalSection.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>

// The catalogue's side of the scanner process: how it is started, the worker
// that restarts it while crash markers remain, and the effects folder's scan
// lock that keeps other processes out while results are reloaded or written.
class ScannerLaunch
{
public:
    // The scanner beside the running program unless one was set (tests do).
    QString Path() const;
    void SetPath(const QString& path) { m_pathOverride = path; }
    // Scanners started from now on take a probe longer than this for a hang
    // (0: no limit); see ScannerWorker.
    void SetProbeTimeout(int milliseconds) { m_probeTimeoutMs = milliseconds; }
    // Scanner processes that probe at once; see ScannerWorker.
    void SetJobs(int jobs) { m_jobs = jobs; }
    // A scanner that grows past this many MiB (0: no limit) is started again
    // where it stopped; unset, the scanner's own limit holds.
    void SetMemoryLimit(std::optional<std::int64_t> mebibytes) { m_memoryLimitMiB = mebibytes; }

    // Starts a worker for the request, which watches the result files the
    // scanner writes in the effects folder; the folder lock is let go when it ends.
    void Start(const QString& requestPath, const QString& effectsFolder, const QStringList& resultFiles,
               ScannerWorker::Hooks hooks, std::shared_ptr<ScanLock> folderLock);
    void Stop() { m_worker.reset(); }
    bool IsRunning() const { return m_worker && !m_worker->Finished(); }
    // Scanner processes the current or last worker started.
    int Runs() const { return m_worker ? m_worker->Runs() : 0; }
    std::optional<ScannerWorker::Failure> LastFailure() const;
    // The folders in which the scan under way leaves its crash markers.
    QStringList MarkerFolders(const QString& effectsFolder) const;
    void Interrupt();

    // Asked while another process holds the scan lock; without it the
    // catalogue waits as long as it takes.
    void SetLockWait(ScanLock::Wait wait) { m_lockWait = std::move(wait); }
    // The lock this process holds, or a newly taken one; null when the wait was given up.
    std::shared_ptr<ScanLock> TakeLock(const QString& effectsFolder);
    // Keeps the lock until ReleaseLock (the catalogue's Shutdown), so that edits
    // of the results never meet another process's scan. False when the wait was
    // given up.
    bool HoldLock(const QString& effectsFolder);
    void ReleaseLock() { m_heldLock.reset(); }

private:
    QString m_pathOverride;
    int m_probeTimeoutMs = 0;
    int m_jobs = 1;
    std::optional<std::int64_t> m_memoryLimitMiB;
    KriticalSection m_scannerLock;
    // Whoever holds a reference holds the lock: a launch, its worker, HoldLock.
    std::weak_ptr<ScanLock> m_lock;
    std::shared_ptr<ScanLock> m_heldLock;
    ScanLock::Wait m_lockWait;
    // Last, so that it ends, and joins its thread, before what it uses goes.
    std::unique_ptr<ScannerWorker> m_worker;
};
