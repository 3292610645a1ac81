#include "Main/AudioEngineController/Effects/VST/VSTListeners.h"

void VSTListeners::Defer(std::int32_t index, float value)
{
    TAutoLockCS pending(&m_pendingLock);
    m_pendingAutomation[index] = value;
}

void VSTListeners::TellDeferred(AudioPlugin* plugin)
{
    TAutoLockCS pending(&m_pendingLock);
    for (const auto& automation : m_pendingAutomation)
        Tell([&](AudioPluginListener& listener)
             { listener.OnParameterAutomated(automation.first, automation.second, plugin); });
    m_pendingAutomation.clear();
}
