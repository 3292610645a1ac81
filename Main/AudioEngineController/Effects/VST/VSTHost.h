#pragma once

#include "Core/BaseLib/AudioPlugins/AudioPluginHost.h"
#include "Core/BaseLib/KriticalSection.h"
#include "Main/AudioEngineController/Effects/VST/Abi/AudioMaster.h"
#include "Main/AudioEngineController/Effects/VST/Abi/TimeInfo.h"
#include "Main/AudioEngineController/Effects/VST/VSTHostContext.h"

#include <QDateTime>
#include <atomic>
#include <cstdint>
#include <memory>
#include <set>

class VSTPlugin;
class VstScanState;

// The host of every VST 2 plug-in in the process: creates and releases them
// for the catalogue, keeps the time information and stream settings they ask
// for through HostCallback, and owns the VST 2 folder scan. One instance,
// created on first use; its first use must come before any other thread
// touches it.
class VSTHost : public AudioPluginHost, public VSTHostContext
{
public:
    static VSTHost* GetInstance();
    // The instance if there is one. Plug-in threads calling back must never
    // create it.
    static VSTHost* Existing();

    bool Initialise(const std::wstring& effectsFolder, const std::wstring& legacyRoot,
                    std::uint32_t sampleRate, std::int32_t blockSize) override;
    bool Shutdown() override;
    bool LoadKnownPlugins() override;
    std::vector<std::wstring> GetFolderList() override;
    bool ConfigurationChanged() override;
    bool FillPluginList(PluginTypeList& list) override;
    bool SetSampleRate(std::uint32_t rate) override;
    bool SetFrameRate(std::int32_t frameRateCode) override;
    bool SetBlockSize(std::uint32_t frames) override;
    bool Start() override { return true; }
    bool End() override { return true; }
    void AddFixedDevice(const std::wstring&, AudioPlugin*) override {}
    bool UpdateTimeInfo(const TransportRecord& transport, bool offline) override;
    bool AdvanceTimeInfo() override;
    AudioPlugin* LoadPlugin(const std::wstring& identifier, std::uint32_t blockSize,
                            const PluginPlacement& placement) override;
    bool ReleasePlugin(AudioPlugin* plugin) override;
    bool KnowsPlugin(const std::wstring& identifier) override;
    bool LaunchScanner(bool scan, bool inProcess) override;
    bool StopScan() override;
    bool Poll() override { return true; }
    void DebugDump() override;
    std::int32_t ChannelCountOfFormat(std::uint32_t format) override;
    std::int64_t TimeBase() override;

    // Writes the catalogue's edits of the "vst" list back into the result
    // file; true when anything changed. rescanNeeded is set when a plug-in
    // was re-enabled and must be probed again.
    bool ApplyCatalogueEdits(const PluginTypeList& edits, bool& rescanNeeded);
    VstTimeInfo* GetTimeInfo() const override { return m_timeInfo.get(); }
    std::int32_t SampleRate() const override { return m_sampleRate; }
    std::uint32_t BlockSize() const override { return m_blockSize; }
    std::int32_t ProcessLevel() const override { return m_processLevel; }
    const VSTPlugin* ReleasingPlugin() const override { return m_releasingPlugin; }

private:
    VSTHost();
    ~VSTHost() override;

    void CreateTimeInfo();

    QDateTime m_configurationTime;
    std::atomic<std::uint32_t> m_blockSize{256};
    std::atomic<std::int32_t> m_sampleRate{44100};
    std::atomic<const VSTPlugin*> m_releasingPlugin{nullptr};
    std::unique_ptr<VstTimeInfo> m_timeInfo;
    std::int8_t m_playing = 0;
    std::atomic<std::int32_t> m_processLevel{kVstProcessLevelUser};
    std::int64_t m_frameTime = 0;
    std::unique_ptr<VstScanState> m_scanState;
    std::set<VSTPlugin*> m_livePlugins;
    KriticalSection m_lock;
};
