#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class KriticalSection;
class QProcess;
class ScanLock;

// Runs the scanner process on a thread of its own and starts it again while
// it leaves crash markers behind: each marker names a plug-in that killed it,
// which the next run records as crashed and skips. The scanner lock is held
// for the whole run, so two workers never overlap.
class ScannerWorker
{
public:
    // A scanner that dies on every run is given up after this many.
    static constexpr int kMaxRuns = 10;
    static constexpr int kStartTimeoutMs = 30000;
    // How long a stop request can go unnoticed while the scanner runs.
    static constexpr int kWaitStepMs = 1000;

    struct Settings
    {
        QString program;
        QStringList arguments;
        QString effectsFolder;
        // The files of the effects folder that a scanner run writes.
        QStringList resultFiles;
        // A probe that takes longer than this (0: no limit) is taken for a
        // hang: the scanner is killed and its crash marker left behind, so
        // that the next run records the plug-in as not working.
        int probeTimeoutMs = 0;
    };

    struct Hooks
    {
        std::function<void()> writeRequest;
        // Lets the hosts pick up the result files the scanner changed.
        std::function<void()> reloadChanged;
    };

    // A run that ended by a signal or a non-zero exit and left no crash
    // marker of its own: no plug-in is to blame, so it is not run again.
    struct Failure
    {
        bool signalled = false;
        // The exit code, or the signal's number.
        int code = 0;
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
    // killed scanner, so the next scan probes it again. Any thread may ask.
    void Interrupt() { m_interrupt = true; }
    bool Finished() const { return m_finished; }
    // Scanner processes started so far.
    int Runs() const { return m_runs; }
    // Set when a run failed; the result files are then as that run found
    // them, and nothing was reloaded.
    std::optional<Failure> LastFailure() const;

    static bool MarkersRemain(const QString& effectsFolder);

private:
    void Run();
    void RunWithRestarts();
    // False when the stop or interrupt flag ended the run.
    bool RunScanner();
    bool Ending() const { return m_stop || m_interrupt; }
    // Marker file names and their times: the markers of the run before are
    // no probes of this run, which takes them over before it probes anything.
    using MarkerTimes = QHash<QString, QDateTime>;
    MarkerTimes Markers() const;
    MarkerTimes MarkersOfThisRun(const MarkerTimes& leftovers) const;
    // Whether a marker of this run has lain there longer than the probe time-out.
    bool ProbeOverdue(const MarkerTimes& leftovers) const;
    void RemoveMarkers() const;
    // File name to contents; no entry for a file that does not exist.
    using Snapshot = QHash<QString, QByteArray>;
    Snapshot ResultFiles() const;
    void Restore(const Snapshot& before) const;
    static bool IsWhole(const QString& path);
    void RecordFailure(const QProcess& process, const Snapshot& before);

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
