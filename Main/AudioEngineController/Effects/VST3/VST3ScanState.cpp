#include "Main/AudioEngineController/Effects/VST3/VST3ScanState.h"

#include "Core/BaseLib/Debug.h"
#include "Core/BaseLib/FileUtilities.h"
#include "Core/BaseLib/FolderListing.h"
#include "Core/BaseLib/RewriteSchedule.h"
#include "Core/BaseLib/ScanFolder.h"
#include "Core/BaseLib/ScanJob.h"
#include "Core/BaseLib/XML/XMLException.h"
#include "Main/AudioEngineController/Effects/VST3/VST3ConfigurationFile.h"
#include "Main/AudioEngineController/Effects/VST3/VST3CrashMarker.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Module.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Plugin.h"
#include "Main/VLib/VUI.h"
#include "Platform/FaultGuard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <memory>

namespace
{
const QString kModulePattern = QStringLiteral("*.vst3");
const QString kBundleSuffix = QStringLiteral(".vst3");
// Names this format's place in a scan that carries on after a memory stop.
const QString kFormat = QStringLiteral("vst3");
// Shell modules offer classes that other shells offer too; one is recorded
// only through the classes it delivers, never as failed or crashed.
const char* const kWaveShell = "WaveShell";

QString FileNameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// The version in a shell file's name; 0 for a name that does not follow the pattern.
float WaveShellVersion(const std::string& path)
{
    return FileUtilities::ShellFileVersion(FileNameOf(QString::fromStdString(path)), QStringLiteral("VST3"));
}
} // namespace

VST3ScanState::VST3ScanState(QString effectsFolder, std::vector<std::wstring> folders)
    : m_effectsFolder(std::move(effectsFolder)), m_folders(std::move(folders))
{
}

QString VST3ScanState::ConfigurationPath() const
{
    return m_effectsFolder + QLatin1Char('/') + QLatin1String(VST3ConfigurationFile::kFileName);
}

// The known list is read afresh, so that a reload after a scan elsewhere
// shows that scan's results.
bool VST3ScanState::LoadKnownPlugins()
{
    m_knownPlugins.clear();
    m_crashedModules.clear();
    bool rewrite = false;
    try
    {
        if (QFileInfo::exists(ConfigurationPath()))
            rewrite = ReadConfiguration();
        rewrite = ReadCrashMarkers() || rewrite;
        ReadJobResults();
    }
    catch (const XMLException& e)
    {
        DebugOut(L"VST3Host::LoadKnownPlugins - %ls", e.Message().c_str());
        return false;
    }
    if (rewrite)
    {
        AddKnownPlugins();
        WriteConfiguration();
        ClearResults();
    }
    return true;
}

// True when the file is older than the current version and must be rewritten.
bool VST3ScanState::ReadConfiguration()
{
    VST3ConfigurationFile::Contents contents = VST3ConfigurationFile::Read(ConfigurationPath());
    // Times written before version 1.1 are not trusted: they are taken from
    // the modules as they are now.
    const bool outdated = contents.version < 1.1;
    for (VST3EffectRecord& record : contents.records)
    {
        if (outdated)
            record.fileTime = VST3Module::FileTime(QString::fromStdString(record.path));
        InsertKnown(m_knownPlugins, std::move(record));
    }
    return outdated && !contents.records.empty();
}

// A job's file that cannot be read holds nothing to take over: its modules
// are probed again by the next scan.
void VST3ScanState::ReadJobResults()
{
    m_jobResults.clear();
    for (const QString& folder : ScanJob::Current().MergedFolders(m_effectsFolder))
    {
        const QString path = folder + QLatin1Char('/') + QLatin1String(VST3ConfigurationFile::kFileName);
        if (!QFileInfo::exists(path))
            continue;
        try
        {
            for (VST3EffectRecord& record : VST3ConfigurationFile::Read(path).records)
                InsertKnown(m_jobResults, std::move(record));
        }
        catch (const XMLException& e)
        {
            DebugOut(L"VST3Host - a job's results are unreadable: %ls", e.Message().c_str());
        }
    }
}

