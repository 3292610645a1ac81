#include "Main/AudioEngineController/Effects/VST/VstScanState.h"

#include "Core/BaseLib/Debug.h"
#include "Core/BaseLib/FileUtilities.h"
#include "Core/BaseLib/FolderListing.h"
#include "Core/BaseLib/RewriteSchedule.h"
#include "Core/BaseLib/ScanFolder.h"
#include "Core/BaseLib/ScanJob.h"
#include "Interfaces/EngineContext.h"
#include "Interfaces/ICorvaneInterface.h"
#include "Main/AudioEngineController/Effects/VST/HostCallback.h"
#include "Main/AudioEngineController/Effects/VST/VSTPlugin.h"
#include "Main/AudioEngineController/Effects/VST/VstCrashMarker.h"
#include "Main/VLib/VUI.h"
#include "Platform/Library.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <map>
#include <memory>

namespace
{
const QString kPluginPattern = QLatin1Char('*') + QLatin1String(Platform::LibrarySuffix());
const QString kMarkerPattern = QStringLiteral("*.scan");
// Names this format's place in a scan that carries on after a memory stop.
const QString kFormat = QStringLiteral("vst2");
// Bundles of the other format are never entered.
const QString kVst3Bundle = QStringLiteral(".vst3");
const wchar_t* const kWaveShell = L"WaveShell";
const wchar_t* const kOldWavesPrefix = L"Waves ";
const wchar_t* const kMergedNameSuffix = L" [2.4]";

QString NameFromPath(const QString& path, const QString& fallback)
{
    QString name = fallback;
    FileUtilities::PluginNameFromPath(path, name);
    return name;
}

// Shell files carry their version in their name; a name that does not
// follow the pattern is the lowest version.
float WaveShellVersion(const std::wstring& path)
{
    return FileUtilities::ShellFileVersion(VstFileNameOf(QString::fromStdWString(path)),
                                           QStringLiteral("VST"));
}

// True when the edit changed the record.
bool ApplyEdit(VstEffectRecord& record, const PluginListEntry& edit, bool& rescanNeeded)
{
    const VstEffectRecord before = record;
    const bool enable = edit.state == PluginListEntry::State::Enabled;
    if (enable && !record.enabled)
    {
        // Probed again by the next scan, which decides whether it still crashes.
        record.working = true;
        record.fileTime.clear();
        rescanNeeded = true;
    }
    record.enabled = enable;
    record.categoryMask = edit.categoryMask;
    record.name = edit.name.substr(0, edit.name.find(kMergedNameSuffix));
    record.favourite = edit.favourite != 0;
    return before != record;
}

PluginListEntry ListEntryOf(const VstEffectRecord& record)
{
    PluginListEntry entry;
    entry.name = record.name;
    entry.vendor = record.vendor;
    entry.state = !record.working  ? PluginListEntry::State::NotWorking
                  : record.enabled ? PluginListEntry::State::Enabled
                                   : PluginListEntry::State::Disabled;
    entry.categoryMask = record.categoryMask;
    entry.width = record.width;
    entry.favourite = record.favourite ? 1 : 0;
    return entry;
}
} // namespace

VstScanState::VstScanState(const std::wstring& effectsFolder)
    : m_effectsFolder(QString::fromStdWString(effectsFolder)),
      m_file(m_effectsFolder + QLatin1Char('/') + QLatin1String(VstConfigurationFile::kFileName))
{
    ICorvaneInterface* host = EngineContext::Instance().Interface();
    if (!host)
        return;
    for (const QString& folder : host->GetPluginFolders())
        m_folders.push_back(folder.toStdWString());
}

void VstScanState::ClearActive()
{
    m_active.clear();
    m_namesInUse.clear();
}

bool VstScanState::WriteConfiguration()
{
    return m_file.Write(m_active);
}

