#pragma once

#include "Core/BaseLib/AudioPlugins/MidiMessage.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <new>

// The memory an isolated plug-in's blocks cross in, seen by both processes:
// a header with the handshake words and the block's description, then the
// input and output channels. Whatever the other side wrote, every index
// either side computes is bounded by the constants below, never by a count
// read from here.
class IsolationBlock
{
public:
    static constexpr std::uint32_t kMaxChannels = 32;
    static constexpr std::uint32_t kMaxFrames = 8192;
    static constexpr std::uint32_t kMaxMidi = 1024;
    // Stored in `done` by the parent when the child is gone; block numbers skip it.
    static constexpr std::uint32_t kChildGone = 0xffffffffu;

    struct Header
    {
        // The parent's number of the block it asks for; the child's number
        // of the last block it finished.
        std::atomic<std::uint32_t> request;
        std::atomic<std::uint32_t> done;
        // Counts the notices the child sent, so the parent reads its socket
        // only when there is something to read.
        std::atomic<std::uint32_t> notices;
        // Set by the parent, with a request, to end the child's block loop.
        std::atomic<std::uint32_t> quit;
        std::uint32_t frames;
        std::uint32_t inputs;
        std::uint32_t outputs;
        std::uint32_t midiCount;
        std::int64_t position;
        std::int32_t transportState;
        std::uint32_t rolling;
        double speed;
        MidiMessage midi[kMaxMidi];
    };

    static constexpr std::size_t kAudioOffset = (sizeof(Header) + 63) / 64 * 64;
    static constexpr std::size_t kChannelBytes = std::size_t(kMaxFrames) * sizeof(float);
    static constexpr std::size_t kBytes = kAudioOffset + 2 * kMaxChannels * kChannelBytes;

    // The memory must be kBytes long and zero-filled or already laid out.
    explicit IsolationBlock(void* memory) : m_memory(static_cast<unsigned char*>(memory)) {}

    Header& Fields() const { return *std::launder(reinterpret_cast<Header*>(m_memory)); }
    float* Input(std::uint32_t channel) const { return Channel(channel % kMaxChannels); }
    float* Output(std::uint32_t channel) const { return Channel(kMaxChannels + channel % kMaxChannels); }

private:
    float* Channel(std::uint32_t slot) const
    {
        return reinterpret_cast<float*>(m_memory + kAudioOffset + slot * kChannelBytes);
    }

    unsigned char* m_memory;
};
