#pragma once

#include "Core/BaseLib/AudioPlugins/AudioPluginHost.h"
#include "Core/BaseLib/AudioPlugins/TFDPluginRegistry.h"
#include "Core/BaseLib/KriticalSection.h"

#include <QString>
#include <map>

class TFDPluginFactory;

// The host of the in-house plug-ins. They come from the registry the host
// application attaches; without one (as in the scanner) the host lists and
// makes nothing but still keeps the favourites file.
class TFDAudioPluginHost : public AudioPluginHost
{
public:
    static TFDAudioPluginHost* GetInstance();

    // Call before Initialise; the registry stays the caller's.
    void AttachRegistry(TFDPluginRegistry* registry) { m_registry = registry; }

    bool Initialise(const std::wstring& effectsFolder, const std::wstring& legacyRoot,
                    std::uint32_t sampleRate, std::int32_t blockSize) override;
    bool Shutdown() override;
    bool LoadKnownPlugins() override { return true; }
    bool FillPluginList(PluginTypeList& list) override;
    bool SetSampleRate(std::uint32_t rate) override;
    bool SetFrameRate(std::int32_t) override { return true; }
    bool SetBlockSize(std::uint32_t frames) override;
    bool Start() override { return true; }
    bool End() override { return true; }
    void AddFixedDevice(const std::wstring&, AudioPlugin*) override {}
    bool UpdateTimeInfo(const TransportRecord& transport, bool offline) override;
    bool AdvanceTimeInfo() override;
    AudioPlugin* LoadPlugin(const std::wstring& key, std::uint32_t blockSize,
                            const PluginPlacement& placement) override;
    bool ReleasePlugin(AudioPlugin* plugin) override;
    bool KnowsPlugin(const std::wstring&) override { return true; }
    bool LaunchScanner(bool, bool) override { return true; }
    bool StopScan() override { return true; }
    bool Poll() override { return true; }
    std::int32_t ChannelCountOfFormat(std::uint32_t format) override;
    std::int64_t TimeBase() override;

    // Takes over the favourite marks and categories the catalogue's "tfd"
    // list was edited to, and writes the favourites file when any changed.
    bool ApplyCatalogueEdits(const PluginTypeList& edits);

    const TFDRegisteredPlugins& RegisteredPlugins() const { return m_registered; }
    QString FavouritesPath() const;

private:
    TFDAudioPluginHost() = default;

    TFDPluginRegistry* m_registry = nullptr;
    std::uint32_t m_blockSize = 256;
    std::uint32_t m_sampleRate = 48000;
    std::wstring m_effectsFolder;
    std::map<AudioPlugin*, TFDPluginFactory*> m_live;
    KriticalSection m_lock;
    TFDRegisteredPlugins m_registered;
};