bool VstScanState::LoadKnownPlugins()
{
    ClearActive();
    m_known.clear();
    m_crashedFiles.clear();
    m_dirty = false;
    m_file.Read(m_known, m_dirty);
    ReadJobResults();
    const QStringList markers = FolderListing().List(m_effectsFolder, {kMarkerPattern}, true);
    for (const QString& marker : markers)
        TakeOverCrashMarker(marker);
    if (m_dirty)
    {
        for (const auto& entry : m_known)
            Add(entry.second);
        WriteConfiguration();
        ClearActive();
        m_dirty = false;
    }
    return !markers.isEmpty();
}

// What the jobs of a parallel scan found, for the run that merges them.
void VstScanState::ReadJobResults()
{
    m_jobResults.clear();
    bool outdated = false;
    for (const QString& folder : ScanJob::Current().MergedFolders(m_effectsFolder))
        VstConfigurationFile(folder + QLatin1Char('/') + QLatin1String(VstConfigurationFile::kFileName))
            .Read(m_jobResults, outdated);
}

// The plug-in named by a leftover marker took the process down: it is kept
// disabled and not working until the user enables it again.
void VstScanState::TakeOverCrashMarker(const QString& markerPath)
{
    VstEffectRecord crashed = VstCrashMarker::Read(markerPath);
    QFile::remove(markerPath);
    const QString key = VstFileNameOf(QString::fromStdWString(crashed.path));
    m_crashedFiles.insert(key);
    // Shell sub-plug-ins of this family are listed again by their shell.
    if (crashed.name.find(kWaveShell) != std::wstring::npos && crashed.subId != 0)
        return;
    const auto target = CrashedEntry(key, crashed.subId);
    if (target != m_known.end())
    {
        target->second.id = crashed.name;
        target->second.fileTime = crashed.fileTime;
        target->second.enabled = false;
        target->second.working = false;
    }
    else
    {
        crashed.id = crashed.name;
        crashed.enabled = false;
        crashed.working = false;
        m_known.emplace(key, crashed);
    }
    m_dirty = true;
}

// The known entry a marker turns into a crashed one, or none for a new entry.
// A plug-in's own marker takes the file's first entry, which decides whether
// the file is loaded again. So does a sub-plug-in's marker when that entry is
// the shell's own (identifier 0): disabled, it keeps the whole file unloaded.
// Otherwise the sub-plug-in takes the entry with its identifier, or one of its
// own: renaming another sub-plug-in's entry would leave the crasher unknown,
// and the shell's next expansion would create it, and crash, again.
VstKnownList::iterator VstScanState::CrashedEntry(const QString& fileName, std::uint32_t subId)
{
    const auto known = m_known.equal_range(fileName);
    if (known.first == known.second || subId == 0 || known.first->second.subId == 0)
        return known.first == known.second ? m_known.end() : known.first;
    for (auto entry = known.first; entry != known.second; ++entry)
        if (entry->second.subId == subId)
            return entry;
    return m_known.end();
}

bool VstScanState::LaunchScanner(bool scan)
{
    if (!scan)
    {
        for (const auto& entry : m_known)
            Add(entry.second);
        return false;
    }
    ClearActive();
    m_abort = false;
    FolderListing listing(kVst3Bundle);
    std::set<QString> seen;
    std::vector<Candidate> candidates;
    m_writeThroughBefore = 0;
    m_listed = 0;
    for (const std::wstring& folder : m_folders)
        Triage(listing, folder, seen, candidates);
    bool written = false;
    RewriteSchedule schedule([this, &written] { written = WriteConfiguration() || written; });
    schedule.Start(m_writeThroughBefore);
    const bool completed = ProbeAll(candidates, schedule);
    if (completed && (m_active.size() != m_known.size() || m_known.empty()))
        schedule.Rewrite();
    // A stopped scan keeps what it found, as a finished one does.
    schedule.Flush();
    return written;
}

