#pragma once

#include <cstdint>
#include <vector>

// The channel pointers and scratch memory a plug-in processes through, made
// for the channel counts captured at the last accepted I/O configuration and
// for the block size, always off the processing thread. The pointer lists
// have room for the most channels a plug-in may have: a plug-in that grows
// its counts without saying so reads silence from its extra inputs and
// writes its extra outputs into a sink, never past our buffers.
class VSTChannelBuffers
{
public:
    void Prepare(std::int32_t inputs, std::int32_t outputs, std::uint32_t frames);

    std::int32_t InputCount() const { return m_inputCount; }
    std::int32_t OutputCount() const { return m_outputCount; }
    std::uint32_t Frames() const { return m_frames; }

    // Points the plug-in's channels at the caller's, offset frames in; a map
    // entry names the caller's channel for the plug-in's, and entries that
    // name no captured channel are ignored.
    void Map(float** inputs, float** outputs, const std::vector<std::int32_t>& inputMap,
             const std::vector<std::int32_t>& outputMap, std::uint32_t offset);
    float** Inputs() { return m_inputs.data(); }
    float** Outputs() { return m_outputs.data(); }
    // Every input silent and every output discarded, for playing out what
    // the plug-in holds.
    float** SilentInputs(std::uint32_t frames);
    float** DiscardedOutputs() { return m_discarded.data(); }
    // Silence again for the extra inputs of a plug-in that may have written
    // into them.
    void ClearSpareInputs(std::uint32_t frames);
    float* Dry(std::int32_t channel) { return m_dry[std::size_t(channel)].data(); }

private:
    std::int32_t m_inputCount = 0;
    std::int32_t m_outputCount = 0;
    std::uint32_t m_frames = 0;
    std::vector<float*> m_inputs;
    std::vector<float*> m_outputs;
    std::vector<float*> m_silent;
    std::vector<float*> m_discarded;
    std::vector<float> m_silence;
    std::vector<float> m_sink;
    // The dry input of a crossfaded block, delayed like the plug-in.
    std::vector<std::vector<float>> m_dry;
};
