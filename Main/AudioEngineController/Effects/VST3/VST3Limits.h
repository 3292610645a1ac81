#pragma once

#include <cstddef>
#include <cstdint>

// What we accept of a VST 3 plug-in's answers; README.md lists them for users.
// Counts past these are refused; the others are capped with a trace line.
struct VST3Limits
{
    static constexpr std::int32_t kMaxParameters = 100000;
    static constexpr std::int32_t kMaxClasses = 10000;
    static constexpr std::int32_t kMaxBuses = 64;
    static constexpr std::int32_t kMaxBusChannels = 64;
    // Only this many event input buses are read and fed.
    static constexpr std::int32_t kMaxEventBuses = 4;
    // A parameter with more steps is handled as continuous.
    static constexpr std::int32_t kMaxSteps = 1024;
    // Ten seconds at 96 kHz; a larger answer is taken as this.
    static constexpr std::int32_t kMaxLatency = 960000;
    // Texts a plug-in gives our message and attribute objects (ids, names)
    // are read no further than this many units, terminated or not.
    static constexpr std::size_t kMaxTextUnits = 65536;
};