void VstScanState::Triage(FolderListing& listing, const std::wstring& folder, std::set<QString>& seen,
                          std::vector<Candidate>& candidates)
{
    const ScanFolder scanFolder(QString::fromStdWString(folder));
    if (scanFolder.Unavailable())
    {
        KeepKnownIn(scanFolder, seen);
        return;
    }
    const QStringList files = listing.List(QString::fromStdWString(folder), {kPluginPattern}, true);
    const VRef<VProgressDisplay> progress = VUICreateProgressDisplay(false);
    if (progress)
        progress->Start(files.size(), std::wstring());
    // Plug-ins are known by their file names, as the results and the crash
    // markers are: a copy in a later folder, or one reached through a link,
    // would only offer what the first one gave, so it is not loaded.
    for (const QString& path : files)
    {
        const QString fileName = VstFileNameOf(path);
        if (!seen.insert(fileName).second)
            continue;
        TriageFile(path, m_listed++, candidates);
        if (m_writeThroughBefore == 0 && m_crashedFiles.count(fileName) != 0)
            m_writeThroughBefore = candidates.size();
    }
}

// The plug-ins of a folder that cannot be looked at stay as they were, and
// like found files they win over copies of the same name in later folders.
void VstScanState::KeepKnownIn(const ScanFolder& folder, std::set<QString>& seen)
{
    std::set<QString> kept;
    for (const auto& [fileName, record] : m_known)
    {
        if (!folder.Holds(QString::fromStdWString(record.path)))
            continue;
        if (kept.count(fileName) != 0 || seen.insert(fileName).second)
        {
            kept.insert(fileName);
            Add(record);
        }
    }
}

// Unchanged files are taken from the known list without loading them, and
// so is a plug-in that crashed, until the user enables it again. A file
// another job probes is left to that job.
void VstScanState::TriageFile(const QString& path, std::size_t listed, std::vector<Candidate>& candidates)
{
    const ScanJob& job = ScanJob::Current();
    const bool probed = job.Probes(listed) && listed >= job.ResumeAt(kFormat);
    const std::wstring fileTime = FileUtilities::FileTimeText(path).toStdWString();
    const auto known = m_known.equal_range(VstFileNameOf(path));
    Candidate candidate{path.toStdWString(), fileTime, path, listed};
    if (known.first == known.second)
    {
        if (probed)
            candidates.push_back(candidate);
        return;
    }
    const VstEffectRecord& first = known.first->second;
    if (first.enabled && first.fileTime != fileTime)
    {
        candidate.categoryMask = first.categoryMask;
        candidate.favourite = first.favourite;
        if (probed)
            candidates.push_back(candidate);
        return;
    }
    if (!first.enabled && first.subId != 0)
    {
        if (probed)
            candidates.push_back(candidate);
        return;
    }
    for (auto entry = known.first; entry != known.second; ++entry)
        Add(entry->second);
}

// False when the scan was stopped before every candidate was probed.
bool VstScanState::ProbeAll(const std::vector<Candidate>& candidates, RewriteSchedule& schedule)
{
    const VRef<VProgressDisplay> progress = VUICreateProgressDisplay(false);
    if (!progress)
        return false;
    progress->Start(std::int32_t(candidates.size()), std::wstring());
    ScanJob& job = ScanJob::Current();
    for (std::size_t index = 0; index < candidates.size(); ++index)
    {
        if (job.Merging() ? Adopt(candidates[index]) : Probe(candidates[index]))
            schedule.Changed(index);
        if (Cancelled(progress))
            return false;
        if (!job.Merging() && job.OverMemoryLimit())
        {
            job.SetResumeAt(kFormat, index + 1 < candidates.size() ? candidates[index + 1].listed : m_listed);
            KeepUnprobed(candidates, index + 1);
            return false;
        }
        progress->SetValue(std::int32_t(index + 1));
    }
    return true;
}

// A scanner that stops at its memory limit keeps the known entries of the
// changed files it did not reach, with the user's choices, for the run that
// carries on after it.
void VstScanState::KeepUnprobed(const std::vector<Candidate>& candidates, std::size_t from)
{
    for (std::size_t index = from; index < candidates.size(); ++index)
    {
        const auto known = m_known.equal_range(VstFileNameOf(candidates[index].qpath));
        for (auto entry = known.first; entry != known.second; ++entry)
            Add(entry->second);
    }
}

