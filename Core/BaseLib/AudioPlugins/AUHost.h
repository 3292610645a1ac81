#pragma once

#include "Core/BaseLib/AudioPlugins/AudioPluginHost.h"

// The Audio Unit host. Audio Units do not exist on this platform, so it
// answers every call without doing anything and lists nothing.
class AUHost : public AudioPluginHost
{
public:
    static AUHost& Instance();

    bool Initialise(const std::wstring&, const std::wstring&, std::uint32_t, std::int32_t) override
    {
        return true;
    }
    bool Shutdown() override { return true; }
    bool SetSampleRate(std::uint32_t) override { return true; }
    bool SetFrameRate(std::int32_t) override { return true; }
    bool SetBlockSize(std::uint32_t) override { return true; }
    bool Start() override { return true; }
    bool End() override { return true; }
    void AddFixedDevice(const std::wstring&, AudioPlugin*) override {}
    bool UpdateTimeInfo(const TransportRecord&, bool) override { return true; }
    bool AdvanceTimeInfo() override { return true; }
    bool ReleasePlugin(AudioPlugin*) override { return false; }
    bool LaunchScanner(bool, bool) override { return true; }
    bool StopScan() override { return true; }
    bool Poll() override { return true; }
    // Audio Units name their formats by channel count already.
    std::int32_t ChannelCountOfFormat(std::uint32_t format) override { return std::int32_t(format); }
    std::int64_t TimeBase() override;

private:
    AUHost() = default;
};
