#pragma once

#include "Core/BaseLib/AudioPlugins/PluginList.h"
#include "Core/BaseLib/KriticalSection.h"
#include "Core/BaseLib/Utf16Order.h"
#include "Main/AudioEngineController/Effects/VST3/VST3EffectRecord.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <atomic>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

class FolderListing;
class RewriteSchedule;
class ScanFolder;

// The VST 3 folder scan. Keeps the known classes of the configuration file,
// walks the plug-in folders for modules, reuses what it knows of unchanged
// modules and probes new and changed ones one at a time, each behind a crash
// marker, so that a module that kills the process is recorded as crashed by
// the next run instead of being probed again.
class VST3ScanState
{
public:
    VST3ScanState(QString effectsFolder, std::vector<std::wstring> folders);

    // Reads the configuration file and turns leftover crash markers into
    // disabled entries; false only when the file is malformed.
    bool LoadKnownPlugins();
    // Without scan, only takes over the known classes; with it, scans the
    // folders. True when the scan wrote the configuration file.
    bool LaunchScanner(bool scan);
    // The scan stops after the module under way; any thread may ask.
    void StopScan() { m_stopRequested = true; }
    const std::vector<std::wstring>& GetFolderList() const { return m_folders; }
    QString ConfigurationPath() const;

    // The catalogue's view; a class's metadata width, where it has one,
    // stands for its outputs.
    void FillPluginList(PluginTypeList& list, const std::map<std::wstring, std::int32_t>& widths) const;
    bool ApplyCatalogueEdits(const PluginTypeList& edits, bool& rescanNeeded);
    bool KnowsPlugin(const std::wstring& identifier) const;
    bool IsNameKnown(const std::wstring& name) const;
    // The record of an enabled class; the results stay readable while a scan runs.
    std::optional<VST3EffectRecord> EnabledRecord(const std::wstring& identifier) const;

private:
    struct Candidate
    {
        std::string path;
        std::string fileTime;
        QString filePath;
        QString fileName;
        // Its place in the scan's listing.
        std::size_t listed = 0;
        // The known list already had entries for the file name.
        bool known = false;
    };

    // A result keeps its lines of the configuration file once written, so
    // that rewriting the file after every module does not format every entry
    // again.
    struct Result
    {
        VST3EffectRecord record;
        QByteArray lines;
    };
    // Keyed by class id text, in the file's order.
    using Results = std::map<std::wstring, Result, Utf16Order>;
    // Module file name to its classes; a module that crashed has one entry.
    using KnownList = std::multimap<QString, VST3EffectRecord>;

    bool ReadConfiguration();
    bool ReadCrashMarkers();
    void ReadJobResults();
    static void InsertKnown(KnownList& known, VST3EffectRecord record);
    bool MergeCrashMarker(const VST3EffectRecord& marker);
    void AddKnownPlugins();
    void ClearResults();

    void Scan(RewriteSchedule& schedule);
    std::vector<Candidate> Triage();
    void TriageFolder(FolderListing& listing, const std::wstring& folder, QSet<QString>& seen,
                      std::vector<Candidate>& queue);
    void TriageCandidate(const QString& path, std::size_t listed, std::vector<Candidate>& queue);
    void KeepKnownIn(const ScanFolder& folder, QSet<QString>& seen);
    void KeepUnprobed(const std::vector<Candidate>& queue, std::size_t from);
    bool ProbeCandidate(const Candidate& candidate, std::size_t queued);
    bool AdoptCandidate(const Candidate& candidate);
    bool RecordClasses(const Candidate& candidate, std::vector<VST3EffectRecord>& records,
                       std::size_t queued);
    bool RecordFailure(const Candidate& candidate, bool hasFactory);
    void CarryUserChoices(VST3EffectRecord& record, const QString& fileName) const;
    QString CreateCrashMarker(const Candidate& candidate) const;

    bool AddResult(VST3EffectRecord record);
    bool PreferNewerWaveShell(const VST3EffectRecord& record, Results::iterator existing);
    void WriteConfiguration();

    static void FindFiles(FolderListing& listing, QStringList& out, const QString& folder,
                          const QStringList& nameFilters);
    static void MakeNameFromPath(const std::string& path, std::wstring& name);

    const QString m_effectsFolder;
    const std::vector<std::wstring> m_folders;
    KnownList m_knownPlugins;
    // What the jobs of a parallel scan found, taken over by the run that merges them.
    KnownList m_jobResults;
    // Guards the results on their own, so that plug-ins of the classes known
    // so far stay loadable while a scan runs.
    mutable KriticalSection m_resultsLock;
    Results m_results;
    std::set<std::wstring> m_resultNames;
    std::atomic<bool> m_stopRequested{false};
    // File names of the modules that ended the run before; finds ahead of
    // the first of them in this run are written at once.
    QSet<QString> m_crashedModules;
    std::size_t m_writeThroughBefore = 0;
    // Modules met so far in this scan's listing, which decides a job's share.
    std::size_t m_listed = 0;
};
