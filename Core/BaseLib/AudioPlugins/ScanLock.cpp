#include "Core/BaseLib/AudioPlugins/ScanLock.h"

#include "Core/BaseLib/Debug.h"
#include "Platform/FileLock.h"

#include <QFile>
#include <QThread>

ScanLock::ScanLock(std::unique_ptr<Platform::FileLock> lock) : m_lock(std::move(lock)) {}

ScanLock::~ScanLock() = default;

std::shared_ptr<ScanLock> ScanLock::Take(const QString& effectsFolder, const Wait& wait)
{
    using Outcome = Platform::FileLock::Outcome;
    const QString path = effectsFolder + QLatin1Char('/') + QLatin1String(kFileName);
    auto lock = std::make_unique<Platform::FileLock>(QFile::encodeName(path).toStdString());
    Outcome outcome = lock->TryLock();
    for (int waitedMs = 0; outcome == Outcome::Busy; outcome = lock->TryLock(), waitedMs += kRetryMs)
    {
        if (waitedMs == 0)
            DebugOut("ScanLock - Another process scans or edits %s, waiting", qPrintable(effectsFolder));
        if (wait && !wait(waitedMs))
            return nullptr;
        QThread::msleep(kRetryMs);
    }
    if (outcome == Outcome::Unavailable)
        DebugOut("ScanLock - Cannot lock %s; nothing keeps another scan out", qPrintable(path));
    return std::shared_ptr<ScanLock>(new ScanLock(std::move(lock)));
}