void VST3ScanState::InsertKnown(KnownList& known, VST3EffectRecord record)
{
    const QString key = FileNameOf(QString::fromStdString(record.path));
    const auto range = known.equal_range(key);
    for (auto entry = range.first; entry != range.second; ++entry)
        if (entry->second.id == record.id)
            return;
    known.emplace(key, std::move(record));
}

// True when a marker changed the known list.
bool VST3ScanState::ReadCrashMarkers()
{
    // Without an effects folder the walk would start in the working folder.
    if (m_effectsFolder.isEmpty())
        return false;
    FolderListing listing;
    QStringList markers;
    FindFiles(listing, markers, m_effectsFolder, {QLatin1String(VST3CrashMarker::kPattern)});
    bool merged = false;
    for (const QString& marker : markers)
        merged = MergeCrashMarker(VST3CrashMarker::Read(marker)) || merged;
    return merged;
}

// The module that left the marker is recorded as crashed, and stays so until
// the user enables it again.
bool VST3ScanState::MergeCrashMarker(const VST3EffectRecord& marker)
{
    const QString key = FileNameOf(QString::fromStdString(marker.path));
    m_crashedModules.insert(key);
    if (marker.name.find(QString::fromLatin1(kWaveShell).toStdWString()) != std::wstring::npos)
        return false;
    const auto first = m_knownPlugins.lower_bound(key);
    if (first != m_knownPlugins.end() && first->first == key)
    {
        VST3EffectRecord& known = first->second;
        known.id = marker.name;
        known.fileTime = marker.fileTime;
        known.enabled = false;
        known.working = false;
        return true;
    }
    VST3EffectRecord crashed;
    crashed.path = marker.path;
    crashed.name = marker.name;
    crashed.fileTime = marker.fileTime;
    crashed.id = marker.name;
    crashed.enabled = false;
    crashed.working = false;
    m_knownPlugins.emplace(key, std::move(crashed));
    return true;
}

void VST3ScanState::AddKnownPlugins()
{
    for (const auto& known : m_knownPlugins)
        AddResult(known.second);
}

void VST3ScanState::ClearResults()
{
    TAutoLockCS lock(&m_resultsLock);
    m_results.clear();
    m_resultNames.clear();
}

bool VST3ScanState::LaunchScanner(bool scan)
{
    ClearResults();
    if (!scan)
    {
        AddKnownPlugins();
        return false;
    }
    bool written = false;
    RewriteSchedule schedule(
        [this, &written]
        {
            WriteConfiguration();
            written = true;
        });
    try
    {
        Scan(schedule);
    }
    catch (const std::exception& e)
    {
        DebugOut("VST3Host::LaunchScanner - %s", e.what());
    }
    catch (...)
    {
        DebugOut("VST3Host::LaunchScanner - unknown exception");
    }
    // A stopped scan keeps what it found, as a finished one does.
    schedule.Flush();
    return written;
}

void VST3ScanState::Scan(RewriteSchedule& schedule)
{
    // Faults in a module's code become exceptions on whichever thread scans.
    Platform::InstallFaultTranslator();
    m_stopRequested = false;
    ScanJob& job = ScanJob::Current();
    const std::vector<Candidate> queue = Triage();
    schedule.Start(m_writeThroughBefore);
    const VRef<VProgressDisplay> progress = VUICreateProgressDisplay(true);
    if (progress)
        progress->Start(std::int32_t(queue.size()), std::wstring());
    bool changed = false;
    for (std::size_t index = 0; index < queue.size(); ++index)
    {
        const bool added =
            job.Merging() ? AdoptCandidate(queue[index]) : ProbeCandidate(queue[index], queue.size());
        if (added)
        {
            changed = true;
            schedule.Changed(index);
        }
        if (m_stopRequested || (progress && progress->IsCancelled()))
            return;
        if (!job.Merging() && job.OverMemoryLimit())
        {
            job.SetResumeAt(kFormat, index + 1 < queue.size() ? queue[index + 1].listed : m_listed);
            return KeepUnprobed(queue, index + 1);
        }
        if (progress)
            progress->SetValue(std::int32_t(index + 1));
    }
    if (changed || m_results.size() != m_knownPlugins.size() || m_knownPlugins.empty())
        schedule.Rewrite();
}

