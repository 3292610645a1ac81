#pragma once

#include "Core/BaseLib/AudioPlugins/AudioPluginHost.h"
#include "Core/BaseLib/KriticalSection.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Processor.h"

#include <QDateTime>
#include <QString>
#include <atomic>
#include <map>
#include <memory>

class VST3Plugin;
class VST3ScanState;

// The host of every VST 3 plug-in in the process: it brings up the plug-ins of
// the known classes, and leaves the folder scan and the VST 3 configuration
// file to its scan state.
class VST3Host : public AudioPluginHost
{
public:
    static VST3Host* GetInstance();
    VST3Host();
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
    mutable KriticalSection m_lock;
    KriticalSection m_liveLock;
    std::map<AudioPlugin*, VST3Plugin*> m_livePlugins;
    vst3::FrameRate m_frameRate = {25, 0};
    QString m_effectsFolder;
    std::atomic<std::uint32_t> m_sampleRate{48000};
    std::atomic<std::uint32_t> m_blockSize{1024};
    std::unique_ptr<VST3ScanState> m_scanState;
    std::map<std::wstring, std::int32_t> m_metadataWidths;
    QDateTime m_configurationTime;
};
