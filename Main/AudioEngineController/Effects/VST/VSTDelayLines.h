#pragma once

#include <cstdint>
#include <vector>

// Latency compensation for bypassing a plug-in that cannot bypass itself:
// one line per plug-in input, so that the dry signal comes out exactly as
// late as the processed signal did. Allocated once; nothing is allocated
// while audio runs.
class VSTDelayLines
{
public:
    // Room per line; a longer latency is cut to one sample less.
    static constexpr std::uint32_t kCapacity = 96000;

    VSTDelayLines(std::int32_t inputs, std::int32_t latency);

    std::int32_t Channels() const { return std::int32_t(m_lines.size()); }
    // The latency the lines were made for, before the cut.
    std::int32_t Latency() const { return m_latency; }
    void Clear();
    // A latency the plug-in settled on later: the lines stay, only how far
    // back they read changes.
    void Follow(std::int32_t latency);
    // Stores a block without answering anything: keeps the line warm while
    // the plug-in processes.
    void Push(std::int32_t channel, const float* input, std::uint32_t frames);
    // Stores a block and answers it delayed, in one pass; output may be input.
    void Delay(std::int32_t channel, const float* input, float* output, std::uint32_t frames);

private:
    struct Line
    {
        std::vector<float> samples;
        std::uint32_t write = 0;
    };

    std::vector<Line> m_lines;
    std::int32_t m_latency = 0;
    std::uint32_t m_length = 0;
};