std::vector<VST3ScanState::Candidate> VST3ScanState::Triage()
{
    std::vector<Candidate> queue;
    // Modules are known by their file names, as the results and the crash
    // markers are: a copy in a later folder, or one reached through a link,
    // would only offer classes that the first one gave, so it is not loaded.
    QSet<QString> seen;
    m_writeThroughBefore = 0;
    m_listed = 0;
    // A bundle is a module of its own; nothing inside it is looked at.
    FolderListing listing(kBundleSuffix);
    for (const std::wstring& folder : m_folders)
        TriageFolder(listing, folder, seen, queue);
    return queue;
}

void VST3ScanState::TriageFolder(FolderListing& listing, const std::wstring& folder, QSet<QString>& seen,
                                 std::vector<Candidate>& queue)
{
    const ScanFolder scanFolder(QString::fromStdWString(folder));
    if (scanFolder.Unavailable())
        return KeepKnownIn(scanFolder, seen);
    QStringList found;
    FindFiles(listing, found, QString::fromStdWString(folder), {kModulePattern});
    for (const QString& path : found)
    {
        const QString fileName = FileNameOf(path);
        if (seen.contains(fileName))
            continue;
        seen.insert(fileName);
        TriageCandidate(path, m_listed++, queue);
        if (m_writeThroughBefore == 0 && m_crashedModules.contains(fileName))
            m_writeThroughBefore = queue.size();
    }
}

// The modules of a folder that cannot be looked at stay as they were, and
// like found files they win over copies of the same name in later folders.
void VST3ScanState::KeepKnownIn(const ScanFolder& folder, QSet<QString>& seen)
{
    QSet<QString> kept;
    for (const auto& [fileName, record] : m_knownPlugins)
    {
        if (!folder.Holds(QString::fromStdString(record.path)))
            continue;
        if (kept.contains(fileName) || !seen.contains(fileName))
        {
            seen.insert(fileName);
            kept.insert(fileName);
            AddResult(record);
        }
    }
}

// A known module is probed again only when its time changed and its first
// entry is enabled: one that crashed or failed stays as it is, whatever its
// time, until the user enables it again. A module another job probes is left
// to that job.
void VST3ScanState::TriageCandidate(const QString& path, std::size_t listed, std::vector<Candidate>& queue)
{
    const ScanJob& job = ScanJob::Current();
    const bool probed = job.Probes(listed) && listed >= job.ResumeAt(kFormat);
    Candidate candidate{
        path.toStdString(), VST3Module::FileTime(path), path, FileNameOf(path), listed, false};
    const auto range = m_knownPlugins.equal_range(candidate.fileName);
    if (range.first == range.second)
    {
        if (probed)
            queue.push_back(std::move(candidate));
        return;
    }
    const VST3EffectRecord& first = range.first->second;
    if (first.fileTime != candidate.fileTime && first.enabled)
    {
        candidate.known = true;
        if (probed)
            queue.push_back(std::move(candidate));
        return;
    }
    for (auto known = range.first; known != range.second; ++known)
        AddResult(known->second);
}

// A scanner that stops at its memory limit keeps the known classes of the
// changed modules it did not reach, with the user's choices, for the run that
// carries on after it.
void VST3ScanState::KeepUnprobed(const std::vector<Candidate>& queue, std::size_t from)
{
    for (std::size_t index = from; index < queue.size(); ++index)
    {
        const auto range = m_knownPlugins.equal_range(queue[index].fileName);
        for (auto known = range.first; known != range.second; ++known)
            AddResult(known->second);
    }
}

