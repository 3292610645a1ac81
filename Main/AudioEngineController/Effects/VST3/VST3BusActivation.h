#pragma once

#include "Main/AudioEngineController/Effects/VST3/Abi/Component.h"

#include <vector>

class VST3Guard;

// The buses the host switched on, by their own indices, so that exactly
// those are switched off again, in the order they were switched on.
class VST3BusActivation
{
public:
    // Audio buses flagged default-active, and the main buses the host feeds;
    // nothing while audio buses are on.
    void ActivateAudio(VST3Guard& guard, vst3::IComponent& component);
    void Activate(VST3Guard& guard, vst3::IComponent& component, vst3::MediaType type,
                  vst3::BusDirection direction, vst3::int32 index);
    void DeactivateAudio(VST3Guard& guard, vst3::IComponent& component);
    void DeactivateAll(VST3Guard& guard, vst3::IComponent& component);

private:
    struct Bus
    {
        vst3::MediaType type;
        vst3::BusDirection direction;
        vst3::int32 index;
    };

    void Deactivate(VST3Guard& guard, vst3::IComponent& component, bool audioOnly);

    std::vector<Bus> m_active;
};
