#include "Core/BaseLib/ScanJob.h"

#include "Core/BaseLib/FileUtilities.h"
#include "Platform/ProcessUsage.h"

#include <QFile>
#include <QTextStream>

namespace
{
const char* const kResumeFile = "/PlugSweep.resume";
} // namespace

ScanJob& ScanJob::Current()
{
    static ScanJob job;
    return job;
}

QString ScanJob::FoldersRoot(const QString& effectsFolder)
{
    return effectsFolder + QStringLiteral(".jobs");
}

QString ScanJob::Folder(const QString& effectsFolder, int job)
{
    return FoldersRoot(effectsFolder) + QLatin1Char('/') + QString::number(job);
}

QStringList ScanJob::MergedFolders(const QString& effectsFolder) const
{
    QStringList folders;
    for (int job = 0; job < m_merged; ++job)
        folders << Folder(effectsFolder, job);
    return folders;
}

void ScanJob::SetShare(int index, int count)
{
    m_index = index;
    m_count = count;
}

bool ScanJob::OverMemoryLimit()
{
    if (!m_limitReached && m_memoryLimitMiB > 0)
        m_limitReached = Platform::ResidentKiB() > m_memoryLimitMiB * 1024;
    return m_limitReached;
}

// Lines of "format place".
void ScanJob::TakeResume(const QString& folder)
{
    QFile file(folder + QLatin1String(kResumeFile));
    if (!file.open(QIODevice::ReadOnly))
        return;
    QTextStream in(&file);
    for (QString line = in.readLine(); !line.isNull(); line = in.readLine())
    {
        const QStringList fields = line.split(QLatin1Char(' '));
        bool ok = false;
        const qulonglong listed = fields.size() == 2 ? fields[1].toULongLong(&ok) : 0;
        if (ok)
            m_resume[fields[0]] = listed;
    }
    file.remove();
}

void ScanJob::KeepResume(const QString& folder) const
{
    QByteArray lines;
    for (auto place = m_resume.begin(); place != m_resume.end(); ++place)
        lines += place.key().toUtf8() + ' ' + QByteArray::number(place.value()) + '\n';
    FileUtilities::WriteAtomically(folder + QLatin1String(kResumeFile), lines);
}
