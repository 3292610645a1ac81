#include "Core/BaseLib/AudioPlugins/ScannerWorker.h"

#include "Core/BaseLib/Debug.h"
#include "Core/BaseLib/KriticalSection.h"

#include <QDir>
#include <QProcess>

ScannerWorker::ScannerWorker(QString program, QStringList arguments, QString effectsFolder,
                             KriticalSection& scannerLock, Hooks hooks)
    : m_program(std::move(program)), m_arguments(std::move(arguments)),
      m_effectsFolder(std::move(effectsFolder)), m_scannerLock(scannerLock), m_hooks(std::move(hooks)),
      m_thread([this] { Run(); })
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
    return !QDir(effectsFolder)
                .entryList({QStringLiteral("*.scan"), QStringLiteral("*.scan3")}, QDir::Files)
                .isEmpty();
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
    for (int attempt = 0; attempt < kMaxRuns;)
    {
        m_hooks.writeRequest();
        if (!RunScanner())
            break;
        ++attempt;
        if (!MarkersRemain(m_effectsFolder))
            break;
    }
    if (!m_stop)
        m_hooks.reloadChanged();
}

bool ScannerWorker::RunScanner()
{
    QProcess process;
    process.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(m_program, m_arguments, QIODevice::ReadWrite);
    if (!process.waitForStarted(kStartTimeoutMs))
    {
        // The attempt ends here: there is no process to wait for.
        DebugOut("Scanner failed to Start: %d", int(process.error()));
        return !m_stop;
    }
    ++m_runs;
    while (!m_stop && process.state() != QProcess::NotRunning)
        process.waitForFinished(kWaitStepMs);
    if (process.state() != QProcess::NotRunning)
    {
        process.kill();
        process.waitForFinished(kWaitStepMs);
    }
    return !m_stop;
}
