#pragma once

#include "Main/AudioEngineController/Effects/VST3/Abi/Processor.h"

#include <cstdint>

// The speaker arrangement the host offers a plug-in for an engine track
// format, and the smaller one it falls back to for a plug-in that takes
// fewer channels.
class VST3SpeakerArrangement
{
public:
    // Format bit of n discrete channels, n in the bits below it.
    static constexpr std::uint32_t kDiscrete = 256;

    // limit 0 means none; a limited arrangement is traced.
    static vst3::SpeakerArrangement ForFormat(std::uint32_t format, std::int32_t limit);
    static std::int32_t ChannelCount(vst3::SpeakerArrangement arrangement);

private:
    static vst3::SpeakerArrangement ForTrackFormat(std::uint32_t format);
    // 0 when no arrangement of that many channels is offered.
    static vst3::SpeakerArrangement ForLimit(std::int32_t channels, std::uint32_t format);
};
