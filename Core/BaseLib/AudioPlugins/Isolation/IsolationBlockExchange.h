#pragma once

#include "Core/BaseLib/AudioPlugins/Isolation/IsolationBlock.h"
#include "Core/BaseLib/AudioPlugins/PluginPlacement.h"

#include <array>
#include <cstdint>

class IsolationProcess;

// The processing thread's side of one isolated process: copies a block's
// input, transport and MIDI into the shared block, wakes the child, waits
// for it within the block's deadline and copies its output back. No locks,
// no allocation. A child that misses several deadlines in a row is killed.
class IsolationBlockExchange
{
public:
    // Blocks missed in a row before the process is taken for hung and killed.
    static constexpr std::uint32_t kMissedBlocksBeforeHung = 3;
    // The shortest deadline of a block; otherwise four block lengths.
    static constexpr std::uint64_t kMinimumDeadlineMicros = 50000;
    // The first block after a start also pages in the plug-in's processing
    // code and memory in the other process.
    static constexpr std::uint64_t kFirstBlockDeadlineMicros = 2000000;

    explicit IsolationBlockExchange(IsolationProcess& process) : m_process(process) {}

    void SetSampleRate(float rate) { m_sampleRate = rate; }
    void SetMinimumDeadline(std::uint64_t micros) { m_minimumDeadlineMicros = micros; }
    // Kept for the next block; what the block cannot hold is dropped.
    void QueueMidi(const MidiMessage& message);

    // Plays frames (at most IsolationBlock::kMaxFrames) from offset on.
    // False, with the outputs untouched, when the child is gone or late.
    bool Exchange(const TransportRecord& transport, float** inputs, float** outputs, std::uint32_t inputCount,
                  std::uint32_t outputCount, std::uint32_t offset, std::uint32_t frames);

private:
    void Submit(const TransportRecord& transport, float** inputs, std::uint32_t inputCount,
                std::uint32_t outputCount, std::uint32_t offset, std::uint32_t frames);
    bool AwaitBlock(std::uint64_t deadlineMicros);
    bool Missed();
    std::uint64_t DeadlineMicros(std::uint32_t frames) const;

    IsolationProcess& m_process;
    float m_sampleRate = 44100.0f;
    std::uint64_t m_minimumDeadlineMicros = kMinimumDeadlineMicros;
    std::uint32_t m_sequence = 0;
    bool m_outstanding = false;
    std::uint32_t m_missed = 0;
    std::array<MidiMessage, IsolationBlock::kMaxMidi> m_midi{};
    std::uint32_t m_midiCount = 0;
};
