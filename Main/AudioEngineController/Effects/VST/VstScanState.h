#pragma once

#include "Core/BaseLib/AudioPlugins/PluginList.h"
#include "Main/AudioEngineController/Effects/VST/VstConfigurationFile.h"
#include "Main/AudioEngineController/Effects/VST/VstEffectRecord.h"
#include "Main/VLib/VProgressDisplay.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

class FolderListing;
class RewriteSchedule;
class ScanFolder;
class VSTPlugin;

// The VST 2 folder scan. Keeps the known plug-ins of the configuration file,
// walks the plug-in folders, reuses what it knows of unchanged files and
// probes new and changed files one at a time, each under a crash marker, so
// that a plug-in that kills the process is recorded as crashed by the next
// run instead of being probed again.
class VstScanState
{
public:
    // Takes the folders to walk from the host interface.
    explicit VstScanState(const std::wstring& effectsFolder);

    // Reads the configuration file and turns leftover crash markers into
    // disabled entries; true when there were any.
    bool LoadKnownPlugins();
    // Without scan, only takes over the known plug-ins; with it, scans the
    // folders. True when the scan wrote the configuration file.
    bool LaunchScanner(bool scan);
    // The scan stops after the probe under way; any thread may ask.
    void StopScan() { m_abort = true; }
    std::vector<std::wstring> GetFolderList() const { return m_folders; }
    QString ConfigurationPath() const { return m_file.Path(); }

    // The catalogue's view: offline plug-ins and shells themselves left out.
    bool FillPluginList(PluginTypeList& list) const;
    bool ApplyCatalogueEdits(const PluginTypeList& edits, bool& rescanNeeded);
    bool KnowsPlugin(const std::wstring& identifier) const;
    // A loaded plug-in, or null; the caller owns it.
    VSTPlugin* CreatePlugin(const std::wstring& identifier);

private:
    // A file to probe in this run, with the user's choices from its old entry.
    struct Candidate
    {
        std::wstring path;
        std::wstring fileTime;
        QString qpath;
        // Its place in the scan's listing.
        std::size_t listed = 0;
        std::uint32_t categoryMask = 0;
        bool favourite = false;
    };

    void ReadJobResults();
    void TakeOverCrashMarker(const QString& markerPath);
    VstKnownList::iterator CrashedEntry(const QString& fileName, std::uint32_t subId);
    void Triage(FolderListing& listing, const std::wstring& folder, std::set<QString>& seen,
                std::vector<Candidate>& candidates);
    void TriageFile(const QString& path, std::size_t listed, std::vector<Candidate>& candidates);
    void KeepKnownIn(const ScanFolder& folder, std::set<QString>& seen);
    bool ProbeAll(const std::vector<Candidate>& candidates, RewriteSchedule& schedule);
    void KeepUnprobed(const std::vector<Candidate>& candidates, std::size_t from);
    bool Probe(const Candidate& candidate);
    bool Adopt(const Candidate& candidate);
    bool RecordLoaded(VSTPlugin& plugin, const Candidate& candidate);
    bool RecordUnloadable(const Candidate& candidate);
    bool ExpandShell(VSTPlugin& shell, VstEffectRecord& record);
    bool AddSubPlugin(VSTPlugin& shell, VstEffectRecord& record);
    const VstEffectRecord* KnownSubPlugin(const QString& fileName, std::uint32_t subId) const;
    bool Add(const VstEffectRecord& record);
    bool ApplyWaveShellRule(VstActiveList::iterator existing, const VstEffectRecord& record);
    bool Cancelled(const VRef<VProgressDisplay>& progress) const;
    bool WriteConfiguration();
    void ClearActive();

    VstKnownList m_known;
    std::vector<std::wstring> m_folders;
    VstActiveList m_active;
    std::set<std::wstring> m_namesInUse;
    QString m_effectsFolder;
    VstConfigurationFile m_file;
    std::atomic<bool> m_abort{false};
    bool m_dirty = false;
    // File names of the plug-ins that ended the run before; finds ahead of
    // the first of them in this run are written at once.
    std::set<QString> m_crashedFiles;
    std::size_t m_writeThroughBefore = 0;
    // What the jobs of a parallel scan found, taken over by the run that merges them.
    VstKnownList m_jobResults;
    // Plug-in files met so far in this scan's listing, which decides a job's share.
    std::size_t m_listed = 0;
};
