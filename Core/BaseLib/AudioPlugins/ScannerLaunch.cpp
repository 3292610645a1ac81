#include "Core/BaseLib/AudioPlugins/ScannerLaunch.h"

#include <QCoreApplication>

QString ScannerLaunch::Path() const
{
    if (!m_pathOverride.isEmpty())
        return m_pathOverride;
    return QCoreApplication::applicationDirPath() + QStringLiteral("/PlugSweep");
}

void ScannerLaunch::Start(const QString& requestPath, const QString& effectsFolder,
                          const QStringList& resultFiles, ScannerWorker::Hooks hooks,
                          std::shared_ptr<ScanLock> folderLock)
{
    m_worker.reset();
    QStringList arguments{requestPath};
    if (m_memoryLimitMiB)
        arguments =
            QStringList{QStringLiteral("-memory_limit"), QString::number(*m_memoryLimitMiB)} + arguments;
    ScannerWorker::Settings settings{Path(), arguments, effectsFolder, resultFiles, m_probeTimeoutMs, m_jobs};
    m_worker = std::make_unique<ScannerWorker>(std::move(settings), m_scannerLock, std::move(hooks),
                                               std::move(folderLock));
}

std::optional<ScannerWorker::Failure> ScannerLaunch::LastFailure() const
{
    return m_worker ? m_worker->LastFailure() : std::nullopt;
}

QStringList ScannerLaunch::MarkerFolders(const QString& effectsFolder) const
{
    return m_worker ? m_worker->MarkerFolders() : QStringList{effectsFolder};
}

void ScannerLaunch::Interrupt()
{
    if (m_worker)
        m_worker->Interrupt();
}

std::shared_ptr<ScanLock> ScannerLaunch::TakeLock(const QString& effectsFolder)
{
    std::shared_ptr<ScanLock> lock = m_lock.lock();
    if (!lock)
        m_lock = lock = ScanLock::Take(effectsFolder, m_lockWait);
    return lock;
}

bool ScannerLaunch::HoldLock(const QString& effectsFolder)
{
    m_heldLock = TakeLock(effectsFolder);
    return m_heldLock != nullptr;
}
