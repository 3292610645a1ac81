#pragma once

#include <cstdint>

class VSTPlugin;

// Hears what a VST 2 plug-in reports through the host callback: the editor
// and the automation that watch the plug-in implement it.
class VSTPluginListener
{
public:
    virtual ~VSTPluginListener() = default;

    virtual void OnParameterGesture(std::int32_t index, bool begin, VSTPlugin* plugin) = 0;
    virtual void OnParameterAutomated(std::int32_t index, float value, VSTPlugin* plugin) = 0;
    virtual void OnDisplayChanged(VSTPlugin* plugin) = 0;
    virtual void OnIOChanged(VSTPlugin* plugin) = 0;
};
