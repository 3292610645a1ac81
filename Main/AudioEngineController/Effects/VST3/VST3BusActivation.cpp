#include "Main/AudioEngineController/Effects/VST3/VST3BusActivation.h"

#include "Main/AudioEngineController/Effects/VST3/VST3Guard.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Limits.h"

#include <utility>

// A bus starts inactive whatever its flags say; a plug-in may leave an
// inactive bus's buffers untouched. Buses already switched on stay as they
// are until DeactivateAudio.
void VST3BusActivation::ActivateAudio(VST3Guard& guard, vst3::IComponent& component)
{
    for (const Bus& bus : m_active)
        if (bus.type == vst3::kAudio)
            return;
    for (vst3::BusDirection direction : {vst3::kInput, vst3::kOutput})
    {
        const vst3::int32 count = guard.Count("audio buses", VST3Limits::kMaxBuses,
                                              [&] { return component.getBusCount(vst3::kAudio, direction); });
        for (vst3::int32 index = 0; index < count; ++index)
        {
            vst3::BusInfo info{};
            if (guard.Call("getBusInfo", vst3::kResultFalse,
                           [&] { return component.getBusInfo(vst3::kAudio, direction, index, info); }) !=
                vst3::kResultOk)
                continue;
            const bool used = index == 0 && info.busType == vst3::kMain;
            if (used || (info.flags & vst3::BusInfo::kDefaultActive) != 0)
                Activate(guard, component, vst3::kAudio, direction, index);
        }
    }
}

void VST3BusActivation::Activate(VST3Guard& guard, vst3::IComponent& component, vst3::MediaType type,
                                 vst3::BusDirection direction, vst3::int32 index)
{
    guard.Call("activateBus", vst3::kResultFalse,
               [&] { return component.activateBus(type, direction, index, true); });
    m_active.push_back({type, direction, index});
}

void VST3BusActivation::DeactivateAudio(VST3Guard& guard, vst3::IComponent& component)
{
    Deactivate(guard, component, true);
}

void VST3BusActivation::DeactivateAll(VST3Guard& guard, vst3::IComponent& component)
{
    Deactivate(guard, component, false);
}

void VST3BusActivation::Deactivate(VST3Guard& guard, vst3::IComponent& component, bool audioOnly)
{
    std::vector<Bus> kept;
    for (const Bus& bus : m_active)
        if (audioOnly && bus.type != vst3::kAudio)
            kept.push_back(bus);
        else
            guard.Call("activateBus", vst3::kResultFalse,
                       [&] { return component.activateBus(bus.type, bus.direction, bus.index, false); });
    m_active = std::move(kept);
}
