#pragma once

#include "Core/BaseLib/AudioPlugins/AudioPluginListener.h"
#include "Core/BaseLib/AudioPlugins/Isolation/IsolationProtocol.h"

#include <atomic>
#include <cstdint>

class IsolationChannel;

// Passes on to the host what the isolated plug-in reports on its own, from
// whichever thread it reports, and counts each notice in the shared block.
class IsolationNoticeSender : public AudioPluginListener
{
public:
    IsolationNoticeSender(IsolationChannel& channel, std::atomic<std::uint32_t>& counter)
        : m_channel(channel), m_counter(counter)
    {
    }

    void OnParameterGesture(std::int32_t index, bool begin, AudioPlugin*) override;
    void OnParameterAutomated(std::int32_t index, float value, AudioPlugin*) override;
    void OnBypassChanged(bool on, AudioPlugin*) override;
    void OnDisplayChanged(AudioPlugin*) override;
    void OnLatencyChanged(AudioPlugin*) override;
    void OnIOChanged(AudioPlugin*) override;

private:
    void Send(IsolationNotice what, std::int32_t index, float value);

    IsolationChannel& m_channel;
    std::atomic<std::uint32_t>& m_counter;
};
