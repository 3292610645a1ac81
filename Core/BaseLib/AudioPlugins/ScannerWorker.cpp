#include "Core/BaseLib/AudioPlugins/ScannerWorker.h"

#include "Core/BaseLib/Debug.h"
#include "Core/BaseLib/KriticalSection.h"
#include "Platform/ChildProcess.h"

#include <QDir>
#include <QProcess>

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

ScannerWorker::ScannerWorker(QString program, QStringList arguments, QString effectsFolder,
                             KriticalSection& scannerLock, Hooks hooks, int probeTimeoutMs)
    : m_program(std::move(program)), m_arguments(std::move(arguments)),
      m_effectsFolder(std::move(effectsFolder)), m_scannerLock(scannerLock), m_hooks(std::move(hooks)),
      m_probeTimeoutMs(probeTimeoutMs), m_thread([this] { Run(); })
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

bool ScannerWorker::MarkersRemain(const QString& effectsFolder)
{
    return !QDir(effectsFolder).entryList(kMarkerPatterns, QDir::Files).isEmpty();
}

ScannerWorker::MarkerTimes ScannerWorker::Markers() const
{
    MarkerTimes markers;
    for (const QFileInfo& marker : QDir(m_effectsFolder).entryInfoList(kMarkerPatterns, QDir::Files))
        markers.insert(marker.fileName(), marker.lastModified());
    return markers;
}

bool ScannerWorker::ProbeOverdue(const MarkerTimes& leftovers) const
{
    if (m_probeTimeoutMs <= 0)
        return false;
    const QDateTime now = QDateTime::currentDateTime();
    const MarkerTimes markers = Markers();
    for (auto marker = markers.begin(); marker != markers.end(); ++marker)
        if (leftovers.value(marker.key()) != marker.value() && marker.value().msecsTo(now) > m_probeTimeoutMs)
            return true;
    return false;
}

void ScannerWorker::RemoveMarkers() const
{
    QDir folder(m_effectsFolder);
    for (const QString& marker : folder.entryList(kMarkerPatterns, QDir::Files))
        folder.remove(marker);
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
    m_finished = true;
}

void ScannerWorker::RunWithRestarts()
{
    TAutoLockCS lock(&m_scannerLock);
    for (int attempt = 0; attempt < kMaxRuns && !Ending();)
    {
        m_hooks.writeRequest();
        if (!RunScanner())
            break;
        ++attempt;
        if (!MarkersRemain(m_effectsFolder))
            break;
    }
    if (!Ending())
        m_hooks.reloadChanged();
}

bool ScannerWorker::RunScanner()
{
    const MarkerTimes leftovers = Markers();
    ScannerProcess process;
    process.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(m_program, m_arguments, QIODevice::ReadWrite);
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
                     m_probeTimeoutMs);
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
    return !Ending();
}
