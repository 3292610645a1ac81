#pragma once

#include "Core/BaseLib/AudioPlugins/MidiMessage.h"
#include "Main/AudioEngineController/Effects/VST/Abi/Effect.h"
#include "Main/AudioEngineController/Effects/VST/Abi/Events.h"

#include <cstddef>
#include <vector>

// MIDI queued for a plug-in's next block, laid out as the VstEvents list
// that effProcessEvents takes. Room for a fixed number of events, allocated
// once, so that queueing and sending never allocate on the audio thread.
class VSTEventBuffer
{
public:
    static constexpr std::size_t kCapacity = 512;

    VSTEventBuffer();

    // False, and the message dropped, when the block's list is full.
    bool Add(const MidiMessage& message);
    bool IsEmpty() const { return Header()->numEvents == 0; }
    // Valid until the next Clear.
    VstEvents* Events() { return Header(); }
    void Clear() { Header()->numEvents = 0; }

private:
    VstEvents* Header() { return reinterpret_cast<VstEvents*>(m_header.data()); }
    const VstEvents* Header() const { return reinterpret_cast<const VstEvents*>(m_header.data()); }

    std::vector<VstMidiEvent> m_events;
    // The VstEvents header followed by kCapacity event pointers.
    std::vector<VstIntPtr> m_header;
};
