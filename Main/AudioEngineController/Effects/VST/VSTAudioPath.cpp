#include "Main/AudioEngineController/Effects/VST/VSTAudioPath.h"

#include "Core/BaseLib/AudioPlugins/AudioPlugin.h"
#include "Core/BaseLib/Debug.h"
#include "Main/AudioEngineController/Effects/VST/VSTBounds.h"
#include "Main/AudioEngineController/Effects/VST/VSTDispatcher.h"
#include "Main/AudioEngineController/Effects/VST/VSTEventBuffer.h"
#include "Main/StudioModel/StudioModel.h"
#include "Platform/FaultGuard.h"

#include <algorithm>

namespace
{
void Clear(float* buffer, std::uint32_t frames)
{
    std::fill_n(buffer, frames, 0.0f);
}
} // namespace

std::int32_t VSTAudioPath::Latency() const
{
    return m_effect ? VSTBounds::Latency(m_effect->initialDelay) : 0;
}

void VSTAudioPath::Prepare(std::int32_t inputs, std::int32_t outputs, std::uint32_t blockSize)
{
    PrepareBuffers(inputs, outputs, blockSize);
    PrepareDelayLines(inputs);
    m_crossfadePending = true;
}

void VSTAudioPath::PrepareBuffers(std::int32_t inputs, std::int32_t outputs, std::uint32_t blockSize)
{
    m_buffers.Prepare(inputs, outputs, blockSize);
}

void VSTAudioPath::ClearDelayLines()
{
    if (m_delayLines)
        m_delayLines->Clear();
}

void VSTAudioPath::SetBypassed(bool on)
{
    m_crossfadePending = true;
    m_bypassed = on;
}

void VSTAudioPath::Process(const TransportRecord& transport, float** inputs, float** outputs,
                           std::uint32_t frames, const Routing& routing)
{
    // A block longer than the buffers goes through in pieces: nothing is
    // allocated here.
    TransportRecord piece = transport;
    for (std::uint32_t offset = 0; offset < frames;)
    {
        const std::uint32_t length = std::min(frames - offset, m_buffers.Frames());
        ProcessBlock(piece, inputs, outputs, offset, length, routing);
        offset += length;
        piece.position = transport.position + std::int64_t(offset) * m_ticksPerFrame;
    }
}

void VSTAudioPath::ProcessBlock(const TransportRecord& transport, float** inputs, float** outputs,
                                std::uint32_t offset, std::uint32_t frames, const Routing& routing)
{
    m_buffers.Map(inputs, outputs, routing.inputMap, routing.outputMap, offset);
    float** pluginInputs = m_buffers.Inputs();
    if (routing.silenceInputs)
        for (std::int32_t channel = 0; channel < m_buffers.InputCount(); ++channel)
            Clear(pluginInputs[channel], frames);
    FollowTransport(transport);
    Flush(frames);
    if (routing.sendEvents)
    {
        m_dispatcher.Dispatch(effProcessEvents, static_cast<void*>(routing.events.Events()));
        routing.events.Clear();
    }
    m_expectedPosition = transport.position + std::int64_t(frames) * m_ticksPerFrame;

    FollowLatency();
    const bool ownBypass = !m_softBypass;
    // Taken before the plug-in runs: it may process in place.
    if (ownBypass && m_crossfadePending)
        TakeDry(frames);
    else if (ownBypass && !m_bypassed && m_delayLines)
        for (std::int32_t channel = 0; channel < m_delayLines->Channels(); ++channel)
            m_delayLines->Push(channel, pluginInputs[channel], frames);

    if (!ownBypass || !m_bypassed || m_crossfadePending)
        RunPlugin(pluginInputs, m_buffers.Outputs(), frames);
    if (ownBypass && m_crossfadePending)
        Crossfade(frames);
    else if (ownBypass && m_bypassed)
        BypassDry(frames);
}

// A plug-in with a very long latency is restarted when playback jumps,
// rather than left to play out what it held from before the jump.
void VSTAudioPath::FollowTransport(const TransportRecord& transport)
{
    if (transport.position != m_expectedPosition)
        m_positionJump = true;
    if (Latency() > StudioModel::kLatencyThreshold && transport.rolling && m_positionJump &&
        transport.speed == 1.0)
    {
        m_positionJump = false;
        if (!m_flushRequested)
            RestartProcessing();
    }
}

void VSTAudioPath::RestartProcessing()
{
    m_busy = true;
    m_dispatcher.Dispatch(effStopProcess);
    m_dispatcher.Dispatch(effMainsChanged, VstIntPtr(0));
    m_dispatcher.Dispatch(effMainsChanged, VstIntPtr(1));
    m_dispatcher.Dispatch(effStartProcess);
    m_busy = false;
}