// True when a record was added. The marker lies there exactly while the
// module is loaded and described; a crash while it is unloaded leaves none.
bool VST3ScanState::ProbeCandidate(const Candidate& candidate, std::size_t queued)
{
    auto plugin = std::make_unique<VST3Plugin>();
    VUISetMessage(VUI::kStatusMessage, L"Scanning: %ls",
                  candidate.fileName.chopped(5).toStdWString().c_str());
    const QString marker = CreateCrashMarker(candidate);
    bool hasFactory = true;
    std::vector<VST3EffectRecord> records = plugin->ProbeModule(candidate.path, !candidate.known, hasFactory);
    const bool added =
        records.empty() ? RecordFailure(candidate, hasFactory) : RecordClasses(candidate, records, queued);
    QFile::remove(marker);
    plugin.reset();
    return added;
}

// What the job that probed the module recorded for it, as long as the module
// is still the one it probed. A module no job reached is left to the next scan.
bool VST3ScanState::AdoptCandidate(const Candidate& candidate)
{
    bool added = false;
    const auto range = m_jobResults.equal_range(candidate.fileName);
    for (auto found = range.first; found != range.second; ++found)
        if (found->second.fileTime == candidate.fileTime)
            added = AddResult(found->second) || added;
    return added;
}

bool VST3ScanState::RecordClasses(const Candidate& candidate, std::vector<VST3EffectRecord>& records,
                                  std::size_t queued)
{
    // A long scan or a big module shows the window at once; otherwise only
    // something new does.
    const bool shown = queued > 2 || records.size() > 2;
    if (shown)
        VUIRequestShow(VUI::kShowAll);
    bool added = false;
    for (VST3EffectRecord& record : records)
    {
        record.path = candidate.path;
        record.fileTime = candidate.fileTime;
        if (candidate.known)
            CarryUserChoices(record, candidate.fileName);
        added = AddResult(std::move(record)) || added;
    }
    if (added && !shown)
        VUIRequestShow(VUI::kShowAll);
    return added;
}

// A module that cannot be loaded or offers no audio class is recorded as not
// working, so that it is not loaded again; a library without a factory is no
// VST 3 module at all and is left out.
bool VST3ScanState::RecordFailure(const Candidate& candidate, bool hasFactory)
{
    if (!hasFactory || candidate.path.find(kWaveShell) != std::string::npos)
        return false;
    VST3EffectRecord failed;
    failed.path = candidate.path;
    failed.fileTime = candidate.fileTime;
    MakeNameFromPath(failed.path, failed.name);
    failed.id = failed.name;
    failed.enabled = false;
    failed.working = false;
    return AddResult(std::move(failed));
}

// The user's choices survive a re-probe of a changed module.
void VST3ScanState::CarryUserChoices(VST3EffectRecord& record, const QString& fileName) const
{
    const auto range = m_knownPlugins.equal_range(fileName);
    for (auto known = range.first; known != range.second; ++known)
    {
        if (known->second.id != record.id)
            continue;
        record.categoryMask = known->second.categoryMask;
        record.favourite = known->second.favourite;
        return;
    }
}

QString VST3ScanState::CreateCrashMarker(const Candidate& candidate) const
{
    std::wstring name;
    MakeNameFromPath(candidate.path, name);
    const QString marker = VST3CrashMarker::PathFor(m_effectsFolder, name);
    VST3CrashMarker::Write(marker, candidate.path, candidate.fileTime, name);
    return marker;
}

bool VST3ScanState::AddResult(VST3EffectRecord record)
{
    TAutoLockCS lock(&m_resultsLock);
    if (record.id.empty())
        return false;
    const auto existing = m_results.find(record.id);
    if (existing != m_results.end() &&
        (record.path.find(kWaveShell) == std::string::npos || !PreferNewerWaveShell(record, existing)))
        return false;
    // A second class of the same name is told apart by its module's name.
    if (!m_resultNames.insert(record.name).second)
        MakeNameFromPath(record.path, record.name);
    const std::wstring id = record.id;
    m_results.emplace(id, Result{std::move(record), QByteArray()});
    return true;
}

