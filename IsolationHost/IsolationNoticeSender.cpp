#include "IsolationHost/IsolationNoticeSender.h"

#include "Core/BaseLib/AudioPlugins/Isolation/IsolationChannel.h"

void IsolationNoticeSender::Send(IsolationNotice what, std::int32_t index, float value)
{
    IsolationMessage notice;
    notice.PutU32(std::uint32_t(what)).PutI32(index).PutFloat(value);
    // Counted after sending, so the host finds the frame when it sees the count.
    if (m_channel.Send(IsolationFrame::kNotice, notice))
        m_counter.fetch_add(1, std::memory_order_release);
}

void IsolationNoticeSender::OnParameterGesture(std::int32_t index, bool begin, AudioPlugin*)
{
    Send(IsolationNotice::ParameterGesture, index, begin ? 1.0f : 0.0f);
}

void IsolationNoticeSender::OnParameterAutomated(std::int32_t index, float value, AudioPlugin*)
{
    Send(IsolationNotice::ParameterAutomated, index, value);
}

void IsolationNoticeSender::OnBypassChanged(bool on, AudioPlugin*)
{
    Send(IsolationNotice::BypassChanged, 0, on ? 1.0f : 0.0f);
}

void IsolationNoticeSender::OnDisplayChanged(AudioPlugin*)
{
    Send(IsolationNotice::DisplayChanged, 0, 0.0f);
}

void IsolationNoticeSender::OnLatencyChanged(AudioPlugin*)
{
    Send(IsolationNotice::LatencyChanged, 0, 0.0f);
}

void IsolationNoticeSender::OnIOChanged(AudioPlugin*)
{
    Send(IsolationNotice::IOChanged, 0, 0.0f);
}
