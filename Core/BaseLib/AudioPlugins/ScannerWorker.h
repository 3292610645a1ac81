#pragma once

#include "Core/BaseLib/AudioPlugins/ScannerRun.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class KriticalSection;
class ScanLock;

// Runs the scan on a thread of its own: one scanner process with its
// restarts, or, for a parallel scan, several at once, each a job with its own
// results folder, markers and restarts, and then one more run that merges
// what they found into the effects folder. The scanner lock is held for the
// whole scan, so two workers never overlap.
class ScannerWorker
{
public:
    static constexpr int kMaxRuns = ScannerRun::kMaxRuns;
    using Failure = ScannerRun::Failure;

    struct Settings
    {
        QString program;
        // The scanner's arguments: the scan request, and what it is to do.
        QStringList arguments;
        QString effectsFolder;
        // The files of the effects folder that a scanner run writes.
        QStringList resultFiles;
        // See ScannerRun::Settings.
        int probeTimeoutMs = 0;
        // Scanner processes probing at once.
        int jobs = 1;
    };

    struct Hooks
    {
        std::function<void()> writeRequest;
        // Lets the hosts pick up the result files the scanner changed.
        std::function<void()> reloadChanged;
    };

    // The folder lock, when there is one, is let go when the run ends.
    ScannerWorker(Settings settings, KriticalSection& scannerLock, Hooks hooks,
                  std::shared_ptr<ScanLock> folderLock = nullptr);
    // Stops and joins.
    ~ScannerWorker();
    ScannerWorker(const ScannerWorker&) = delete;
    ScannerWorker& operator=(const ScannerWorker&) = delete;

    // Makes the worker leave within one wait step, without reloading, and joins it.
    void Stop();
    // Ends the scan within one wait step, without reloading. The probe under
    // way is not held against its plug-in: its crash marker goes with the
    // killed scanner, so the next scan probes it again. What the jobs of a
    // parallel scan found is merged all the same. Any thread may ask.
    void Interrupt() { m_interrupt = true; }
    bool Finished() const { return m_finished; }
    // Scanner processes started so far.
    int Runs() const { return m_runs; }
    // Set when a run failed; the result files are then as that run found
    // them, and nothing was reloaded.
    std::optional<Failure> LastFailure() const;
    // The folders in which scanners of this scan leave their crash markers.
    QStringList MarkerFolders() const;

    static bool MarkersRemain(const QString& effectsFolder)
    {
        return ScannerRun::MarkersRemain(effectsFolder);
    }

private:
    void Run();
    void RunScan();
    bool Ending() const { return m_stop || m_interrupt; }
    ScannerRun::Settings RunSettings(QStringList options, const QString& folder) const;
    void RunJobs();
    void PrepareJobFolders() const;
    // Job folders an earlier parallel scan left, whose finds are merged first.
    int LeftoverJobs() const;
    void MergeJobs(int jobs);
    void MoveJobMarkers(int jobs) const;
    void KeepFailure(const ScannerRun& run);

    const Settings m_settings;
    KriticalSection& m_scannerLock;
    const Hooks m_hooks;
    std::shared_ptr<ScanLock> m_folderLock;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_interrupt{false};
    std::atomic<bool> m_finished{false};
    std::atomic<int> m_runs{0};
    mutable std::mutex m_failureLock;
    std::optional<Failure> m_failure;
    std::thread m_thread;
};
