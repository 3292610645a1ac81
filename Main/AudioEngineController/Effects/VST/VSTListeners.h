#pragma once

#include "Core/BaseLib/KriticalSection.h"

#include <cstdint>
#include <map>
#include <set>

class AudioPlugin;
class AudioPluginListener;

// The observers of one plug-in wrapper, and the automation that waits for
// them while another thread holds the wrapper's plug-in lock. Every
// notification runs under the listener lock, which may be taken while the
// plug-in lock is held, never the other way round.
class VSTListeners
{
public:
    // Adding one that is present does nothing.
    void Add(AudioPluginListener* listener);
    void Remove(AudioPluginListener* listener);
    template <class Notify> void Tell(Notify notify)
    {
        TAutoLockCS lock(&m_lock);
        for (AudioPluginListener* listener : m_listeners)
            notify(listener);
    }
    // A later value for the same index replaces the earlier one.
    void Defer(std::int32_t index, float value);
    // Tells the listeners the deferred automation of the plug-in, and forgets it.
    void TellDeferred(AudioPlugin* plugin);

private:
    std::set<AudioPluginListener*> m_listeners;
    KriticalSection m_lock;
    KriticalSection m_pendingLock;
    std::map<std::int32_t, float> m_pendingAutomation;
};
