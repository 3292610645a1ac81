#include "Main/AudioEngineController/Effects/VST3/VST3MidiInput.h"

#include "Core/BaseLib/AudioPlugins/MidiMessage.h"

namespace
{
// Sized so that the processing path allocates nothing in the common case.
constexpr vst3::int32 kMaxEvents = 250;
} // namespace

VST3MidiInput::VST3MidiInput()
    : m_lists{VST3Ptr<VST3EventList>(new VST3EventList(kMaxEvents)),
              VST3Ptr<VST3EventList>(new VST3EventList(kMaxEvents))},
      m_none(new VST3EventList(0))
{
}

void VST3MidiInput::ReadMapping(VST3Guard& guard, vst3::IComponent& component, vst3::IMidiMapping& mapping,
                                VST3BusActivation& activation)
{
    m_controllers.Read(guard, component, mapping, activation);
}

std::optional<VST3MidiInput::Change> VST3MidiInput::Queue(const MidiMessage& message)
{
    // Data bytes have seven bits; whatever else a message carries is not ours to index with.
    const int status = message.data[0] & 0xF0;
    const int channel = message.data[0] & 0x0F;
    const int first = message.data[1] & 0x7F;
    const int second = message.data[2] & 0x7F;
    const float value = second / 127.0f;
    vst3::Event event{};
    event.sampleOffset = message.deltaFrames;
    switch (status)
    {
    case 0x90:
    case 0x80:
        if (status == 0x90 && second > 0)
        {
            event.type = vst3::Event::kNoteOnEvent;
            event.noteOn = {vst3::int16(channel), vst3::int16(first), 0.0f, value, 0, -1};
        }
        else
        {
            event.type = vst3::Event::kNoteOffEvent;
            event.noteOff = {vst3::int16(channel), vst3::int16(first), value, -1, 0.0f};
        }
        break;
    case 0xA0:
        event.type = vst3::Event::kPolyPressureEvent;
        event.polyPressure = {vst3::int16(channel), vst3::int16(first), value, -1};
        break;
    case 0xB0:
        return Mapped(channel, first, value);
    case 0xD0:
        return Mapped(channel, vst3::kAfterTouch, first / 127.0f);
    case 0xE0:
        return Mapped(channel, vst3::kPitchBend, float((second << 7) | first) / 16383.0f);
    default:
        return std::nullopt;
    }
    m_lists[m_current]->addEvent(event);
    return std::nullopt;
}

// Only the first event bus is fed, so only its assignments apply.
std::optional<VST3MidiInput::Change> VST3MidiInput::Mapped(int channel, int number, float value) const
{
    const std::int32_t id = m_controllers.ParameterFor(channel, number);
    if (id == -1)
        return std::nullopt;
    return Change{vst3::ParamID(id), value};
}

vst3::IEventList* VST3MidiInput::NextBlock()
{
    vst3::IEventList* const handed = m_lists[m_current].Get();
    m_current ^= 1;
    m_lists[m_current]->Clear();
    return handed;
}
