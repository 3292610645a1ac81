#pragma once

#include "Core/BaseLib/AudioPlugins/PluginList.h"

#include <cstdint>

// Which listed plug-ins a menu for one track offers.
struct PluginMenuFilter
{
    std::uint32_t sampleRate = 48000;
    bool widthFiltering = false;
    std::uint32_t channelFormat = 2;
    std::int32_t channels = 2;

    // The track's channel format and the session's settings, from the studio model.
    static PluginMenuFilter ForTrack(std::int32_t track, std::int32_t channelSetting);

    bool Shows(const PluginListEntry& entry) const;
};
