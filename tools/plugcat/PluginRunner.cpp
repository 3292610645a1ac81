#include "tools/plugcat/PluginRunner.h"

#include "Core/BaseLib/AudioPlugins/AudioPlugin.h"
#include "Main/StudioModel/StudioModel.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace
{
constexpr double kTwoPi = 6.283185307179586;
constexpr double kToneHz = 440.0;
constexpr double kToneLevel = 0.5;
constexpr double kNoiseLevel = 0.05;

void Accumulate(PluginRunner::Level& level, float sample, double& sumOfSquares)
{
    sumOfSquares += double(sample) * sample;
    level.peak = std::max(level.peak, double(std::fabs(sample)));
}
} // namespace

PluginRunner::PluginRunner(AudioPlugin& plugin, std::uint32_t sampleRate, std::uint32_t blockSize)
    : m_plugin(plugin), m_sampleRate(sampleRate), m_blockSize(blockSize)
{
    m_inputs = std::uint32_t(std::max(0, plugin.GetNumInputs()));
    m_outputs = std::uint32_t(std::max(0, plugin.GetNumOutputs()));
}

void PluginRunner::GenerateInput(std::uint32_t frames)
{
    std::minstd_rand random(20261207);
    std::uniform_real_distribution<float> noise(-float(kNoiseLevel), float(kNoiseLevel));
    m_input.resize(frames);
    const double step = kTwoPi * kToneHz / m_sampleRate;
    for (std::uint32_t frame = 0; frame < frames; ++frame)
        m_input[frame] = float(kToneLevel * std::sin(step * frame)) + noise(random);
}

PluginRunner::Report PluginRunner::Run(double seconds)
{
    Report report;
    report.blocks =
        std::max<std::uint32_t>(1, std::uint32_t(std::ceil(seconds * m_sampleRate / m_blockSize)));
    report.frames = report.blocks * m_blockSize;
    GenerateInput(report.frames);
    m_output.assign(m_outputs, std::vector<float>(report.frames, 0.0f));

    // The plug-in may process in place, so every block gets fresh copies of
    // the input; channels beyond either side's count still get a buffer in
    // case the plug-in's channel order maps onto them.
    std::vector<std::vector<float>> in;
    std::vector<std::vector<float>> out;
    std::vector<float*> inPointers;
    std::vector<float*> outPointers;
    TransportRecord transport;
    transport.rolling = true;
    transport.state = 1;
    const std::int64_t ticksPerFrame = StudioModel::kTimeBase / m_sampleRate;
    for (std::uint32_t block = 0; block < report.blocks; ++block)
    {
        const std::uint32_t start = block * m_blockSize;
        // As a listener to its I/O changes would: a plug-in may change its
        // channel counts between blocks.
        const std::uint32_t channels = std::max({std::uint32_t(std::max(0, m_plugin.GetNumInputs())),
                                                 std::uint32_t(std::max(0, m_plugin.GetNumOutputs())),
                                                 m_outputs, 1u, std::uint32_t(in.size())});
        in.resize(channels, std::vector<float>(m_blockSize));
        out.resize(channels, std::vector<float>(m_blockSize));
        inPointers.resize(channels);
        outPointers.resize(channels);
        for (std::uint32_t channel = 0; channel < channels; ++channel)
        {
            std::copy_n(m_input.begin() + start, m_blockSize, in[channel].begin());
            std::fill(out[channel].begin(), out[channel].end(), 0.0f);
            inPointers[channel] = in[channel].data();
            outPointers[channel] = out[channel].data();
        }
        m_plugin.Process(transport, inPointers.data(), outPointers.data(), m_blockSize);
        m_plugin.Idle();
        transport.position += std::int64_t(m_blockSize) * ticksPerFrame;
        for (std::uint32_t channel = 0; channel < m_outputs; ++channel)
            std::copy(out[channel].begin(), out[channel].end(), m_output[channel].begin() + start);
    }
    Measure(report, std::uint32_t(std::max(0, m_plugin.GetLatency())));
    return report;
}

void PluginRunner::Measure(Report& report, std::uint32_t latency) const
{
    double inputSquares = 0.0;
    for (float sample : m_input)
        Accumulate(report.input, sample, inputSquares);
    report.input.rms = std::sqrt(inputSquares / m_input.size());

    double allSquares = 0.0;
    for (const std::vector<float>& channel : m_output)
    {
        Level level;
        double squares = 0.0;
        for (std::uint32_t frame = 0; frame < channel.size(); ++frame)
        {
            const float sample = channel[frame];
            if (!std::isfinite(sample))
            {
                ++report.nonFinite;
                continue;
            }
            Accumulate(level, sample, squares);
            if (frame >= m_blockSize + latency)
                report.dryResidual =
                    std::max(report.dryResidual, double(std::fabs(sample - m_input[frame - latency])));
        }
        level.rms = std::sqrt(squares / channel.size());
        report.output.peak = std::max(report.output.peak, level.peak);
        allSquares += squares;
        report.outputChannels.push_back(level);
    }
    if (!m_output.empty())
        report.output.rms = std::sqrt(allSquares / (double(m_output.size()) * report.frames));
}
