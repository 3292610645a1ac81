#pragma once

#include "Core/BaseLib/AudioPlugins/AudioPluginHost.h"
#include "Core/BaseLib/KriticalSection.h"
#include "Core/BaseLib/Utf16Order.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Processor.h"
#include "Main/AudioEngineController/Effects/VST3/VST3EffectRecord.h"

#include <QByteArray>
#include <QDateTime>
#include <QSet>
#include <QString>
#include <atomic>
#include <map>
#include <set>

class FolderListing;
class RewriteSchedule;
class ScanFolder;
class VST3Plugin;

// The host of every VST 3 plug-in in the process, and its folder scan: it
// walks the plug-in folders for modules, probes new and changed ones one at a
// time behind a crash marker, and keeps the known classes in the VST 3
// configuration file.
class VST3Host : public AudioPluginHost
{
public:
    static VST3Host* GetInstance();
    ~VST3Host() override;

    // effectsFolder holds the configuration file and the crash markers.
    bool Initialise(const std::wstring& effectsFolder, const std::wstring& legacyRoot,
                    std::uint32_t sampleRate, std::int32_t blockSize) override;
    // Destroys the process-wide instance.
    bool Shutdown() override;
    // Reads the configuration file and turns leftover crash markers into
    // disabled entries; false only when the file is malformed.
    bool LoadKnownPlugins() override;
    std::vector<std::wstring> GetFolderList() override;
    bool ConfigurationChanged() override;
    bool FillPluginList(PluginTypeList& list) override;
    bool SetSampleRate(std::uint32_t rate) override;
    // The engine's frame-rate code, as the process context tells plug-ins.
    bool SetFrameRate(std::int32_t frameRateCode) override;
    bool SetBlockSize(std::uint32_t frames) override;
    bool Start() override { return true; }
    bool End() override { return true; }
    void AddFixedDevice(const std::wstring&, AudioPlugin*) override {}
    bool UpdateTimeInfo(const TransportRecord&, bool) override { return true; }
    bool AdvanceTimeInfo() override { return true; }
    // A plug-in of an enabled class, brought up for processing; null when
    // the class is unknown, disabled or cannot be brought up.
    AudioPlugin* LoadPlugin(const std::wstring& identifier, std::uint32_t blockSize,
                            const PluginPlacement& placement) override;
    // False for a plug-in this host did not load.
    bool ReleasePlugin(AudioPlugin* plugin) override;
    bool KnowsPlugin(const std::wstring& identifier) override;
    // With scan false only takes the known classes as the results; with scan
    // true probes what is new or changed. True when the configuration file
    // was written.
    bool LaunchScanner(bool scan, bool inProcess) override;
    // The scan stops after the module under way.
    bool StopScan() override;
    bool Poll() override { return true; }
    std::int32_t ChannelCountOfFormat(std::uint32_t format) override;
    std::int64_t TimeBase() override;

    // Whether a VST 3 class of this display name is in the results; the
    // merged "vst" list leaves out VST 2 plug-ins of such names.
    bool IsNameKnown(const std::wstring& name) const;
    // The metadata's channel width for a listed class; it stands for the
    // class's outputs in the plug-in list. Below 1 means none.
    void SetMetadataWidth(const std::wstring& identifier, std::int32_t width);
    // Takes the user's choices (enabled, category mask, favourite) from the
    // catalogue's list; true when any changed. rescanNeeded is set when a
    // class was re-enabled, which makes the next scan probe its module again.
    bool ApplyCatalogueEdits(const PluginTypeList& edits, bool& rescanNeeded);

    QString ConfigurationPath() const;

private:
    struct ScanCandidate
    {
        std::string path;
        std::string fileTime;
        QString filePath;
        QString fileName;
        // The known list already had entries for the file name.
        bool known = false;
    };

    // A result keeps its lines of the configuration file once written, so
    // that rewriting the file after every module does not format every entry
    // again.
    struct ScanResult
    {
        VST3EffectRecord record;
        QByteArray lines;
    };
    // Keyed by class id text, in the file's order.
    using ScanResults = std::map<std::wstring, ScanResult, Utf16Order>;

    bool ReadConfiguration();
    bool ReadCrashMarkers();
    void InsertKnown(VST3EffectRecord record);
    bool MergeCrashMarker(const VST3EffectRecord& marker);
    void AddKnownPlugins();
    void ClearResults();

    void Scan(RewriteSchedule& schedule);
    std::vector<ScanCandidate> Triage();
    void TriageCandidate(const QString& path, std::vector<ScanCandidate>& queue);
    void KeepKnownIn(const ScanFolder& folder, QSet<QString>& seen);
    bool ProbeCandidate(const ScanCandidate& candidate, std::size_t queued);
    bool RecordClasses(const ScanCandidate& candidate, std::vector<VST3EffectRecord>& records,
                       std::size_t queued);
    bool RecordFailure(const ScanCandidate& candidate, bool hasFactory);
    void CarryUserChoices(VST3EffectRecord& record, const QString& fileName) const;
    QString CreateCrashMarker(const ScanCandidate& candidate) const;

    bool AddResult(VST3EffectRecord record);
    bool PreferNewerWaveShell(const VST3EffectRecord& record, ScanResults::iterator existing);
    void WriteConfiguration();

    static void FindFiles(FolderListing& listing, QStringList& out, const QString& folder,
                          const QStringList& nameFilters);
    static void MakeNameFromPath(const std::string& path, std::wstring& name);

    mutable KriticalSection m_lock;
    // Guards the results on their own, so that a scan, which holds m_lock
    // throughout, keeps plug-ins of the classes known so far loadable.
    mutable KriticalSection m_resultsLock;
    KriticalSection m_liveLock;
    std::map<AudioPlugin*, VST3Plugin*> m_livePlugins;
    vst3::FrameRate m_frameRate = {25, 0};
    QString m_effectsFolder;
    std::atomic<std::uint32_t> m_sampleRate{48000};
    std::atomic<std::uint32_t> m_blockSize{1024};
    std::vector<std::wstring> m_folders;
    // Module file name to its classes; a module that crashed has one entry.
    std::multimap<QString, VST3EffectRecord> m_knownPlugins;
    ScanResults m_scanResults;
    std::set<std::wstring> m_resultNames;
    std::map<std::wstring, std::int32_t> m_metadataWidths;
    std::atomic<bool> m_stopRequested{false};
    // File names of the modules that ended the run before; finds ahead of
    // the first of them in this run are written at once.
    QSet<QString> m_crashedModules;
    std::size_t m_writeThroughBefore = 0;
    QDateTime m_configurationTime;
};
