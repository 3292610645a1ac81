#include "Main/AudioEngineController/Effects/VST/VSTChannelBuffers.h"

#include "Main/AudioEngineController/Effects/VST/VSTBounds.h"

#include <algorithm>

namespace
{
std::size_t Source(const std::vector<std::int32_t>& map, std::size_t channel, std::int32_t channels)
{
    if (channel < map.size() && map[channel] >= 0 && map[channel] < channels)
        return std::size_t(map[channel]);
    return channel;
}
} // namespace

void VSTChannelBuffers::Prepare(std::int32_t inputs, std::int32_t outputs, std::uint32_t frames)
{
    inputs = VSTBounds::Channels(inputs);
    outputs = VSTBounds::Channels(outputs);
    frames = std::max(frames, 1u);
    if (inputs == m_inputCount && outputs == m_outputCount && frames == m_frames)
        return;
    m_inputCount = inputs;
    m_outputCount = outputs;
    m_frames = frames;
    m_silence.assign(m_frames, 0.0f);
    m_sink.assign(m_frames, 0.0f);
    const std::size_t room = VSTBounds::kMaxChannels;
    m_inputs.assign(room, m_silence.data());
    m_outputs.assign(room, m_sink.data());
    m_silent.assign(room, m_silence.data());
    m_discarded.assign(room, m_sink.data());
    m_dry.assign(std::size_t(std::max(m_inputCount, 1)), std::vector<float>(m_frames, 0.0f));
}

void VSTChannelBuffers::Map(float** inputs, float** outputs, const std::vector<std::int32_t>& inputMap,
                            const std::vector<std::int32_t>& outputMap, std::uint32_t offset)
{
    for (std::size_t channel = 0; channel < std::size_t(m_inputCount); ++channel)
        m_inputs[channel] = inputs[Source(inputMap, channel, m_inputCount)] + offset;
    for (std::size_t channel = 0; channel < std::size_t(m_outputCount); ++channel)
        m_outputs[channel] = outputs[Source(outputMap, channel, m_outputCount)] + offset;
}

float** VSTChannelBuffers::SilentInputs(std::uint32_t frames)
{
    ClearSpareInputs(frames);
    return m_silent.data();
}

void VSTChannelBuffers::ClearSpareInputs(std::uint32_t frames)
{
    std::fill_n(m_silence.begin(), std::min<std::size_t>(frames, m_silence.size()), 0.0f);
}
