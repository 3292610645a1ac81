#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>

// The share of a scan that this scanner process takes, set once from its
// command line before the scan starts. A parallel scan runs several scanners
// at once, each probing every count-th plug-in file of the listing in a
// results folder of its own, so that each keeps its own crash markers and
// restarts; one more run then merges what they found into the effects
// folder, in the order a single scanner would have found it, and probes
// nothing itself.
class ScanJob
{
public:
    // The scanner stopped because it grew past its memory limit: it is
    // started again where it stopped, and no plug-in is blamed.
    static constexpr int kExitMemoryLimit = 75;
    static constexpr std::int64_t kDefaultMemoryLimitMiB = 1024;

    static ScanJob& Current();
    // Where job `job` of a scan of effectsFolder keeps its results and markers:
    // beside the effects folder, whose own markers are looked for in its subfolders.
    static QString Folder(const QString& effectsFolder, int job);
    static QString FoldersRoot(const QString& effectsFolder);

    // Whether this process probes the plug-in file at this place in the listing.
    bool Probes(std::size_t listed) const
    {
        return m_count <= 1 || std::int64_t(listed % std::size_t(m_count)) == m_index;
    }
    // Whether this process is one job of a parallel scan.
    bool IsShare() const { return m_count > 1; }
    int Index() const { return m_index; }
    bool Merging() const { return m_merged > 0; }
    // The job folders whose results a merging run takes over.
    QStringList MergedFolders(const QString& effectsFolder) const;
    // Checked after each probe; once over the limit, it stays so.
    bool OverMemoryLimit();
    bool MemoryLimitReached() const { return m_limitReached; }

    // Where in its format's listing a scanner that stopped at its memory
    // limit is to carry on: plug-in files before it were probed already, and
    // one that gave no entry must not end every run from then on.
    std::size_t ResumeAt(const QString& format) const { return std::size_t(m_resume.value(format)); }
    void SetResumeAt(const QString& format, std::size_t listed) { m_resume[format] = qulonglong(listed); }
    // The place is read once and removed, so that only the run right after
    // the stop skips anything; it is written only after such a stop.
    void TakeResume(const QString& folder);
    void KeepResume(const QString& folder) const;

    void SetShare(int index, int count);
    void SetMerged(int jobs) { m_merged = jobs; }
    // 0: no limit.
    void SetMemoryLimitMiB(std::int64_t mebibytes) { m_memoryLimitMiB = mebibytes; }

private:
    int m_index = 0;
    int m_count = 1;
    int m_merged = 0;
    std::int64_t m_memoryLimitMiB = kDefaultMemoryLimitMiB;
    bool m_limitReached = false;
    QHash<QString, qulonglong> m_resume;
};
