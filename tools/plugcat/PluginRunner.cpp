#include "tools/plugcat/PluginRunner.h"

#include "Core/BaseLib/AudioPlugins/AudioPlugin.h"
#include "Main/StudioModel/StudioModel.h"
#include "tools/plugcat/AudioFileWriter.h"
#include "tools/plugcat/MidiTimeline.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace
{
constexpr double kTwoPi = 6.283185307179586;
constexpr double kToneHz = 440.0;
constexpr double kToneLevel = 0.5;
constexpr double kNoiseLevel = 0.05;

PluginRunner::Level LevelOf(const PluginRunner::Channels& channels)
{
    PluginRunner::Level level;
    double squares = 0.0;
    std::size_t count = 0;
    for (const std::vector<float>& channel : channels)
        for (const float sample : channel)
        {
            squares += double(sample) * sample;
            level.peak = std::max(level.peak, double(std::fabs(sample)));
            ++count;
        }
    level.rms = count ? std::sqrt(squares / double(count)) : 0.0;
    return level;
}
} // namespace

PluginRunner::PluginRunner(AudioPlugin& plugin, std::uint32_t sampleRate, std::uint32_t blockSize)
    : m_plugin(plugin), m_sampleRate(sampleRate), m_blockSize(blockSize)
{
    m_inputs = std::uint32_t(std::max(0, plugin.GetNumInputs()));
    m_outputs = std::uint32_t(std::max(0, plugin.GetNumOutputs()));
}

PluginRunner::Channels PluginRunner::TestTone(std::uint32_t frames) const
{
    std::minstd_rand random(20261207);
    std::uniform_real_distribution<float> noise(-float(kNoiseLevel), float(kNoiseLevel));
    std::vector<float> tone(frames);
    const double step = kTwoPi * kToneHz / m_sampleRate;
    for (std::uint32_t frame = 0; frame < frames; ++frame)
        tone[frame] = float(kToneLevel * std::sin(step * frame)) + noise(random);
    return Channels(std::max({m_inputs, m_outputs, 1u}), tone);
}

PluginRunner::Report PluginRunner::Run(const Channels& input, const MidiTimeline& midi,
                                       AudioFileWriter* writer)
{
    Report report;
    report.frames = input.empty() ? 0 : std::uint32_t(input.front().size());
    report.blocks = std::max<std::uint32_t>(1, (report.frames + m_blockSize - 1) / m_blockSize);

    // The plug-in may process in place, so every block gets fresh copies of
    // the input; channels beyond either side's count still get a buffer in
    // case the plug-in's channel order maps onto them.
    Channels in;
    m_out.clear();
    std::vector<float*> inPointers;
    std::vector<float*> outPointers;
    std::vector<const float*> produced(m_outputs);
    std::vector<MidiMessage> messages;
    Sums sums{std::vector<double>(m_outputs), std::vector<double>(m_outputs)};
    TransportRecord transport;
    transport.rolling = true;
    transport.state = 1;
    const std::int64_t ticksPerFrame = StudioModel::kTimeBase / m_sampleRate;
    for (std::uint32_t block = 0; block < report.blocks; ++block)
    {
        const std::uint32_t start = block * m_blockSize;
        const std::uint32_t frames = std::min(m_blockSize, report.frames - std::min(report.frames, start));
        // As a listener to its I/O changes would: a plug-in may change its
        // channel counts between blocks, and is given a buffer for each.
        const std::size_t channels = std::max<std::size_t>(
            {input.size(), std::size_t(std::max(0, m_plugin.GetNumInputs())),
             std::size_t(std::max(0, m_plugin.GetNumOutputs())), m_inputs, m_outputs, 1u, in.size()});
        in.resize(channels, std::vector<float>(m_blockSize));
        m_out.resize(channels, std::vector<float>(m_blockSize));
        inPointers.resize(channels);
        outPointers.resize(channels);
        for (std::size_t channel = 0; channel < channels; ++channel)
        {
            std::fill(in[channel].begin(), in[channel].end(), 0.0f);
            if (channel < input.size())
                std::copy_n(input[channel].begin() + start, frames, in[channel].begin());
            std::fill(m_out[channel].begin(), m_out[channel].end(), 0.0f);
            inPointers[channel] = in[channel].data();
            outPointers[channel] = m_out[channel].data();
        }
        midi.Take(start, m_blockSize, messages);
        for (const MidiMessage& message : messages)
            m_plugin.QueueMidi(message);
        m_plugin.Process(transport, inPointers.data(), outPointers.data(), m_blockSize);
        m_plugin.Idle();
        transport.position += std::int64_t(m_blockSize) * ticksPerFrame;
        MeasureBlock(input, start, frames, sums, report);
        for (std::uint32_t channel = 0; channel < m_outputs; ++channel)
            produced[channel] = m_out[channel].data();
        if (writer)
            writer->Write(produced, frames);
    }
    Finish(input, sums, report);
    return report;
}

// The latency is asked for after every block: some plug-ins settle theirs
// only once they run.
void PluginRunner::MeasureBlock(const Channels& input, std::uint32_t start, std::uint32_t frames, Sums& sums,
                                Report& report)
{
    const std::uint32_t latency = std::uint32_t(std::max(0, m_plugin.GetLatency()));
    for (std::uint32_t channel = 0; channel < m_outputs; ++channel)
        for (std::uint32_t offset = 0; offset < frames; ++offset)
        {
            const float sample = m_out[channel][offset];
            if (!std::isfinite(sample))
            {
                ++report.nonFinite;
                continue;
            }
            sums.squares[channel] += double(sample) * sample;
            sums.peaks[channel] = std::max(sums.peaks[channel], double(std::fabs(sample)));
            const std::uint32_t frame = start + offset;
            if (channel < input.size() && frame >= m_blockSize + latency)
                report.dryResidual =
                    std::max(report.dryResidual, double(std::fabs(sample - input[channel][frame - latency])));
        }
}

void PluginRunner::Finish(const Channels& input, const Sums& sums, Report& report) const
{
    report.input = LevelOf(input);
    double allSquares = 0.0;
    for (std::uint32_t channel = 0; channel < m_outputs; ++channel)
    {
        const double frames = std::max(1u, report.frames);
        report.outputChannels.push_back({std::sqrt(sums.squares[channel] / frames), sums.peaks[channel]});
        report.output.peak = std::max(report.output.peak, sums.peaks[channel]);
        allSquares += sums.squares[channel];
    }
    if (m_outputs)
        report.output.rms = std::sqrt(allSquares / (double(m_outputs) * std::max(1u, report.frames)));
}
