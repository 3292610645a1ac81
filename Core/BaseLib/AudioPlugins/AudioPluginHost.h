#pragma once

#include "Core/BaseLib/AudioPlugins/PluginList.h"
#include "Core/BaseLib/AudioPlugins/PluginPlacement.h"
#include "Core/BaseLib/AudioPlugins/PluginState.h"

#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

class AudioPlugin;
class QMenu;
class QWidget;

// What every plug-in host implements: each format host (VST 2, VST 3, Audio
// Unit, in-house) and the catalogue that aggregates them.
class AudioPluginHost
{
public:
    virtual ~AudioPluginHost() = default;

    // The process-wide host that engine code asks (the catalogue once it
    // runs). Asking before one was registered is a precondition violation:
    // it is reported and answered with null.
    static AudioPluginHost* Current();
    static void SetCurrent(AudioPluginHost* host);
    // The preferences root the catalogue was initialised with; presets live
    // beneath it.
    static std::wstring PreferencesRoot();
    static void SetPreferencesRoot(const std::wstring& root);

    virtual bool Initialise(const std::wstring& preferencesRoot, const std::wstring& legacyRoot,
                            std::uint32_t sampleRate, std::int32_t blockSize) = 0;
    virtual bool Shutdown() = 0;
    virtual bool LoadKnownPlugins() { return false; }
    // The plug-in folders this host scans.
    virtual std::vector<std::wstring> GetFolderList() { return {}; }
    // Whether the host's result file was rewritten since the last check.
    virtual bool ConfigurationChanged() { return false; }
    static PluginList& GetPluginList();
    static const std::vector<std::string>& GetCategoryNameList();
    virtual QMenu* BuildPluginMenu(std::int32_t, std::int32_t, QWidget*, bool) { return nullptr; }
    virtual void RefreshPluginList() {}
    virtual void ApplyPluginListEdits(const PluginList&) {}
    virtual bool FillPluginList(PluginTypeList&) { return false; }
    virtual void SetFavourite(const std::wstring&, bool) {}
    virtual bool SetSampleRate(std::uint32_t rate) = 0;
    virtual bool SetFrameRate(std::int32_t frameRateCode) = 0;
    virtual bool SetBlockSize(std::uint32_t frames) = 0;
    virtual bool Start() = 0;
    virtual bool End() = 0;
    virtual void AddFixedDevice(const std::wstring& identifier, AudioPlugin* plugin) = 0;
    virtual AudioPlugin* FindFixedDevice(const std::wstring&) { return nullptr; }
    virtual bool UpdateTimeInfo(const TransportRecord& transport, bool offline) = 0;
    virtual bool AdvanceTimeInfo() = 0;
    virtual AudioPlugin* LoadPlugin(const std::wstring&, std::uint32_t, const PluginPlacement&)
    {
        return nullptr;
    }
    virtual bool ReleasePlugin(AudioPlugin* plugin) = 0;
    virtual bool KnowsPlugin(const std::wstring&) { return false; }
    virtual std::uint32_t CategoryMaskOf(const std::string&, const std::wstring&) { return 0; }
    // Whether the plug-in may be inserted where the placement says; false
    // with a message for the user when it may not.
    virtual bool CanInsertPlugin(const std::wstring&, const PluginPlacement&, std::wstring&) { return true; }
    virtual bool LaunchScanner(bool scan, bool inProcess) = 0;
    virtual bool StopScan() = 0;
    virtual bool Poll() = 0;
    virtual void DebugDump() {}
    // The host's key for a plug-in identifier.
    virtual std::wstring KeyOfIdentifier(const std::wstring& identifier) { return identifier; }
    virtual std::uint32_t CategoryMaskFromText(std::string&) { return 0; }
    static std::uint32_t FileMaskToRuntime(std::uint32_t fileMask);
    static std::uint32_t RuntimeMaskToFile(std::uint32_t runtimeMask);
    virtual std::wstring MakePlaceholder(const std::wstring&, std::int32_t, const PluginState&, std::uint32_t,
                                         const std::wstring&, std::uint32_t)
    {
        return {};
    }
    virtual void ReleaseAllPlaceholders() {}
    virtual void ReleaseDeferredPlugins() {}
    virtual bool IsInstrumentMask(std::uint32_t) { return false; }
    virtual bool IsAmbisonicMask(std::uint32_t) { return false; }
    virtual std::int32_t ChannelCountOfFormat(std::uint32_t format) = 0;
    virtual std::int64_t TimeBase() = 0;
    virtual void SetProcessingThread(bool) {}
    static std::wstring GetPresetFilePath(AudioPlugin* plugin, const std::wstring& presetName);
    virtual void RefreshChainPresets() {}
};
