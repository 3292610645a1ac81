#pragma once

#include <cstdint>
#include <vector>

class AudioPlugin;

// Feeds a plug-in generated audio, block by block, the way the engine's
// audio thread would, and measures what comes out.
class PluginRunner
{
public:
    struct Level
    {
        double rms = 0.0;
        double peak = 0.0;
    };

    struct Report
    {
        std::uint32_t blocks = 0;
        std::uint32_t frames = 0;
        Level input;
        Level output;
        std::vector<Level> outputChannels;
        // Samples that came out as NaN or infinite.
        std::uint64_t nonFinite = 0;
        // Largest difference between each output channel and its input
        // delayed by the plug-in's latency, after the first block: 0 for a
        // bypass that passes the dry signal through.
        double dryResidual = 0.0;
    };

    PluginRunner(AudioPlugin& plugin, std::uint32_t sampleRate, std::uint32_t blockSize);

    Report Run(double seconds);

private:
    // A 440 Hz sine at half scale plus a little noise, the same on every channel.
    void GenerateInput(std::uint32_t frames);
    void Measure(Report& report, std::uint32_t latency) const;

    AudioPlugin& m_plugin;
    const std::uint32_t m_sampleRate;
    const std::uint32_t m_blockSize;
    std::uint32_t m_inputs = 0;
    std::uint32_t m_outputs = 0;
    std::vector<float> m_input;
    std::vector<std::vector<float>> m_output;
};