// What the job that probed the file recorded for it, as long as the file is
// still the one it probed. A file no job reached is left to the next scan.
bool VstScanState::Adopt(const Candidate& candidate)
{
    bool changed = false;
    const auto found = m_jobResults.equal_range(VstFileNameOf(candidate.qpath));
    for (auto entry = found.first; entry != found.second; ++entry)
        if (entry->second.fileTime == candidate.fileTime)
            changed = Add(entry->second) || changed;
    return changed;
}

bool VstScanState::Cancelled(const VRef<VProgressDisplay>& progress) const
{
    return m_abort || (progress && progress->IsCancelled());
}

// True when the active list changed.
bool VstScanState::Probe(const Candidate& candidate)
{
    const QString fileName = VstFileNameOf(candidate.qpath);
    VUISetMessage(VUI::kStatusMessage, L"Scanning: %ls", fileName.toStdWString().c_str());
    const QString markerName = NameFromPath(candidate.qpath, QString());
    VstCrashMarker marker(m_effectsFolder, candidate.qpath, QString::fromStdWString(candidate.fileTime),
                          markerName, 0);
    auto plugin = std::make_unique<VSTPlugin>();
    bool isPluginModule = false;
    bool changed = false;
    if (plugin->LoadModule(candidate.qpath, HostCallback, isPluginModule))
        changed = RecordLoaded(*plugin, candidate);
    else if (isPluginModule)
        changed = RecordUnloadable(candidate);
    // A crash while closing or unloading must not mark the plug-in as crashed.
    marker.Remove();
    plugin.reset();
    return changed;
}

bool VstScanState::RecordLoaded(VSTPlugin& plugin, const Candidate& candidate)
{
    VstEffectRecord record;
    record.path = candidate.path;
    record.fileTime = candidate.fileTime;
    plugin.Describe(record);
    record.categoryMask = candidate.categoryMask;
    record.favourite = candidate.favourite;
    if (record.category == VstEffectRecord::kShell)
        return ExpandShell(plugin, record);
    if (!Add(record))
        return false;
    VUIRequestShow(VUI::kShowAll);
    return true;
}

// A library that is meant as a plug-in but cannot be loaded is recorded
// disabled, so that it is not tried again.
bool VstScanState::RecordUnloadable(const Candidate& candidate)
{
    VstEffectRecord record;
    record.path = candidate.path;
    record.fileTime = candidate.fileTime;
    record.name = NameFromPath(candidate.qpath, QString()).toStdWString();
    record.id = record.name;
    record.enabled = false;
    record.working = false;
    record.categoryMask = candidate.categoryMask;
    return Add(record);
}

// Sub-plug-ins already known are taken over without loading them; new ones
// are created from the shell's library one at a time, each under a marker.
bool VstScanState::ExpandShell(VSTPlugin& shell, VstEffectRecord& record)
{
    std::map<std::wstring, std::int32_t> subPlugins;
    shell.EnumerateShellPlugins(subPlugins);
    const VRef<VProgressDisplay> progress = VUICreateProgressDisplay(false);
    if (progress && !subPlugins.empty())
    {
        progress->Start(std::int32_t(subPlugins.size()), L"Scanning WaveShell");
        progress->SetValue(0);
    }
    const QString fileName = VstFileNameOf(QString::fromStdWString(record.path));
    bool changed = false;
    std::int32_t counter = 0;
    for (const auto& [name, id] : subPlugins)
    {
        record.subName = name;
        record.subId = std::uint32_t(id);
        if (const VstEffectRecord* known = KnownSubPlugin(fileName, record.subId))
        {
            VstEffectRecord copy = *known;
            changed = changed || copy.fileTime != record.fileTime;
            copy.fileTime = record.fileTime;
            Add(copy);
        }
        else
            changed = AddSubPlugin(shell, record) || changed;
        if (Cancelled(progress))
            break;
        QCoreApplication::processEvents();
        if (progress)
            progress->SetValue(counter++);
    }
    return changed;
}

