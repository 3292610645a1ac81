#pragma once

#include <cstdint>

class AudioPlugin;

// Hears what a plug-in reports on its own: the editor and the automation
// that watch a plug-in implement what they need of it.
class AudioPluginListener
{
public:
    virtual ~AudioPluginListener() = default;

    virtual void OnParameterGesture(std::int32_t, bool /*begin*/, AudioPlugin*) {}
    virtual void OnParameterAutomated(std::int32_t, float, AudioPlugin*) {}
    virtual void OnBypassChanged(bool, AudioPlugin*) {}
    virtual void OnDisplayChanged(AudioPlugin*) {}
    virtual void OnLatencyChanged(AudioPlugin*) {}
    virtual void OnIOChanged(AudioPlugin*) {}
};
