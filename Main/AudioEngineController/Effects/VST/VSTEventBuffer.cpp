#include "Main/AudioEngineController/Effects/VST/VSTEventBuffer.h"

#include <cstddef>

VSTEventBuffer::VSTEventBuffer()
    : m_events(kCapacity),
      m_header((offsetof(VstEvents, events) + kCapacity * sizeof(VstEvent*)) / sizeof(VstIntPtr) + 1)
{
    // Past the two pointers the struct declares, so reached through a plain
    // pointer rather than the array.
    auto** slots =
        reinterpret_cast<VstEvent**>(reinterpret_cast<char*>(Header()) + offsetof(VstEvents, events));
    for (std::size_t i = 0; i < kCapacity; ++i)
        slots[i] = reinterpret_cast<VstEvent*>(&m_events[i]);
}

bool VSTEventBuffer::Add(const MidiMessage& message)
{
    VstEvents* header = Header();
    if (std::size_t(header->numEvents) == kCapacity)
        return false;
    VstMidiEvent& event = m_events[std::size_t(header->numEvents++)];
    event = VstMidiEvent{};
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    event.deltaFrames = message.deltaFrames;
    for (int i = 0; i < 3; ++i)
        event.midiData[i] = char(message.data[i]);
    return true;
}
