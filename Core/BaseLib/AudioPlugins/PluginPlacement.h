#pragma once

#include <cstdint>

// Where a plug-in instance is created: the creation record that hosts pass to
// LoadPlugin and plug-ins receive in Initialise.
struct PluginPlacement
{
    std::int32_t trackGroup = 0;
    std::int32_t trackIndex = 0;
    // The studio model's channel-format code of the track.
    std::uint32_t channelFormat = 2;
    std::uint32_t reserved[3] = {};
};

// The engine's transport for one processing block.
struct TransportRecord
{
    // Position in the studio model's time units.
    std::int64_t position = 0;
    // 1 while playing.
    std::int32_t state = 0;
    bool rolling = false;
    double speed = 1.0;
};
