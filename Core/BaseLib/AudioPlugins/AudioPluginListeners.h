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
    // Adding one that is present, or none, does nothing.
    void Add(AudioPluginListener* listener)
    {
        TAutoLockCS lock(&m_lock);
        if (listener)
            m_listeners.insert(listener);
    }
    void Remove(AudioPluginListener* listener)
    {
        TAutoLockCS lock(&m_lock);
        m_listeners.erase(listener);
    }
    // A listener may add or remove listeners, itself included, while it is
    // told: each one present when the notice began is told unless it was
    // removed meanwhile.
    template <class Notify> void Tell(Notify notify)
    {
        TAutoLockCS lock(&m_lock);
        const std::set<AudioPluginListener*> told = m_listeners;
        for (AudioPluginListener* listener : told)
            if (m_listeners.count(listener))
                notify(*listener);
    }

private:
    std::set<AudioPluginListener*> m_listeners;
    KriticalSection m_lock;
};
