#pragma once

#include "Main/AudioEngineController/Effects/VST3/Abi/Controller.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class VST3BusActivation;
class VST3Guard;

// Which parameter each MIDI controller drives, per event input bus and
// channel, and the names of the component's event buses. Reading the table
// switches the event input buses on.
class VST3MidiControllers
{
public:
    // Controllers 0 to 127, then channel pressure and pitch bend.
    static constexpr int kControllers = 130;
    static constexpr int kChannels = 16;

    void Read(VST3Guard& guard, vst3::IComponent& component, vst3::IMidiMapping& mapping,
              VST3BusActivation& activation);
    // The parameter the first bus maps a controller of a channel to, or -1.
    // Both come from MIDI data and are taken modulo their ranges' sizes.
    std::int32_t ParameterFor(int channel, int controller) const;
    void Clear();

private:
    using Row = std::array<std::int32_t, kControllers>;

    std::vector<std::wstring> m_inputNames;
    std::vector<std::wstring> m_outputNames;
    std::vector<Row> m_rows;
};
