#pragma once

#include <cstdint>

// One short MIDI message queued for a plug-in's next block.
struct MidiMessage
{
    // Frames from the start of the block.
    std::int32_t deltaFrames = 0;
    std::uint8_t data[3] = {};
};
