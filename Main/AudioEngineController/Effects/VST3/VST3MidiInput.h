#pragma once

#include "Main/AudioEngineController/Effects/VST3/Abi/Controller.h"
#include "Main/AudioEngineController/Effects/VST3/VST3EventList.h"
#include "Main/AudioEngineController/Effects/VST3/VST3MidiControllers.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Ptr.h"

#include <optional>

struct MidiMessage;

// What the engine's MIDI becomes for the plug-in: notes and pressure are
// events of the next block, in one of two lists used in turn; controllers,
// channel pressure and pitch bend are changes of the parameters the plug-in
// maps them to.
class VST3MidiInput
{
public:
    struct Change
    {
        vst3::ParamID id;
        float value;
    };

    VST3MidiInput();

    // Reads the plug-in's controller table; see VST3MidiControllers.
    void ReadMapping(VST3Guard& guard, vst3::IComponent& component, vst3::IMidiMapping& mapping,
                     VST3BusActivation& activation);
    void ClearMapping() { m_controllers.Clear(); }

    // A note or pressure goes to the current list; a mapped controller comes
    // back as the change to make.
    std::optional<Change> Queue(const MidiMessage& message);
    // The list being filled, which the next block is given.
    vst3::IEventList* Current() const { return m_lists[m_current].Get(); }
    // Hands over the current list and starts filling the other one afresh.
    vst3::IEventList* NextBlock();
    // What a block without its own events is given.
    vst3::IEventList* None() const { return m_none.Get(); }

private:
    std::optional<Change> Mapped(int channel, int number, float value) const;

    VST3MidiControllers m_controllers;
    VST3Ptr<VST3EventList> m_lists[2];
    int m_current = 0;
    VST3Ptr<VST3EventList> m_none;
};
