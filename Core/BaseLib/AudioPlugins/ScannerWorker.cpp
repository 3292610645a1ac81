#include "Core/BaseLib/AudioPlugins/ScannerWorker.h"

#include "Core/BaseLib/AudioPlugins/ScanLock.h"
#include "Core/BaseLib/Debug.h"
#include "Core/BaseLib/FileUtilities.h"
#include "Core/BaseLib/KriticalSection.h"
#include "Core/BaseLib/XML/XMLDocument.h"
#include "Core/BaseLib/XML/XMLException.h"
#include "Platform/ChildProcess.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <iterator>

namespace
{
const QStringList kMarkerPatterns{QStringLiteral("*.scan"), QStringLiteral("*.scan3")};

// The scanner, started apart from the terminal's signals: an interrupt there
// reaches the host alone, which ends the scan without blaming a plug-in.
class ScannerProcess : public QProcess
{
protected:
    void setupChildProcess() override { Platform::IsolateChildProcess(); }
};
} // namespace

ScannerWorker::ScannerWorker(Settings settings, KriticalSection& scannerLock, Hooks hooks,
                             std::shared_ptr<ScanLock> folderLock)
    : m_settings(std::move(settings)), m_scannerLock(scannerLock), m_hooks(std::move(hooks)),
      m_folderLock(std::move(folderLock)), m_thread([this] { Run(); })
{
}

ScannerWorker::~ScannerWorker()
{
    Stop();
}

void ScannerWorker::Stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

std::optional<ScannerWorker::Failure> ScannerWorker::LastFailure() const
{
    std::lock_guard<std::mutex> lock(m_failureLock);
    return m_failure;
}

bool ScannerWorker::MarkersRemain(const QString& effectsFolder)
{
    return !QDir(effectsFolder).entryList(kMarkerPatterns, QDir::Files).isEmpty();
}

ScannerWorker::MarkerTimes ScannerWorker::Markers() const
{
    MarkerTimes markers;
    for (const QFileInfo& marker : QDir(m_settings.effectsFolder).entryInfoList(kMarkerPatterns, QDir::Files))
        markers.insert(marker.fileName(), marker.lastModified());
    return markers;
}

ScannerWorker::MarkerTimes ScannerWorker::MarkersOfThisRun(const MarkerTimes& leftovers) const
{
    MarkerTimes markers = Markers();
    for (auto marker = markers.begin(); marker != markers.end();)
        marker = leftovers.value(marker.key()) == marker.value() ? markers.erase(marker) : std::next(marker);
    return markers;
}

bool ScannerWorker::ProbeOverdue(const MarkerTimes& leftovers) const
{
    if (m_settings.probeTimeoutMs <= 0)
        return false;
    const QDateTime now = QDateTime::currentDateTime();
    for (const QDateTime& written : MarkersOfThisRun(leftovers))
        if (written.msecsTo(now) > m_settings.probeTimeoutMs)
            return true;
    return false;
}

void ScannerWorker::RemoveMarkers() const
{
    QDir folder(m_settings.effectsFolder);
    for (const QString& marker : folder.entryList(kMarkerPatterns, QDir::Files))
        folder.remove(marker);
}

ScannerWorker::Snapshot ScannerWorker::ResultFiles() const
{
    Snapshot files;
    for (const QString& name : m_settings.resultFiles)
    {
        QFile file(QDir(m_settings.effectsFolder).filePath(name));
        if (file.open(QIODevice::ReadOnly))
            files.insert(name, file.readAll());
    }
    return files;
}

// The scanner replaces its result files whole, so what a failed run left
// that still parses holds what it found and is kept: a run killed between two
// probes loses nothing. Only a file it left broken goes back to what it was.
void ScannerWorker::Restore(const Snapshot& before) const
{
    const Snapshot after = ResultFiles();
    for (const QString& name : m_settings.resultFiles)
    {
        const QString path = QDir(m_settings.effectsFolder).filePath(name);
        if (!after.contains(name) || (before.contains(name) && after[name] == before[name]) || IsWhole(path))
            continue;
        if (before.contains(name))
            FileUtilities::WriteAtomically(path, before[name]);
        else
            QFile::remove(path);
    }
}

bool ScannerWorker::IsWhole(const QString& path)
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

void ScannerWorker::RecordFailure(const QProcess& process, const Snapshot& before)
{
    const Failure failure{process.exitStatus() == QProcess::CrashExit, process.exitCode()};
    DebugOut(failure.signalled ? "ScannerWorker - The scanner failed: killed by signal %d"
                               : "ScannerWorker - The scanner failed: exit %d",
             failure.code);
    Restore(before);
    std::lock_guard<std::mutex> lock(m_failureLock);
    m_failure = failure;
}

void ScannerWorker::Run()
{
    // An exception escaping this thread would end the whole host.
    try
    {
        RunWithRestarts();
    }
    catch (const std::exception& e)
    {
        DebugOut("ScannerWorker - Caught an exception: %s", e.what());
    }
    catch (...)
    {
        DebugOut("ScannerWorker - Caught an exception");
    }
    m_folderLock.reset();
    m_finished = true;
}

void ScannerWorker::RunWithRestarts()
{
    TAutoLockCS lock(&m_scannerLock);
    for (int attempt = 0; attempt < kMaxRuns && !Ending();)
    {
        m_hooks.writeRequest();
        if (!RunScanner() || LastFailure())
            break;
        ++attempt;
        if (!MarkersRemain(m_settings.effectsFolder))
            break;
    }
    if (!Ending() && !LastFailure())
        m_hooks.reloadChanged();
}

bool ScannerWorker::RunScanner()
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
        return !Ending();
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
    else if ((process.exitStatus() == QProcess::CrashExit || process.exitCode() != 0) &&
             MarkersOfThisRun(leftovers).isEmpty())
        RecordFailure(process, results);
    return !Ending();
}
