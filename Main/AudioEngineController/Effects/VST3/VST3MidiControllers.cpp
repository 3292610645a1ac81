#include "Main/AudioEngineController/Effects/VST3/VST3MidiControllers.h"

#include "Main/AudioEngineController/Effects/VST3/VST3BusActivation.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Guard.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Limits.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Text.h"

namespace
{
// Only the first few event buses are read; a negative count is none.
vst3::int32 EventBuses(VST3Guard& guard, vst3::IComponent& component, vst3::BusDirection direction)
{
    const vst3::int32 count =
        guard.Call("getBusCount", 0, [&] { return component.getBusCount(vst3::kEvent, direction); });
    return VST3Guard::Capped("event buses", count, VST3Limits::kMaxEventBuses);
}

std::vector<std::wstring> BusNames(VST3Guard& guard, vst3::IComponent& component,
                                   vst3::BusDirection direction, vst3::int32 count,
                                   std::vector<vst3::int32>* indices)
{
    std::vector<std::wstring> names;
    for (vst3::int32 bus = 0; bus < count; ++bus)
    {
        vst3::BusInfo info{};
        if (guard.Call("getBusInfo", vst3::kResultFalse,
                       [&] { return component.getBusInfo(vst3::kEvent, direction, bus, info); }) !=
            vst3::kResultOk)
            continue;
        names.push_back(VST3Text::Wide(info.name));
        if (indices)
            indices->push_back(bus);
    }
    return names;
}
} // namespace

void VST3MidiControllers::Read(VST3Guard& guard, vst3::IComponent& component, vst3::IMidiMapping& mapping,
                               VST3BusActivation& activation)
{
    Clear();
    std::vector<vst3::int32> inputs;
    const vst3::int32 buses = EventBuses(guard, component, vst3::kInput);
    m_inputNames = BusNames(guard, component, vst3::kInput, buses, &inputs);
    for (vst3::int32 bus : inputs)
        activation.Activate(guard, component, vst3::kEvent, vst3::kInput, bus);
    Row unassigned;
    unassigned.fill(-1);
    m_rows.assign(std::size_t(VST3Limits::kMaxEventBuses * kChannels), unassigned);
    for (vst3::int32 bus = 0; bus < buses; ++bus)
        for (vst3::int16 channel = 0; channel < kChannels; ++channel)
        {
            Row& row = m_rows[std::size_t(bus * kChannels + channel)];
            for (vst3::int16 number = 0; number < kControllers; ++number)
            {
                vst3::ParamID id = 0;
                const vst3::tresult assigned =
                    guard.Call("getMidiControllerAssignment", vst3::kResultFalse,
                               [&] { return mapping.getMidiControllerAssignment(bus, channel, number, id); });
                row[std::size_t(number)] = assigned == vst3::kResultOk ? std::int32_t(id) : -1;
            }
        }
    m_outputNames =
        BusNames(guard, component, vst3::kOutput, EventBuses(guard, component, vst3::kOutput), nullptr);
}

std::int32_t VST3MidiControllers::ParameterFor(int channel, int controller) const
{
    if (m_rows.empty() || controller < 0 || controller >= kControllers)
        return -1;
    return m_rows[std::size_t(channel & (kChannels - 1))][std::size_t(controller)];
}

void VST3MidiControllers::Clear()
{
    m_inputNames.clear();
    m_outputNames.clear();
    m_rows.clear();
}
