#pragma once

#include <cstdint>
#include <vector>

class AudioFileWriter;
class AudioPlugin;
class MidiTimeline;

// Feeds a plug-in audio and MIDI, block by block, the way the engine's audio
// thread would, and measures what comes out.
class PluginRunner
{
public:
    // One buffer per track channel, all of one length.
    using Channels = std::vector<std::vector<float>>;

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

    // A 440 Hz sine at half scale plus a little noise, the same on every
    // channel, on as many channels as the plug-in has on either side.
    Channels TestTone(std::uint32_t frames) const;
    // Runs the whole input through the plug-in, with the MIDI at its times,
    // and hands each block's output to the writer when there is one.
    Report Run(const Channels& input, const MidiTimeline& midi, AudioFileWriter* writer);

private:
    struct Sums
    {
        std::vector<double> squares;
        std::vector<double> peaks;
    };

    void MeasureBlock(const Channels& input, std::uint32_t start, std::uint32_t frames, Sums& sums,
                      Report& report);
    void Finish(const Channels& input, const Sums& sums, Report& report) const;

    AudioPlugin& m_plugin;
    const std::uint32_t m_sampleRate;
    const std::uint32_t m_blockSize;
    std::uint32_t m_inputs = 0;
    std::uint32_t m_outputs = 0;
    std::vector<std::vector<float>> m_out;
};
