#include "tools/plugcat/LoadAudio.h"

#include "Core/BaseLib/AudioPlugins/AudioPlugin.h"
#include "Main/StudioModel/ChannelFormat.h"
#include "tools/plugcat/AudioFileWriter.h"
#include "tools/plugcat/LoadReport.h"
#include "tools/plugcat/PlugcatOptions.h"
#include "tools/plugcat/PluginRunner.h"

#include <algorithm>
#include <cmath>

namespace
{
// A MIDI file's last notes ring on after their release.
constexpr double kMidiTailSeconds = 1.0;
} // namespace

QString LoadAudio::Prepare()
{
    m_sampleRate = m_options.sampleRate;
    if (!m_options.inputPath.isEmpty())
        if (const QString error = ReadInput(); !error.isEmpty())
            return error;
    if (!m_options.midiPath.isEmpty())
        return m_midi.Load(m_options.midiPath, m_sampleRate);
    return {};
}

QString LoadAudio::ReadInput()
{
    const QString error = AudioFileReader::Read(
        m_options.inputPath, m_options.secondsGiven ? m_options.seconds : 0.0, m_inputFacts, m_input);
    if (!error.isEmpty())
        return error;
    if (m_options.rateGiven && m_inputFacts.sampleRate != m_options.sampleRate)
        return QStringLiteral("the audio file %1 is at %2 Hz, not at the %3 Hz that --rate asks for")
            .arg(m_options.inputPath)
            .arg(m_inputFacts.sampleRate)
            .arg(m_options.sampleRate);
    if (!ChannelFormat::Find(std::uint32_t(m_inputFacts.channels)))
        return QStringLiteral("the audio file %1 has %2 channels; no track layout has that many")
            .arg(m_options.inputPath)
            .arg(m_inputFacts.channels);
    m_sampleRate = m_inputFacts.sampleRate;
    return {};
}

std::uint32_t LoadAudio::RunFrames() const
{
    double seconds = m_options.seconds;
    if (!m_options.secondsGiven && !m_midi.IsEmpty())
        seconds = m_midi.Seconds() + kMidiTailSeconds;
    return std::uint32_t(std::max(1.0, std::ceil(seconds * m_sampleRate)));
}

QString LoadAudio::Run(AudioPlugin& plugin, bool instrument, LoadReport& report)
{
    PluginRunner runner(plugin, m_sampleRate, m_options.blockSize);
    const PluginRunner::Channels input = m_input.empty() ? runner.TestTone(RunFrames()) : m_input;
    const bool heldNote = m_midi.IsEmpty() && instrument;
    const MidiTimeline midi = heldNote ? MidiTimeline::HeldNote() : m_midi;
    plugin.SetMidiActive(!midi.IsEmpty());

    AudioFileWriter writer;
    if (!m_options.outputPath.isEmpty())
    {
        if (plugin.GetNumOutputs() <= 0)
            return QStringLiteral("the plug-in has no outputs to write to %1").arg(m_options.outputPath);
        if (const QString error = writer.Open(m_options.outputPath, plugin.GetNumOutputs(), m_sampleRate);
            !error.isEmpty())
            return error;
    }
    report.run = runner.Run(input, midi, writer.IsOpen() ? &writer : nullptr);
    if (writer.IsOpen())
        if (const QString error = writer.Commit(); !error.isEmpty())
            return error;
    report.sampleRate = m_sampleRate;
    report.seconds = double(report.run.frames) / m_sampleRate;
    report.inputFile = m_inputFacts;
    report.outputFile = writer.Facts();
    report.midiFile = m_midi.IsEmpty() ? QString() : m_options.midiPath;
    report.midiEvents = std::uint32_t(m_midi.Count());
    report.heldNote = heldNote;
    return {};
}
