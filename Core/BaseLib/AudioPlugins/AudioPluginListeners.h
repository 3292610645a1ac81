#pragma once

#include "Core/BaseLib/AudioPlugins/AudioPluginListener.h"
#include "Core/BaseLib/KriticalSection.h"

#include <set>

// The observers of one plug-in wrapper. Every notification runs under the
// listener lock, which may be taken while the wrapper's plug-in lock is held,
// never the other way round.
class AudioPluginListeners
{
public:
    // Adding one that is present does nothing.
    void Add(AudioPluginListener* listener)
    {
        TAutoLockCS lock(&m_lock);
        m_listeners.insert(listener);
    }
    void Remove(AudioPluginListener* listener)
    {
        TAutoLockCS lock(&m_lock);
        m_listeners.erase(listener);
    }
    template <class Notify> void Tell(Notify notify)
    {
        TAutoLockCS lock(&m_lock);
        for (AudioPluginListener* listener : m_listeners)
            notify(*listener);
    }

private:
    std::set<AudioPluginListener*> m_listeners;
    KriticalSection m_lock;
};
