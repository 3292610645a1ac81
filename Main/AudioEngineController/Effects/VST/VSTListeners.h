#pragma once

#include "Core/BaseLib/AudioPlugins/AudioPluginListeners.h"
#include "Core/BaseLib/KriticalSection.h"

#include <cstdint>
#include <map>

class AudioPlugin;

// The observers of one VST 2 wrapper, and the automation that waits for them
// while another thread holds the wrapper's plug-in lock.
class VSTListeners : public AudioPluginListeners
{
public:
    // A later value for the same index replaces the earlier one.
    void Defer(std::int32_t index, float value);
    // Tells the listeners the deferred automation of the plug-in, and forgets it.
    void TellDeferred(AudioPlugin* plugin);

private:
    KriticalSection m_pendingLock;
    std::map<std::int32_t, float> m_pendingAutomation;
};
