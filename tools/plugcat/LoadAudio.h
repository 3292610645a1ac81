#pragma once

#include "tools/plugcat/AudioFileReader.h"
#include "tools/plugcat/MidiTimeline.h"

#include <QString>
#include <cstdint>

class AudioPlugin;
struct LoadReport;
struct PlugcatOptions;

// What 'plugcat load' plays through a plug-in and where the result goes: an
// input file or the test tone, a MIDI file or, for an instrument, a held
// note, and an output file when one is asked for.
class LoadAudio
{
public:
    explicit LoadAudio(const PlugcatOptions& options) : m_options(options) {}

    // Reads the input and MIDI files. They come before the plug-in exists,
    // as the input decides the rate and the track's channels. Empty when it
    // worked.
    QString Prepare();
    std::uint32_t SampleRate() const { return m_sampleRate; }
    // The input file's channels; 0 without one.
    std::int32_t TrackChannels() const { return m_inputFacts.channels; }
    // Runs the plug-in and fills the report. Empty when it worked; otherwise
    // why not, with no output file written.
    QString Run(AudioPlugin& plugin, bool instrument, LoadReport& report);

private:
    QString ReadInput();
    std::uint32_t RunFrames() const;

    const PlugcatOptions& m_options;
    std::uint32_t m_sampleRate = 0;
    AudioFileReader::Channels m_input;
    AudioFormat::Facts m_inputFacts;
    MidiTimeline m_midi;
};
