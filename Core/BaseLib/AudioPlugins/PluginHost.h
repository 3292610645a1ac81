#pragma once

#include "Core/BaseLib/AudioPlugins/AudioPluginHost.h"
#include "Core/BaseLib/AudioPlugins/Isolation/PluginIsolation.h"
#include "Core/BaseLib/AudioPlugins/PluginMenuData.h"
#include "Core/BaseLib/AudioPlugins/PluginMetadata.h"
#include "Core/BaseLib/AudioPlugins/ScannerLaunch.h"
#include "Core/BaseLib/KriticalSection.h"
#include "Main/StudioModel/IntParameterHandler.h"

#include <QString>
#include <array>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <thread>
#include <vector>

class DummyAudioPlugin;
class TFDAudioPluginHost;
class VST3Host;
class VSTHost;

namespace qmx
{
class Event;
}

// The single entry point to plug-ins. It owns one host per plug-in format and
// dispatches to them, keeps the process-wide plug-in list with the shipped
// metadata merged in, builds the plug-in menus, makes plug-ins from
// identifiers, hands out placeholders for missing ones, keeps the fixed
// devices and starts the scanner process.
class PluginHost : public AudioPluginHost, public IntParameterHandler
{
public:
    // The plug-in browser's category filter.
    static constexpr std::int32_t kCategoryFilterParameter = 1046;
    // The in-house chain plug-in; chain preset ids are this, "@" and the preset.
    static constexpr const wchar_t* kChainPluginKey = L"Chain FX:1413890920";

    // Created on first use; the thread that creates it owns the plug-ins.
    static PluginHost* GetInstance();
    ~PluginHost() override;

    bool Initialise(const std::wstring& preferencesRoot, const std::wstring& legacyRoot,
                    std::uint32_t sampleRate, std::int32_t blockSize) override;
    // The same with the results and crash markers in effectsFolder rather
    // than under the preferences root.
    bool InitialiseIn(const std::wstring& effectsFolder, const std::wstring& preferencesRoot,
                      const std::wstring& legacyRoot, std::uint32_t sampleRate, std::int32_t blockSize);
    bool Shutdown() override;
    QMenu* BuildPluginMenu(std::int32_t track, std::int32_t channelSetting, QWidget* parent,
                           bool includeChainPresets) override;
    void RefreshPluginList() override;
    void ApplyPluginListEdits(const PluginList& edits) override;
    void SetFavourite(const std::wstring& identifier, bool on) override;
    bool SetSampleRate(std::uint32_t rate) override;
    bool SetFrameRate(std::int32_t frameRateCode) override;
    bool SetBlockSize(std::uint32_t frames) override;
    bool Start() override;
    bool End() override;
    void AddFixedDevice(const std::wstring& identifier, AudioPlugin* plugin) override;
    AudioPlugin* FindFixedDevice(const std::wstring& identifier) override;
    bool UpdateTimeInfo(const TransportRecord& transport, bool offline) override;
    bool AdvanceTimeInfo() override;
    AudioPlugin* LoadPlugin(const std::wstring& identifier, std::uint32_t blockSize,
                            const PluginPlacement& placement) override;
    bool ReleasePlugin(AudioPlugin* plugin) override;
    bool KnowsPlugin(const std::wstring& identifier) override;
    std::uint32_t CategoryMaskOf(const std::string& typeKey, const std::wstring& id) override;
    bool CanInsertPlugin(const std::wstring& identifier, const PluginPlacement& placement,
                         std::wstring& message) override;
    // Outside the scanner process this holds the effects folder's scan lock
    // (see ScanLock) while it reloads, and the scanner worker it starts holds
    // it until the scan ends; the scanner process scans under its host's lock.
    // False, having done nothing, when the wait for the lock was given up.
    bool LaunchScanner(bool scan, bool inProcess) override;
    bool StopScan() override;
    bool Poll() override;
    void DebugDump() override;
    std::wstring KeyOfIdentifier(const std::wstring& identifier) override;
    std::uint32_t CategoryMaskFromText(std::string& text) override;
    std::wstring MakePlaceholder(const std::wstring& suffix, std::int32_t channels,
                                 const PluginState& missing, std::uint32_t blockSize,
                                 const std::wstring& creationText, std::uint32_t mode) override;
    void ReleaseAllPlaceholders() override;
    void ReleaseDeferredPlugins() override;
    bool IsInstrumentMask(std::uint32_t mask) override;
    bool IsAmbisonicMask(std::uint32_t mask) override;
    std::int32_t ChannelCountOfFormat(std::uint32_t format) override;
    std::int64_t TimeBase() override;
    void SetProcessingThread(bool on) override;
    void RefreshChainPresets() override;
    // "unknown" for a plug-in that is not listed.
    std::wstring DisplayNameOf(const std::string& typeKey, const std::wstring& id) const;

