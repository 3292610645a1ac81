#include "Core/BaseLib/AudioPlugins/ScannerRun.h"

#include "Core/BaseLib/Debug.h"
#include "Core/BaseLib/FileUtilities.h"
#include "Core/BaseLib/ScanJob.h"
#include "Core/BaseLib/XML/XMLDocument.h"
#include "Core/BaseLib/XML/XMLException.h"
#include "Platform/ChildProcess.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <iterator>

namespace
{
// The scanner, started apart from the terminal's signals: an interrupt there
// reaches the host alone, which ends the scan without blaming a plug-in.
class ScannerProcess : public QProcess
{
protected:
    void setupChildProcess() override { Platform::IsolateChildProcess(); }
};
} // namespace

ScannerRun::ScannerRun(Settings settings, const std::atomic<bool>& stop, const std::atomic<bool>& interrupt,
                       std::atomic<int>& runs)
    : m_settings(std::move(settings)), m_stop(stop), m_interrupt(interrupt), m_runs(runs)
{
}

const QStringList& ScannerRun::MarkerPatterns()
{
    static const QStringList patterns{QStringLiteral("*.scan"), QStringLiteral("*.scan3")};
    return patterns;
}

bool ScannerRun::MarkersRemain(const QString& folder)
{
    return !QDir(folder).entryList(MarkerPatterns(), QDir::Files).isEmpty();
}

std::optional<ScannerRun::Failure> ScannerRun::LastFailure() const
{
    std::lock_guard<std::mutex> lock(m_failureLock);
    return m_failure;
}

void ScannerRun::Run(const std::function<void()>& beforeEachRun)
{
    int memoryRestarts = 0;
    for (int attempt = 0; attempt < kMaxRuns && !Ending();)
    {
        if (beforeEachRun)
            beforeEachRun();
        const Outcome outcome = RunScanner();
        if (outcome == Outcome::Ended || LastFailure())
            return;
        if (outcome == Outcome::MemoryRestart && ++memoryRestarts <= kMaxMemoryRestarts)
            continue;
        ++attempt;
        if (!MarkersRemain(m_settings.folder))
            return;
    }
}

ScannerRun::MarkerTimes ScannerRun::Markers() const
{
    MarkerTimes markers;
    for (const QFileInfo& marker : QDir(m_settings.folder).entryInfoList(MarkerPatterns(), QDir::Files))
        markers.insert(marker.fileName(), marker.lastModified());
    return markers;
}

ScannerRun::MarkerTimes ScannerRun::MarkersOfThisRun(const MarkerTimes& leftovers) const
{
    MarkerTimes markers = Markers();
    for (auto marker = markers.begin(); marker != markers.end();)
        marker = leftovers.value(marker.key()) == marker.value() ? markers.erase(marker) : std::next(marker);
    return markers;
}

bool ScannerRun::ProbeOverdue(const MarkerTimes& leftovers) const
{
    if (m_settings.probeTimeoutMs <= 0)
        return false;
    const QDateTime now = QDateTime::currentDateTime();
    for (const QDateTime& written : MarkersOfThisRun(leftovers))
        if (written.msecsTo(now) > m_settings.probeTimeoutMs)
            return true;
    return false;
}

void ScannerRun::RemoveMarkers() const
{
    QDir folder(m_settings.folder);
    for (const QString& marker : folder.entryList(MarkerPatterns(), QDir::Files))
        folder.remove(marker);
}

ScannerRun::Snapshot ScannerRun::ResultFiles() const
{
    Snapshot files;
    for (const QString& name : m_settings.resultFiles)
    {
        QFile file(QDir(m_settings.folder).filePath(name));
        if (file.open(QIODevice::ReadOnly))
            files.insert(name, file.readAll());
    }
    return files;
}

// The scanner replaces its result files whole, so what a failed run left
// that still parses holds what it found and is kept: a run killed between two
// probes loses nothing. Only a file it left broken goes back to what it was.
void ScannerRun::Restore(const Snapshot& before) const
{
    const Snapshot after = ResultFiles();
    for (const QString& name : m_settings.resultFiles)
    {
        const QString path = QDir(m_settings.folder).filePath(name);
        if (!after.contains(name) || (before.contains(name) && after[name] == before[name]) || IsWhole(path))
            continue;
        if (before.contains(name))
            FileUtilities::WriteAtomically(path, before[name]);
        else
            QFile::remove(path);
    }
}

bool ScannerRun::IsWhole(const QString& path)
{
    try
    {
        XMLDocument document;
        document.Load(path.toStdWString().c_str());
        return true;
    }
    catch (const XMLException&)
    {
        return false;
    }
}

void ScannerRun::RecordFailure(const QProcess& process, const Snapshot& before)
{
    const Failure failure{process.exitStatus() == QProcess::CrashExit, process.exitCode()};
    DebugOut(failure.signalled ? "ScannerWorker - The scanner failed: killed by signal %d"
                               : "ScannerWorker - The scanner failed: exit %d",
             failure.code);
    Restore(before);
    std::lock_guard<std::mutex> lock(m_failureLock);
    m_failure = failure;
}

ScannerRun::Outcome ScannerRun::RunScanner()
{
    const MarkerTimes leftovers = Markers();
    const Snapshot results = ResultFiles();
    ScannerProcess process;
    process.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(m_settings.program, m_settings.arguments, QIODevice::ReadWrite);
    if (!process.waitForStarted(kStartTimeoutMs))
    {
        // The attempt ends here: there is no process to wait for.
        DebugOut("Scanner failed to Start: %d", int(process.error()));
        return Ending() ? Outcome::Ended : Outcome::Restart;
    }
    ++m_runs;
    while (!Ending() && process.state() != QProcess::NotRunning)
    {
        process.waitForFinished(kWaitStepMs);
        if (process.state() != QProcess::NotRunning && ProbeOverdue(leftovers))
        {
            DebugOut("ScannerWorker - A probe took longer than %d ms, stopping the scanner",
                     m_settings.probeTimeoutMs);
            break;
        }
    }
    if (process.state() != QProcess::NotRunning)
    {
        process.kill();
        process.waitForFinished(kWaitStepMs);
        // Only a scanner that was still running when the interrupt came was
        // in the middle of a probe; a marker left by one that had died is a crash.
        if (m_interrupt)
            RemoveMarkers();
    }
    else if (process.exitStatus() == QProcess::NormalExit &&
             process.exitCode() == ScanJob::kExitMemoryLimit && MarkersOfThisRun(leftovers).isEmpty())
        return Outcome::MemoryRestart;
    else if ((process.exitStatus() == QProcess::CrashExit || process.exitCode() != 0) &&
             MarkersOfThisRun(leftovers).isEmpty())
        RecordFailure(process, results);
    return Ending() ? Outcome::Ended : Outcome::Restart;
}
