#include "Main/AudioEngineController/Effects/VST3/VST3Host.h"

#include "Core/BaseLib/Debug.h"
#include "Core/BaseLib/FileUtilities.h"
#include "Core/BaseLib/FolderListing.h"
#include "Core/BaseLib/RewriteSchedule.h"
#include "Core/BaseLib/ScanFolder.h"
#include "Core/BaseLib/XML/XMLException.h"
#include "Interfaces/EngineContext.h"
#include "Interfaces/ICorvaneInterface.h"
#include "Main/AudioEngineController/Effects/VST3/VST3ConfigurationFile.h"
#include "Main/AudioEngineController/Effects/VST3/VST3CrashMarker.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Module.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Plugin.h"
#include "Main/VLib/VUI.h"
#include "Platform/FaultGuard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <memory>

namespace
{
VST3Host* g_instance = nullptr;

const QString kModulePattern = QStringLiteral("*.vst3");
const QString kBundleSuffix = QStringLiteral(".vst3");
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

VST3Host* VST3Host::GetInstance()
{
    if (!g_instance)
        g_instance = new VST3Host;
    return g_instance;
}

bool VST3Host::Initialise(const std::wstring& effectsFolder, const std::wstring&, std::uint32_t sampleRate,
                          std::int32_t blockSize)
{
    TAutoLockCS lock(&m_lock);
    m_effectsFolder = QString::fromStdWString(effectsFolder);
    m_sampleRate = sampleRate;
    m_blockSize = std::uint32_t(blockSize);
    m_folders.clear();
    if (ICorvaneInterface* host = EngineContext::Instance().Interface())
        for (const QString& folder : host->GetPluginFolders())
            m_folders.push_back(folder.toStdWString());
    ConfigurationChanged();
    return true;
}

bool VST3Host::Shutdown()
{
    g_instance = nullptr;
    delete this;
    return true;
}

QString VST3Host::ConfigurationPath() const
{
    return m_effectsFolder + QLatin1Char('/') + QLatin1String(VST3ConfigurationFile::kFileName);
}

bool VST3Host::ConfigurationChanged()
{
    TAutoLockCS lock(&m_lock);
    const QDateTime written = QFileInfo(ConfigurationPath()).lastModified();
    if (written == m_configurationTime)
        return false;
    m_configurationTime = written;
    return true;
}

std::vector<std::wstring> VST3Host::GetFolderList()
{
    TAutoLockCS lock(&m_lock);
    return m_folders;
}

// The known list is read afresh, so that a reload after a scan elsewhere
// shows that scan's results.
bool VST3Host::LoadKnownPlugins()
{
    TAutoLockCS lock(&m_lock);
    m_knownPlugins.clear();
    m_crashedModules.clear();
    bool rewrite = false;
    try
    {
        if (QFileInfo::exists(ConfigurationPath()))
            rewrite = ReadConfiguration();
        rewrite = ReadCrashMarkers() || rewrite;
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
bool VST3Host::ReadConfiguration()
{
    VST3ConfigurationFile::Contents contents = VST3ConfigurationFile::Read(ConfigurationPath());
    // Times written before version 1.1 are not trusted: they are taken from
    // the modules as they are now.
    const bool outdated = contents.version < 1.1;
    for (VST3EffectRecord& record : contents.records)
    {
        if (outdated)
            record.fileTime = VST3Module::FileTime(QString::fromStdString(record.path));
        InsertKnown(std::move(record));
    }
    return outdated && !contents.records.empty();
}

void VST3Host::InsertKnown(VST3EffectRecord record)
{
    const QString key = FileNameOf(QString::fromStdString(record.path));
    const auto range = m_knownPlugins.equal_range(key);
    for (auto known = range.first; known != range.second; ++known)
        if (known->second.id == record.id)
            return;
    m_knownPlugins.emplace(key, std::move(record));
}

// True when a marker changed the known list.
bool VST3Host::ReadCrashMarkers()
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
bool VST3Host::MergeCrashMarker(const VST3EffectRecord& marker)
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

void VST3Host::AddKnownPlugins()
{
    for (const auto& known : m_knownPlugins)
        AddResult(known.second);
}

void VST3Host::ClearResults()
{
    TAutoLockCS lock(&m_resultsLock);
    m_scanResults.clear();
    m_resultNames.clear();
}

bool VST3Host::LaunchScanner(bool scan, bool)
{
    TAutoLockCS lock(&m_lock);
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

void VST3Host::Scan(RewriteSchedule& schedule)
{
    // Faults in a module's code become exceptions on whichever thread scans.
    Platform::InstallFaultTranslator();
    m_stopRequested = false;
    const std::vector<ScanCandidate> queue = Triage();
    schedule.Start(m_writeThroughBefore);
    const VRef<VProgressDisplay> progress = VUICreateProgressDisplay(true);
    if (progress)
        progress->Start(std::int32_t(queue.size()), std::wstring());
    bool changed = false;
    for (std::size_t index = 0; index < queue.size(); ++index)
    {
        if (ProbeCandidate(queue[index], queue.size()))
        {
            changed = true;
            schedule.Changed(index);
        }
        if (m_stopRequested || (progress && progress->IsCancelled()))
            return;
        if (progress)
            progress->SetValue(std::int32_t(index + 1));
    }
    if (changed || m_scanResults.size() != m_knownPlugins.size() || m_knownPlugins.empty())
        schedule.Rewrite();
}

std::vector<VST3Host::ScanCandidate> VST3Host::Triage()
{
    std::vector<ScanCandidate> queue;
    // Modules are known by their file names, as the results and the crash
    // markers are: a copy in a later folder, or one reached through a link,
    // would only offer classes that the first one gave, so it is not loaded.
    QSet<QString> seen;
    m_writeThroughBefore = 0;
    // A bundle is a module of its own; nothing inside it is looked at.
    FolderListing listing(kBundleSuffix);
    for (const std::wstring& folder : m_folders)
    {
        const ScanFolder scanFolder(QString::fromStdWString(folder));
        if (scanFolder.Unavailable())
        {
            KeepKnownIn(scanFolder, seen);
            continue;
        }
        QStringList found;
        FindFiles(listing, found, QString::fromStdWString(folder), {kModulePattern});
        for (const QString& path : found)
        {
            if (seen.contains(FileNameOf(path)))
                continue;
            seen.insert(FileNameOf(path));
            TriageCandidate(path, queue);
            if (m_writeThroughBefore == 0 && m_crashedModules.contains(FileNameOf(path)))
                m_writeThroughBefore = queue.size();
        }
    }
    return queue;
}

// The modules of a folder that cannot be looked at stay as they were, and
// like found files they win over copies of the same name in later folders.
void VST3Host::KeepKnownIn(const ScanFolder& folder, QSet<QString>& seen)
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
// time, until the user enables it again.
void VST3Host::TriageCandidate(const QString& path, std::vector<ScanCandidate>& queue)
{
    ScanCandidate candidate{path.toStdString(), VST3Module::FileTime(path), path, FileNameOf(path), false};
    const auto range = m_knownPlugins.equal_range(candidate.fileName);
    if (range.first == range.second)
    {
        queue.push_back(std::move(candidate));
        return;
    }
    const VST3EffectRecord& first = range.first->second;
    if (first.fileTime != candidate.fileTime && first.enabled)
    {
        candidate.known = true;
        queue.push_back(std::move(candidate));
        return;
    }
    for (auto known = range.first; known != range.second; ++known)
        AddResult(known->second);
}

// True when a record was added. The marker lies there exactly while the
// module is loaded and described; a crash while it is unloaded leaves none.
bool VST3Host::ProbeCandidate(const ScanCandidate& candidate, std::size_t queued)
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

bool VST3Host::RecordClasses(const ScanCandidate& candidate, std::vector<VST3EffectRecord>& records,
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
bool VST3Host::RecordFailure(const ScanCandidate& candidate, bool hasFactory)
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
void VST3Host::CarryUserChoices(VST3EffectRecord& record, const QString& fileName) const
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

QString VST3Host::CreateCrashMarker(const ScanCandidate& candidate) const
{
    std::wstring name;
    MakeNameFromPath(candidate.path, name);
    const QString marker = VST3CrashMarker::PathFor(m_effectsFolder, name);
    VST3CrashMarker::Write(marker, candidate.path, candidate.fileTime, name);
    return marker;
}

bool VST3Host::AddResult(VST3EffectRecord record)
{
    TAutoLockCS lock(&m_resultsLock);
    if (record.id.empty())
        return false;
    const auto existing = m_scanResults.find(record.id);
    if (existing != m_scanResults.end() &&
        (record.path.find(kWaveShell) == std::string::npos || !PreferNewerWaveShell(record, existing)))
        return false;
    // A second class of the same name is told apart by its module's name.
    if (!m_resultNames.insert(record.name).second)
        MakeNameFromPath(record.path, record.name);
    const std::wstring id = record.id;
    m_scanResults.emplace(id, ScanResult{std::move(record), QByteArray()});
    return true;
}

// True when the existing entry gave way to the newer shell.
bool VST3Host::PreferNewerWaveShell(const VST3EffectRecord& record, ScanResults::iterator existing)
{
    if (!(WaveShellVersion(existing->second.record.path) < WaveShellVersion(record.path)))
        return false;
    m_resultNames.erase(record.name);
    m_scanResults.erase(existing);
    return true;
}

// Entries are formatted when first written: a scan that changes nothing
// writes nothing and formats nothing.
void VST3Host::WriteConfiguration()
{
    QByteArray bytes = VST3ConfigurationFile::Header();
    int size = bytes.size() + VST3ConfigurationFile::Footer().size();
    for (auto& result : m_scanResults)
    {
        if (result.second.lines.isEmpty())
            result.second.lines = VST3ConfigurationFile::FormatEntry(result.second.record);
        size += result.second.lines.size();
    }
    bytes.reserve(size);
    for (const auto& result : m_scanResults)
        bytes += result.second.lines;
    bytes += VST3ConfigurationFile::Footer();
    FileUtilities::WriteAtomically(ConfigurationPath(), bytes);
}

bool VST3Host::StopScan()
{
    m_stopRequested = true;
    return true;
}

bool VST3Host::FillPluginList(PluginTypeList& list)
{
    TAutoLockCS lock(&m_lock);
    for (const auto& [id, result] : m_scanResults)
    {
        const VST3EffectRecord& record = result.record;
        PluginListEntry& entry = list[id];
        entry.name = record.name;
        entry.vendor = QString::fromStdString(record.vendor).toStdWString();
        entry.state = !record.working ? 2 : record.enabled ? 0 : 1;
        entry.categoryMask = record.categoryMask;
        const auto width = m_metadataWidths.find(id);
        entry.width = width != m_metadataWidths.end() ? width->second : record.outputs;
        entry.favourite = record.favourite ? 1 : 0;
    }
    return true;
}

bool VST3Host::ApplyCatalogueEdits(const PluginTypeList& edits, bool& rescanNeeded)
{
    TAutoLockCS lock(&m_lock);
    TAutoLockCS results(&m_resultsLock);
    bool changed = false;
    for (auto& [id, result] : m_scanResults)
    {
        const auto edit = edits.find(id);
        if (edit == edits.end())
            continue;
        VST3EffectRecord& record = result.record;
        const VST3EffectRecord before = record;
        const bool enable = edit->second.state == 0;
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

bool VST3Host::KnowsPlugin(const std::wstring& identifier)
{
    TAutoLockCS lock(&m_lock);
    return m_scanResults.count(identifier) > 0;
}

bool VST3Host::IsNameKnown(const std::wstring& name) const
{
    TAutoLockCS lock(&m_lock);
    return m_resultNames.count(name) > 0;
}

void VST3Host::SetMetadataWidth(const std::wstring& identifier, std::int32_t width)
{
    TAutoLockCS lock(&m_lock);
    if (width > 0)
        m_metadataWidths[identifier] = width;
    else
        m_metadataWidths.erase(identifier);
}

bool VST3Host::SetSampleRate(std::uint32_t rate)
{
    TAutoLockCS lock(&m_liveLock);
    m_sampleRate = rate;
    for (const auto& live : m_livePlugins)
        live.second->SetSampleRate(rate);
    return true;
}

bool VST3Host::SetBlockSize(std::uint32_t frames)
{
    TAutoLockCS lock(&m_liveLock);
    m_blockSize = frames;
    for (const auto& live : m_livePlugins)
        live.second->SetBlockSize(frames);
    return true;
}

bool VST3Host::SetFrameRate(std::int32_t frameRateCode)
{
    struct Rate
    {
        std::uint32_t framesPerSecond;
        // -1 leaves the flags as they were.
        std::int32_t flags;
    };
    constexpr std::int32_t kPull = vst3::FrameRate::kPullDownRate;
    constexpr std::int32_t kDrop = vst3::FrameRate::kDropRate;
    // By code, from 2 to 28.
    static const Rate kRates[] = {
        {24, kPull}, {24, -1}, {25, -1},    {29, kDrop},  {29, -1},    {30, kDrop}, {30, -1},
        {50, -1},    {50, -1}, {59, kDrop}, {59, kDrop},  {60, kPull}, {60, kPull}, {60, kDrop},
        {60, kDrop}, {60, -1}, {60, -1},    {48, kPull},  {48, -1},    {72, -1},    {90, -1},
        {24, kPull}, {96, -1}, {100, -1},   {119, kDrop}, {119, -1},   {120, -1},
    };
    if (frameRateCode < 2 || frameRateCode > 28)
        return true;
    const Rate& rate = kRates[frameRateCode - 2];
    TAutoLockCS lock(&m_liveLock);
    m_frameRate.framesPerSecond = rate.framesPerSecond;
    if (rate.flags >= 0)
        m_frameRate.flags = std::uint32_t(rate.flags);
    for (const auto& live : m_livePlugins)
        live.second->SetFrameRate(m_frameRate);
    return true;
}

// A block size the caller names wins over the host's.
AudioPlugin* VST3Host::LoadPlugin(const std::wstring& identifier, std::uint32_t blockSize,
                                  const PluginPlacement& placement)
{
    VST3EffectRecord record;
    {
        TAutoLockCS lock(&m_resultsLock);
        const auto found = m_scanResults.find(identifier);
        if (found == m_scanResults.end() || !found->second.record.enabled)
            return nullptr;
        record = found->second.record;
    }
    // Faults in the plug-in's code become exceptions on the thread that loads it.
    Platform::InstallFaultTranslator();
    auto plugin = std::make_unique<VST3Plugin>();
    if (!plugin->Instantiate(record))
    {
        plugin->Close();
        return nullptr;
    }
    TAutoLockCS lock(&m_liveLock);
    plugin->SetFrameRate(m_frameRate);
    plugin->Initialise(float(m_sampleRate), blockSize ? blockSize : m_blockSize.load(), placement);
    AudioPlugin* loaded = plugin.get();
    m_livePlugins.emplace(loaded, plugin.release());
    return loaded;
}

bool VST3Host::ReleasePlugin(AudioPlugin* plugin)
{
    VST3Plugin* live = nullptr;
    {
        TAutoLockCS lock(&m_liveLock);
        const auto found = m_livePlugins.find(plugin);
        if (found == m_livePlugins.end())
            return false;
        live = found->second;
        m_livePlugins.erase(found);
    }
    live->Close();
    delete live;
    return true;
}

// Plug-ins nobody released go with the host.
VST3Host::~VST3Host()
{
    for (const auto& live : m_livePlugins)
        delete live.second;
}

std::int32_t VST3Host::ChannelCountOfFormat(std::uint32_t)
{
    return 2;
}

std::int64_t VST3Host::TimeBase()
{
    return 1;
}

void VST3Host::FindFiles(FolderListing& listing, QStringList& out, const QString& folder,
                         const QStringList& nameFilters)
{
    listing.List(out, QDir(folder).absolutePath(), nameFilters, true);
}

// A path without a "." leaves the name as it was.
void VST3Host::MakeNameFromPath(const std::string& path, std::wstring& name)
{
    QString made;
    if (FileUtilities::PluginNameFromPath(QString::fromStdString(path), made))
        name = made.toStdWString();
}