    std::wstring IntParameterText(std::int32_t parameter, std::int32_t value) const override;

    QString EffectsFolder() const { return QString::fromStdWString(m_effectsFolder); }
    QString ScanRequestPath() const;
    // The scanner process and its scan lock; see ScannerLaunch.
    ScannerLaunch& Scanner() { return m_scanner; }
    const ScannerLaunch& Scanner() const { return m_scanner; }
    // An edit re-enabled a plug-in that must be probed again.
    bool RescanNeeded() const { return m_rescanNeeded; }
    const PluginMenuData& MenuData() const { return m_menuData; }
    // Which plug-ins LoadPlugin runs in a process of their own.
    PluginIsolation& Isolation() { return m_isolation; }
    // A VST plug-in in a process of its own, whatever the isolation settings say.
    AudioPlugin* LoadIsolatedPlugin(const std::wstring& identifier, std::uint32_t blockSize,
                                    const PluginPlacement& placement);
    // An isolated plug-in crashed: it is disabled and shown as not working,
    // as a crash while scanning leaves it, until the user enables it again.
    void ReportIsolatedCrash(const std::wstring& identifier);

private:
    PluginHost();

    static VSTHost* Vst2();
    static VST3Host* Vst3();
    static TFDAudioPluginHost* Tfd();
    // In the order every call goes to them.
    static std::array<AudioPluginHost*, 4> SubHosts();
    // VST 3 first: its classes win over VST 2 plug-ins of the same name.
    static std::array<AudioPluginHost*, 4> ScanOrder();

    bool OnOwnerThread() const { return std::this_thread::get_id() == m_ownerThread; }
    bool OnProcessingThread() const;
    void MoveLegacyConfiguration(const std::wstring& legacyRoot) const;
    void WriteScanRequest();
    void StartScannerWorker(std::shared_ptr<ScanLock> folderLock);
    void ReloadChangedConfigurations();
    AudioPlugin* LoadChainPlugin(const std::wstring& rest, std::uint32_t blockSize,
                                 const PluginPlacement& placement);
    AudioPlugin* TakePlaceholder(const std::wstring& key, std::uint32_t blockSize);
    bool IsFixedDevice(AudioPlugin* plugin);
    void ApplyMetadata();
    QString ChainPresetFolder() const;

    KriticalSection m_lock;
    std::map<std::wstring, AudioPlugin*> m_fixedDevices;
    std::map<std::wstring, DummyAudioPlugin*> m_placeholders;
    bool m_started = false;
    bool m_initialised = false;
    const std::thread::id m_ownerThread;
    KriticalSection m_deferredLock;
    std::vector<AudioPlugin*> m_deferred;
    std::wstring m_effectsFolder;
    std::unique_ptr<qmx::Event> m_scanComplete;
    ScannerLaunch m_scanner;
    PluginMetadata m_metadata;
    PluginMenuData m_menuData;
    std::set<std::wstring> m_refused;
    std::set<std::wstring> m_chainPresets;
    std::thread::id m_processingThread;
    bool m_rescanNeeded = false;
    PluginIsolation m_isolation;
};