const VstEffectRecord* VstScanState::KnownSubPlugin(const QString& fileName, std::uint32_t subId) const
{
    const auto known = m_known.equal_range(fileName);
    for (auto entry = known.first; entry != known.second; ++entry)
        if (entry->second.subId == subId)
            return &entry->second;
    return nullptr;
}

bool VstScanState::AddSubPlugin(VSTPlugin& shell, VstEffectRecord& record)
{
    VUISetMessage(VUI::kStatusMessage, L"Scanning: %ls", record.subName.c_str());
    VstCrashMarker marker(m_effectsFolder, QString::fromStdWString(record.path),
                          QString::fromStdWString(record.fileTime), QString::fromStdWString(record.subName),
                          record.subId);
    const bool loaded = shell.Load(record, HostCallback, true);
    if (loaded)
    {
        shell.Describe(record);
        if (Add(record))
            VUIRequestShow(VUI::kShowAll);
    }
    marker.Remove();
    return loaded;
}

// Identifiers are unique: the first plug-in to claim one keeps it, except
// that a newer version of a shell file replaces an older one.
bool VstScanState::Add(const VstEffectRecord& record)
{
    auto place = m_active.lower_bound(record.id);
    if (place != m_active.end() && place->first == record.id)
    {
        if (record.path.find(kWaveShell) == std::wstring::npos || !ApplyWaveShellRule(place, record))
            return false;
        place = m_active.lower_bound(record.id);
    }
    const auto entry = m_active.emplace_hint(place, record.id, record);
    // Two plug-ins that call themselves alike are told apart by their files.
    if (!m_namesInUse.insert(record.name).second)
        entry->second.name =
            NameFromPath(QString::fromStdWString(record.path), QString::fromStdWString(record.name))
                .toStdWString();
    return true;
}

// True when the existing entry gave way to the newer shell.
bool VstScanState::ApplyWaveShellRule(VstActiveList::iterator existing, const VstEffectRecord& record)
{
    if (WaveShellVersion(existing->second.path) >= WaveShellVersion(record.path))
        return false;
    m_namesInUse.erase(existing->second.name);
    m_active.erase(existing);
    return true;
}

bool VstScanState::FillPluginList(PluginTypeList& list) const
{
    list.clear();
    for (const auto& [id, record] : m_active)
    {
        if (record.category == VstEffectRecord::kOffline)
            continue;
        // A working shell is offered through its sub-plug-ins.
        if (record.category == VstEffectRecord::kShell && record.enabled && record.working)
            continue;
        list[id] = ListEntryOf(record);
    }
    return true;
}

bool VstScanState::ApplyCatalogueEdits(const PluginTypeList& edits, bool& rescanNeeded)
{
    bool changed = false;
    for (auto& [id, record] : m_active)
    {
        const auto edit = edits.find(id);
        if (edit != edits.end())
            changed = ApplyEdit(record, edit->second, rescanNeeded) || changed;
    }
    if (changed)
        WriteConfiguration();
    return changed;
}

bool VstScanState::KnowsPlugin(const std::wstring& identifier) const
{
    return m_active.count(identifier) != 0;
}

VSTPlugin* VstScanState::CreatePlugin(const std::wstring& identifier)
{
    const auto found = m_active.find(identifier);
    if (found == m_active.end())
    {
        // Identifiers of older projects carried the vendor in front.
        if (identifier.size() < 6 || identifier.find(kOldWavesPrefix) == std::wstring::npos)
            return nullptr;
        DebugOut("Found an old Waves plug-in, retrying as:");
        return CreatePlugin(identifier.substr(6));
    }
    DebugOut(L"Found: %ls, trying to load", identifier.c_str());
    const VstEffectRecord& record = found->second;
    if (record.category == VstEffectRecord::kOffline || !record.enabled)
        return nullptr;
    auto plugin = std::make_unique<VSTPlugin>();
    if (!plugin->Load(record, HostCallback, false))
    {
        DebugOut(L"%ls, Didn't manage it", identifier.c_str());
        return nullptr;
    }
    return plugin.release();
}
