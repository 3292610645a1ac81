#include "tools/plugcat/MidiTimeline.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <memory>
#include <smf.h>

namespace
{
constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint8_t kMiddleC = 60;
constexpr std::uint8_t kVelocity = 100;

struct DeleteSmf
{
    void operator()(smf_t* smf) const { smf_delete(smf); }
};

// Channel messages only: the plug-in interfaces carry no system messages in
// their short events.
bool IsShortChannelMessage(const smf_event_t& event)
{
    return event.midi_buffer_length >= 1 && event.midi_buffer_length <= 3 && event.midi_buffer[0] >= 0x80 &&
           event.midi_buffer[0] < 0xF0;
}
} // namespace

MidiTimeline MidiTimeline::HeldNote()
{
    MidiTimeline timeline;
    Event note;
    note.message.data[0] = kNoteOn;
    note.message.data[1] = kMiddleC;
    note.message.data[2] = kVelocity;
    timeline.m_events.push_back(note);
    return timeline;
}

QString MidiTimeline::Load(const QString& path, std::uint32_t sampleRate)
{
    if (!QFile::exists(path))
        return QStringLiteral("cannot read the MIDI file %1: no such file").arg(path);
    const std::unique_ptr<smf_t, DeleteSmf> smf(smf_load(QFile::encodeName(path).constData()));
    if (!smf)
        return QStringLiteral("cannot read the MIDI file %1: it is not a standard MIDI file").arg(path);
    m_events.clear();
    while (const smf_event_t* event = smf_get_next_event(smf.get()))
    {
        if (!IsShortChannelMessage(*event))
            continue;
        Event timed;
        timed.frame = std::int64_t(std::llround(event->time_seconds * sampleRate));
        std::copy_n(event->midi_buffer, event->midi_buffer_length, timed.message.data);
        m_events.push_back(timed);
        m_seconds = std::max(m_seconds, event->time_seconds);
    }
    if (m_events.empty())
        return QStringLiteral("the MIDI file %1 holds no notes or other channel messages").arg(path);
    return {};
}

void MidiTimeline::Take(std::int64_t start, std::uint32_t frames, std::vector<MidiMessage>& messages) const
{
    messages.clear();
    const auto first =
        std::lower_bound(m_events.begin(), m_events.end(), start,
                         [](const Event& event, std::int64_t frame) { return event.frame < frame; });
    for (auto event = first; event != m_events.end() && event->frame < start + frames; ++event)
    {
        messages.push_back(event->message);
        messages.back().deltaFrames = std::int32_t(event->frame - start);
    }
}
