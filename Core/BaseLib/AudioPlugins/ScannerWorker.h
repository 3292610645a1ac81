#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <thread>

class KriticalSection;

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

    struct Hooks
    {
        std::function<void()> writeRequest;
        // Lets the hosts pick up the result files the scanner changed.
        std::function<void()> reloadChanged;
    };

    // A probe that takes longer than probeTimeoutMs (0: no limit) is taken
    // for a hang: the scanner is killed and its crash marker left behind, so
    // that the next run records the plug-in as not working.
    ScannerWorker(QString program, QStringList arguments, QString effectsFolder, KriticalSection& scannerLock,
                  Hooks hooks, int probeTimeoutMs = 0);
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
    // Whether a marker of this run has lain there longer than the probe time-out.
    bool ProbeOverdue(const MarkerTimes& leftovers) const;
    void RemoveMarkers() const;

    const QString m_program;
    const QStringList m_arguments;
    const QString m_effectsFolder;
    KriticalSection& m_scannerLock;
    const Hooks m_hooks;
    const int m_probeTimeoutMs;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_interrupt{false};
    std::atomic<bool> m_finished{false};
    std::atomic<int> m_runs{0};
    std::thread m_thread;
};