// True when the existing entry gave way to the newer shell.
bool VST3ScanState::PreferNewerWaveShell(const VST3EffectRecord& record, Results::iterator existing)
{
    if (!(WaveShellVersion(existing->second.record.path) < WaveShellVersion(record.path)))
        return false;
    m_resultNames.erase(record.name);
    m_results.erase(existing);
    return true;
}

// Entries are formatted when first written: a scan that changes nothing
// writes nothing and formats nothing.
void VST3ScanState::WriteConfiguration()
{
    QByteArray bytes = VST3ConfigurationFile::Header();
    int size = bytes.size() + VST3ConfigurationFile::Footer().size();
    for (auto& result : m_results)
    {
        if (result.second.lines.isEmpty())
            result.second.lines = VST3ConfigurationFile::FormatEntry(result.second.record);
        size += result.second.lines.size();
    }
    bytes.reserve(size);
    for (const auto& result : m_results)
        bytes += result.second.lines;
    bytes += VST3ConfigurationFile::Footer();
    FileUtilities::WriteAtomically(ConfigurationPath(), bytes);
}

void VST3ScanState::FillPluginList(PluginTypeList& list,
                                   const std::map<std::wstring, std::int32_t>& widths) const
{
    TAutoLockCS lock(&m_resultsLock);
    for (const auto& [id, result] : m_results)
    {
        const VST3EffectRecord& record = result.record;
        PluginListEntry& entry = list[id];
        entry.name = record.name;
        entry.vendor = QString::fromStdString(record.vendor).toStdWString();
        entry.state = !record.working  ? PluginListEntry::State::NotWorking
                      : record.enabled ? PluginListEntry::State::Enabled
                                       : PluginListEntry::State::Disabled;
        entry.categoryMask = record.categoryMask;
        const auto width = widths.find(id);
        entry.width = width != widths.end() ? width->second : record.outputs;
        entry.favourite = record.favourite ? 1 : 0;
    }
}

bool VST3ScanState::ApplyCatalogueEdits(const PluginTypeList& edits, bool& rescanNeeded)
{
    TAutoLockCS lock(&m_resultsLock);
    bool changed = false;
    for (auto& [id, result] : m_results)
    {
        const auto edit = edits.find(id);
        if (edit == edits.end())
            continue;
        VST3EffectRecord& record = result.record;
        const VST3EffectRecord before = record;
        const bool enable = edit->second.state == PluginListEntry::State::Enabled;
        if (record.enabled != enable)
        {
            record.enabled = enable;
            if (enable)
            {
                // A cleared time makes the next scan probe the module again.
                record.working = true;
                record.fileTime.clear();
                rescanNeeded = true;
            }
        }
        record.categoryMask = edit->second.categoryMask;
        record.favourite = edit->second.favourite != 0;
        if (record.enabled == before.enabled && record.categoryMask == before.categoryMask &&
            record.favourite == before.favourite)
            continue;
        result.lines.clear();
        changed = true;
    }
    if (changed)
        WriteConfiguration();
    return changed;
}

bool VST3ScanState::KnowsPlugin(const std::wstring& identifier) const
{
    TAutoLockCS lock(&m_resultsLock);
    return m_results.count(identifier) > 0;
}

bool VST3ScanState::IsNameKnown(const std::wstring& name) const
{
    TAutoLockCS lock(&m_resultsLock);
    return m_resultNames.count(name) > 0;
}

std::optional<VST3EffectRecord> VST3ScanState::EnabledRecord(const std::wstring& identifier) const
{
    TAutoLockCS lock(&m_resultsLock);
    const auto found = m_results.find(identifier);
    if (found == m_results.end() || !found->second.record.enabled)
        return std::nullopt;
    return found->second.record;
}

void VST3ScanState::FindFiles(FolderListing& listing, QStringList& out, const QString& folder,
                              const QStringList& nameFilters)
{
    listing.List(out, QDir(folder).absolutePath(), nameFilters, true);
}

// A path without a "." leaves the name as it was.
void VST3ScanState::MakeNameFromPath(const std::string& path, std::wstring& name)
{
    QString made;
    if (FileUtilities::PluginNameFromPath(QString::fromStdString(path), made))
        name = made.toStdWString();
}
