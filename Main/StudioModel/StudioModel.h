#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

class IntParameterHandler;

// The little of the host's project model that plug-in hosting reads: the
// stream settings, the settings that filter plug-in menus, and the integer
// parameters other objects register. Without a project every value is the
// neutral one a fresh stereo project at 48000 Hz and 25 fps would give.
class StudioModel
{
public:
    // Track queries.
    static constexpr std::int32_t kTrackKind = 2;
    // Track kind whose channel format lives in kBusChannelFormat.
    static constexpr std::int32_t kBusTrack = 2;
    // Track settings, read for a channel setting.
    static constexpr std::int32_t kTrackChannelFormat = 186;
    static constexpr std::int32_t kBusChannelFormat = 436;
    // Global settings.
    static constexpr std::int32_t kPluginWidthFiltering = 646;
    static constexpr std::int32_t kPluginVisibility = 992;
    // Bit of kPluginVisibility that shows in-house plug-ins marked optional.
    static constexpr std::int32_t kShowOptionalPlugins = 64;

    enum FrameRate : std::int32_t
    {
        kFrameRate24 = 0,
        kFrameRate25 = 1,
        kFrameRate2997Drop = 2,
        kFrameRate2997 = 3,
        kFrameRate30 = 4,
    };

    // Ticks per second of engine time: a multiple of every sample rate from
    // 44100 Hz to 192000 Hz and of every frame rate, so both convert exactly.
    static constexpr std::int64_t kTimeBase = 282240000;
    // Plug-ins with a longer latency are restarted, not fed silence, when
    // the transport jumps while rolling: their silence would take longer to
    // run than a restart.
    static constexpr std::int32_t kLatencyThreshold = 8192;

    static StudioModel& Instance();

    std::int32_t TrackQuery(std::int32_t track, std::int32_t query) const;
    std::int32_t TrackSetting(std::int32_t track, std::int32_t setting, std::int32_t channelSetting) const;
    std::int32_t GlobalSetting(std::int32_t setting) const;
    std::uint32_t SampleRate() const;
    std::int32_t FrameRateCode() const;
    std::int64_t TimeBase() const { return kTimeBase; }

    // The model keeps no tracks of its own: a track setting applies to every
    // track and channel setting.
    void SetTrackSetting(std::int32_t setting, std::int32_t value);
    void SetGlobalSetting(std::int32_t setting, std::int32_t value);
    void SetSampleRate(std::uint32_t rate);

    // The handler stays the registrant's; it must unregister before it dies.
    void RegisterIntParameter(std::int32_t parameter, const IntParameterHandler* handler,
                              std::int32_t valueCount);
    void UnregisterIntParameter(std::int32_t parameter);
    std::int32_t IntParameterValueCount(std::int32_t parameter) const;
    std::wstring IntParameterText(std::int32_t parameter, std::int32_t value) const;

private:
    struct IntParameter
    {
        const IntParameterHandler* handler;
        std::int32_t valueCount;
    };

    StudioModel();

    static std::int32_t Lookup(const std::map<std::int32_t, std::int32_t>& values, std::int32_t key);

    mutable std::mutex m_lock;
    std::map<std::int32_t, std::int32_t> m_trackSettings;
    std::map<std::int32_t, std::int32_t> m_globalSettings;
    std::uint32_t m_sampleRate = 48000;
    std::map<std::int32_t, IntParameter> m_intParameters;
};
