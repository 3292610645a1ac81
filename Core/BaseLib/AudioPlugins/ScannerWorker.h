#pragma once

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

    ScannerWorker(QString program, QStringList arguments, QString effectsFolder, KriticalSection& scannerLock,
                  Hooks hooks);
    // Stops and joins.
    ~ScannerWorker();
    ScannerWorker(const ScannerWorker&) = delete;
    ScannerWorker& operator=(const ScannerWorker&) = delete;

    // Makes the worker leave within one wait step, without reloading, and joins it.
    void Stop();
    bool Finished() const { return m_finished; }
    // Scanner processes started so far.
    int Runs() const { return m_runs; }

    static bool MarkersRemain(const QString& effectsFolder);

private:
    void Run();
    void RunWithRestarts();
    // False when the stop flag ended the run.
    bool RunScanner();

    const QString m_program;
    const QStringList m_arguments;
    const QString m_effectsFolder;
    KriticalSection& m_scannerLock;
    const Hooks m_hooks;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_finished{false};
    std::atomic<int> m_runs{0};
    std::thread m_thread;
};
