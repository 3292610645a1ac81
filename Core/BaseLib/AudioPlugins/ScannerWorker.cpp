#include "Core/BaseLib/AudioPlugins/ScannerWorker.h"

#include "Core/BaseLib/AudioPlugins/ScanLock.h"
#include "Core/BaseLib/Debug.h"
#include "Core/BaseLib/KriticalSection.h"
#include "Core/BaseLib/ScanJob.h"

#include <QDir>
#include <QFile>
#include <vector>

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

void ScannerWorker::KeepFailure(const ScannerRun& run)
{
    const std::optional<Failure> failure = run.LastFailure();
    std::lock_guard<std::mutex> lock(m_failureLock);
    if (failure && !m_failure)
        m_failure = failure;
}

QStringList ScannerWorker::MarkerFolders() const
{
    QStringList folders{m_settings.effectsFolder};
    for (int job = 0; m_settings.jobs > 1 && job < m_settings.jobs; ++job)
        folders << ScanJob::Folder(m_settings.effectsFolder, job);
    return folders;
}

void ScannerWorker::Run()
{
    // An exception escaping this thread would end the whole host.
    try
    {
        TAutoLockCS lock(&m_scannerLock);
        RunScan();
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

void ScannerWorker::RunScan()
{
    if (const int leftovers = LeftoverJobs())
        MergeJobs(leftovers);
    if (m_settings.jobs > 1)
    {
        RunJobs();
        MergeJobs(m_settings.jobs);
    }
    else
    {
        ScannerRun run(RunSettings({}, m_settings.effectsFolder), m_stop, m_interrupt, m_runs);
        run.Run(m_hooks.writeRequest);
        KeepFailure(run);
    }
    if (!Ending() && !LastFailure())
        m_hooks.reloadChanged();
}

ScannerRun::Settings ScannerWorker::RunSettings(QStringList options, const QString& folder) const
{
    return {m_settings.program, options + m_settings.arguments, folder, m_settings.resultFiles,
            m_settings.probeTimeoutMs};
}

// Each job starts from the results as they are, so that it probes only what
// a single scanner would, and keeps the user's choices for what it probes.
void ScannerWorker::PrepareJobFolders() const
{
    QDir(ScanJob::FoldersRoot(m_settings.effectsFolder)).removeRecursively();
    for (int job = 0; job < m_settings.jobs; ++job)
    {
        const QString folder = ScanJob::Folder(m_settings.effectsFolder, job);
        QDir().mkpath(folder);
        for (const QString& name : m_settings.resultFiles)
            QFile::copy(QDir(m_settings.effectsFolder).filePath(name), QDir(folder).filePath(name));
    }
}

void ScannerWorker::RunJobs()
{
    m_hooks.writeRequest();
    PrepareJobFolders();
    std::vector<std::unique_ptr<ScannerRun>> runs;
    std::vector<std::thread> threads;
    const QString count = QString::number(m_settings.jobs);
    for (int job = 0; job < m_settings.jobs; ++job)
    {
        const QStringList options{QStringLiteral("-job"), QString::number(job) + QLatin1Char('/') + count};
        runs.push_back(
            std::make_unique<ScannerRun>(RunSettings(options, ScanJob::Folder(m_settings.effectsFolder, job)),
                                         m_stop, m_interrupt, m_runs));
        threads.emplace_back([run = runs.back().get()] { run->Run({}); });
    }
    for (std::size_t job = 0; job < threads.size(); ++job)
    {
        threads[job].join();
        KeepFailure(*runs[job]);
    }
}

int ScannerWorker::LeftoverJobs() const
{
    int jobs = 0;
    while (QFileInfo::exists(ScanJob::Folder(m_settings.effectsFolder, jobs)))
        ++jobs;
    return jobs;
}

// What every job found goes into the effects folder, even after an
// interrupt: the merge probes nothing, so it cannot hang. The job folders go
// only once that is done; a host killed before then leaves them for the next
// scan to merge.
void ScannerWorker::MergeJobs(int jobs)
{
    if (m_stop)
        return;
    MoveJobMarkers(jobs);
    static const std::atomic<bool> kNever{false};
    ScannerRun merge(RunSettings({QStringLiteral("-merge"), QString::number(jobs)}, m_settings.effectsFolder),
                     m_stop, kNever, m_runs);
    merge.Run(m_hooks.writeRequest);
    KeepFailure(merge);
    if (!m_stop && !merge.LastFailure())
        QDir(ScanJob::FoldersRoot(m_settings.effectsFolder)).removeRecursively();
}

// A job that gave up on a plug-in that crashes every run leaves its marker;
// in the effects folder the merge records that plug-in as crashed.
void ScannerWorker::MoveJobMarkers(int jobs) const
{
    QDir effects(m_settings.effectsFolder);
    for (int job = 0; job < jobs; ++job)
    {
        const QDir folder(ScanJob::Folder(m_settings.effectsFolder, job));
        for (const QString& marker : folder.entryList(ScannerRun::MarkerPatterns(), QDir::Files))
        {
            effects.remove(marker);
            QFile::rename(folder.filePath(marker), effects.filePath(marker));
        }
    }
}
