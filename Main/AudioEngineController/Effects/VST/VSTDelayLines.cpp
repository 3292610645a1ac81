#include "Main/AudioEngineController/Effects/VST/VSTDelayLines.h"

#include <algorithm>

VSTDelayLines::VSTDelayLines(std::int32_t inputs, std::int32_t latency)
    : m_lines(std::size_t(std::max(0, inputs)))
{
    Follow(latency);
    for (Line& line : m_lines)
        line.samples.assign(kCapacity, 0.0f);
}

void VSTDelayLines::Clear()
{
    for (Line& line : m_lines)
    {
        std::fill(line.samples.begin(), line.samples.end(), 0.0f);
        line.write = 0;
    }
}

void VSTDelayLines::Follow(std::int32_t latency)
{
    m_latency = latency;
    m_length = std::min(std::uint32_t(std::max(0, latency)), kCapacity - 1);
}

void VSTDelayLines::Push(std::int32_t channel, const float* input, std::uint32_t frames)
{
    Line& line = m_lines[std::size_t(channel)];
    for (std::uint32_t i = 0; i < frames; ++i)
    {
        line.samples[line.write] = input[i];
        line.write = line.write + 1 == kCapacity ? 0 : line.write + 1;
    }
}

void VSTDelayLines::Delay(std::int32_t channel, const float* input, float* output, std::uint32_t frames)
{
    Line& line = m_lines[std::size_t(channel)];
    std::uint32_t read = (line.write + kCapacity - m_length) % kCapacity;
    for (std::uint32_t i = 0; i < frames; ++i)
    {
        // Written before it is read, so that a length of 0 passes the sample
        // straight through even when output is input.
        line.samples[line.write] = input[i];
        output[i] = line.samples[read];
        line.write = line.write + 1 == kCapacity ? 0 : line.write + 1;
        read = read + 1 == kCapacity ? 0 : read + 1;
    }
}
