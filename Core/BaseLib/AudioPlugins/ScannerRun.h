#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>

class QProcess;

// One scanner's runs over one results folder: starts the scanner, waits for
// it in steps, and starts it again while it leaves crash markers behind (each
// names a plug-in that killed it, which the next run records as crashed and
// skips), or when it stopped at its memory limit, which blames nobody.
class ScannerRun
{
public:
    // A scanner that dies on every run is given up after this many.
    static constexpr int kMaxRuns = 10;
    // Memory restarts each follow at least one probe; this only bounds a
    // scanner that misbehaves.
    static constexpr int kMaxMemoryRestarts = 1000;
    static constexpr int kStartTimeoutMs = 30000;
    // How long a stop request can go unnoticed while the scanner runs.
    static constexpr int kWaitStepMs = 1000;

    struct Settings
    {
        QString program;
        QStringList arguments;
        // Where the scanner writes its results and crash markers.
        QString folder;
        // The files of that folder that a scanner run writes.
        QStringList resultFiles;
        // A probe that takes longer than this (0: no limit) is taken for a
        // hang: the scanner is killed and its crash marker left behind, so
        // that the next run records the plug-in as not working.
        int probeTimeoutMs = 0;
    };

    // A run that ended by a signal or a non-zero exit and left no crash
    // marker of its own: no plug-in is to blame, so it is not run again.
    struct Failure
    {
        bool signalled = false;
        // The exit code, or the signal's number.
        int code = 0;
    };

    // stop ends the runs at once; interrupt does too, and also takes back the
    // marker of the probe under way, so that its plug-in is not blamed.
    // Every scanner process started is counted in runs.
    ScannerRun(Settings settings, const std::atomic<bool>& stop, const std::atomic<bool>& interrupt,
               std::atomic<int>& runs);

    // beforeEachRun (may be empty) is called before every start.
    void Run(const std::function<void()>& beforeEachRun);
    std::optional<Failure> LastFailure() const;

    static bool MarkersRemain(const QString& folder);
    static const QStringList& MarkerPatterns();

private:
    enum class Outcome
    {
        Restart,
        MemoryRestart,
        Ended,
    };

    Outcome RunScanner();
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
    const std::atomic<bool>& m_stop;
    const std::atomic<bool>& m_interrupt;
    std::atomic<int>& m_runs;
    mutable std::mutex m_failureLock;
    std::optional<Failure> m_failure;
};