// After a jump the plug-in still holds audio from before it: a restart
// forgets it, and for plug-ins that lose their settings on a restart a
// latency's worth of silence plays it out.
void VSTAudioPath::Flush(std::uint32_t frames)
{
    if (!m_flushRequested)
        return;
    if (m_delayLines)
        m_delayLines->Clear();
    if (m_positionJump)
    {
        if (m_plugin.RestartsOnPositionJump())
            RestartProcessing();
        else
            for (std::int32_t left = Latency(); left > 0; left -= std::int32_t(frames))
            {
                const std::uint32_t chunk = std::min(std::uint32_t(left), frames);
                RunPlugin(m_buffers.SilentInputs(chunk), m_buffers.DiscardedOutputs(), chunk);
            }
    }
    m_flushRequested = false;
}

void VSTAudioPath::RunPlugin(float** inputs, float** outputs, std::uint32_t frames)
{
    const auto silence = [&]
    {
        for (std::int32_t channel = 0; channel < m_buffers.OutputCount(); ++channel)
            Clear(outputs[channel], frames);
    };
    if (VSTBounds::ChannelsOutgrown(*m_effect))
        return silence();
    if (VSTBounds::Channels(m_effect->numInputs) > m_buffers.InputCount())
        m_buffers.ClearSpareInputs(frames);
    try
    {
        Platform::GuardedCall(
            [&]
            {
                if (m_effect->flags & effFlagsCanReplacing)
                {
                    m_effect->processReplacing(m_effect, inputs, outputs, VstInt32(frames));
                    return;
                }
                // The old call adds to what the outputs hold.
                if (!m_bypassed)
                    silence();
                m_effect->process(m_effect, inputs, outputs, VstInt32(frames));
            });
    }
    catch (...)
    {
        DebugOut(L"Exception Caught in VST Plugin");
        // What it wrote before it failed is no signal.
        silence();
    }
}

// The input, as late as the plug-in's output would have been.
void VSTAudioPath::BypassDry(std::uint32_t frames)
{
    const std::int32_t channels = std::min(m_buffers.InputCount(), m_buffers.OutputCount());
    for (std::int32_t channel = 0; channel < channels; ++channel)
    {
        float* input = m_buffers.Inputs()[channel];
        float* output = m_buffers.Outputs()[channel];
        if (output != input)
            Clear(output, frames);
        if (m_delayLines)
            m_delayLines->Delay(channel, input, output, frames);
        else if (output != input)
            std::copy_n(input, frames, output);
    }
}

void VSTAudioPath::TakeDry(std::uint32_t frames)
{
    for (std::int32_t channel = 0; channel < m_buffers.InputCount(); ++channel)
    {
        if (m_delayLines)
            m_delayLines->Delay(channel, m_buffers.Inputs()[channel], m_buffers.Dry(channel), frames);
        else
            std::copy_n(m_buffers.Inputs()[channel], frames, m_buffers.Dry(channel));
    }
}

// One block from the processed signal to the dry one when bypass went on,
// the other way when it went off.
void VSTAudioPath::Crossfade(std::uint32_t frames)
{
    const std::int32_t channels = std::min(m_buffers.InputCount(), m_buffers.OutputCount());
    const float step = 1.0f / float(frames);
    for (std::int32_t channel = 0; channel < channels; ++channel)
    {
        float* output = m_buffers.Outputs()[channel];
        const float* dry = m_buffers.Dry(channel);
        for (std::uint32_t frame = 0; frame < frames; ++frame)
        {
            const float toDry = m_bypassed ? float(frame) * step : 1.0f - float(frame) * step;
            output[frame] = output[frame] * (1.0f - toDry) + dry[frame] * toDry;
        }
    }
    m_crossfadePending = false;
}

void VSTAudioPath::RequestFlush(bool resetPosition)
{
    m_flushRequested = true;
    if (resetPosition)
        m_expectedPosition = -1;
}

// A plug-in that cannot bypass itself gets delay lines even before it has
// a latency: some settle theirs only once they process, without reporting
// it, and nothing may be allocated then.
void VSTAudioPath::PrepareDelayLines(std::int32_t inputs)
{
    if (m_softBypass || inputs == 0)
        m_delayLines.reset();
    else if (!m_delayLines || m_delayLines->Channels() != inputs)
        m_delayLines = std::make_unique<VSTDelayLines>(inputs, Latency());
}

void VSTAudioPath::FollowLatency()
{
    const std::int32_t latency = Latency();
    if (m_delayLines && m_delayLines->Latency() != latency)
        m_delayLines->Follow(latency);
}
