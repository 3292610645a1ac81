#pragma once

#include "Core/BaseLib/AudioPlugins/MidiMessage.h"

#include <QString>
#include <cstdint>
#include <vector>

// The MIDI a run plays, in frames from its start, handed out block by block.
class MidiTimeline
{
public:
    // Middle C at velocity 100 from the first frame, never released: an
    // instrument sounds for the whole run.
    static MidiTimeline HeldNote();
    // A standard MIDI file with its tempo map. Empty when it worked.
    QString Load(const QString& path, std::uint32_t sampleRate);

    bool IsEmpty() const { return m_events.empty(); }
    std::size_t Count() const { return m_events.size(); }
    // When the last event of the file plays.
    double Seconds() const { return m_seconds; }
    // The messages of the frames [start, start + frames), timed within them.
    void Take(std::int64_t start, std::uint32_t frames, std::vector<MidiMessage>& messages) const;

private:
    struct Event
    {
        std::int64_t frame = 0;
        MidiMessage message;
    };

    std::vector<Event> m_events;
    double m_seconds = 0.0;
};
