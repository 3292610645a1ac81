#pragma once

class AudioPlugin;

// One in-house plug-in of the registry: makes and unmakes its instances.
class TFDPluginFactory
{
public:
    virtual ~TFDPluginFactory() = default;

    // Null when the instance cannot be made.
    virtual AudioPlugin* CreateInstance() = 0;
    virtual void DestroyInstance(AudioPlugin* plugin) = 0;
};
