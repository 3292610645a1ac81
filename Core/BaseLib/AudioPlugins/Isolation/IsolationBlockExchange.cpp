#include "Core/BaseLib/AudioPlugins/Isolation/IsolationBlockExchange.h"

#include "Core/BaseLib/AudioPlugins/Isolation/IsolationProcess.h"
#include "Platform/Clock.h"
#include "Platform/WakeWord.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr std::uint64_t kBlockLengthsPerDeadline = 4;
} // namespace

void IsolationBlockExchange::QueueMidi(const MidiMessage& message)
{
    if (m_midiCount < m_midi.size())
        m_midi[m_midiCount++] = message;
}

std::uint64_t IsolationBlockExchange::DeadlineMicros(std::uint32_t frames) const
{
    const double rate = m_sampleRate > 0.0f ? double(m_sampleRate) : 44100.0;
    const auto blockMicros = std::uint64_t(double(frames) * 1e6 / rate);
    const std::uint64_t shortest = m_sequence == 0 ? kFirstBlockDeadlineMicros : m_minimumDeadlineMicros;
    return std::max(shortest, kBlockLengthsPerDeadline * blockMicros);
}

bool IsolationBlockExchange::Exchange(const TransportRecord& transport, float** inputs, float** outputs,
                                      std::uint32_t inputCount, std::uint32_t outputCount,
                                      std::uint32_t offset, std::uint32_t frames)
{
    const std::uint64_t deadline = DeadlineMicros(frames);
    // The block late last time still owns the shared channels until it is done.
    if (m_outstanding && !AwaitBlock(deadline))
        return Missed();
    m_outstanding = false;
    Submit(transport, inputs, inputCount, outputCount, offset, frames);
    if (!AwaitBlock(deadline))
    {
        m_outstanding = true;
        return Missed();
    }
    m_missed = 0;
    const IsolationBlock& block = m_process.Block();
    for (std::uint32_t channel = 0; channel < outputCount; ++channel)
        std::memcpy(outputs[channel] + offset, block.Output(channel), frames * sizeof(float));
    return true;
}

void IsolationBlockExchange::Submit(const TransportRecord& transport, float** inputs,
                                    std::uint32_t inputCount, std::uint32_t outputCount, std::uint32_t offset,
                                    std::uint32_t frames)
{
    const IsolationBlock& block = m_process.Block();
    IsolationBlock::Header& fields = block.Fields();
    for (std::uint32_t channel = 0; channel < inputCount; ++channel)
        std::memcpy(block.Input(channel), inputs[channel] + offset, frames * sizeof(float));
    fields.frames = frames;
    fields.inputs = inputCount;
    fields.outputs = outputCount;
    fields.position = transport.position;
    fields.transportState = transport.state;
    fields.rolling = transport.rolling ? 1 : 0;
    fields.speed = transport.speed;
    std::copy_n(m_midi.begin(), m_midiCount, fields.midi);
    fields.midiCount = m_midiCount;
    m_midiCount = 0;
    if (++m_sequence == IsolationBlock::kChildGone)
        m_sequence = 1;
    fields.request.store(m_sequence, std::memory_order_release);
    Platform::WakeWordSleepers(fields.request);
}

bool IsolationBlockExchange::AwaitBlock(std::uint64_t deadlineMicros)
{
    std::atomic<std::uint32_t>& done = m_process.Block().Fields().done;
    const std::uint64_t start = Platform::MonotonicMicroseconds();
    for (;;)
    {
        if (m_process.Gone())
            return false;
        const std::uint32_t seen = done.load(std::memory_order_acquire);
        if (seen == m_sequence)
            return true;
        const std::uint64_t elapsed = Platform::MonotonicMicroseconds() - start;
        if (elapsed >= deadlineMicros)
            return false;
        Platform::WaitWhileWordIs(done, seen, deadlineMicros - elapsed);
    }
}

bool IsolationBlockExchange::Missed()
{
    if (!m_process.Gone() && ++m_missed >= kMissedBlocksBeforeHung)
        m_process.KillAsHung();
    return false;
}
