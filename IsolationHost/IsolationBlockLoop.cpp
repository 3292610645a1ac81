#include "IsolationHost/IsolationBlockLoop.h"

#include "Core/BaseLib/AudioPlugins/AudioPlugin.h"
#include "Core/BaseLib/AudioPlugins/AudioPluginHost.h"
#include "Platform/WakeWord.h"

#include <algorithm>

namespace
{
// How often a loop with nothing to do looks whether it should end.
constexpr std::uint64_t kStopCheckMicros = 100000;
} // namespace

IsolationBlockLoop::IsolationBlockLoop(const IsolationBlock& block, AudioPlugin& plugin,
                                       AudioPluginHost& host)
    : m_block(block), m_plugin(plugin), m_host(host)
{
    for (std::uint32_t channel = 0; channel < IsolationBlock::kMaxChannels; ++channel)
    {
        m_inputs[channel] = block.Input(channel);
        m_outputs[channel] = block.Output(channel);
    }
    m_thread = std::thread([this] { Run(); });
}

IsolationBlockLoop::~IsolationBlockLoop()
{
    m_stop = true;
    Platform::WakeWordSleepers(m_block.Fields().request);
    m_thread.join();
}

void IsolationBlockLoop::Run()
{
    IsolationBlock::Header& fields = m_block.Fields();
    // The host numbers its blocks from 1 in a block it zero-filled; reading
    // the word here instead could already see the first request.
    std::uint32_t finished = 0;
    while (!m_stop && !fields.quit.load(std::memory_order_acquire))
    {
        const std::uint32_t asked = fields.request.load(std::memory_order_acquire);
        if (asked == finished)
        {
            Platform::WaitWhileWordIs(fields.request, finished, kStopCheckMicros);
            continue;
        }
        ProcessBlock();
        finished = asked;
        fields.done.store(asked, std::memory_order_release);
        Platform::WakeWordSleepers(fields.done);
    }
}

// The host wrote the description; it is bounded here all the same.
void IsolationBlockLoop::ProcessBlock()
{
    IsolationBlock::Header& fields = m_block.Fields();
    const std::uint32_t frames = std::min(fields.frames, IsolationBlock::kMaxFrames);
    const std::uint32_t outputs = std::min(fields.outputs, IsolationBlock::kMaxChannels);
    for (std::uint32_t channel = 0; channel < outputs; ++channel)
        std::fill_n(m_outputs[channel], frames, 0.0f);
    const std::uint32_t midi = std::min(fields.midiCount, IsolationBlock::kMaxMidi);
    for (std::uint32_t index = 0; index < midi; ++index)
        m_plugin.QueueMidi(fields.midi[index]);
    TransportRecord transport;
    transport.position = fields.position;
    transport.state = fields.transportState;
    transport.rolling = fields.rolling != 0;
    transport.speed = fields.speed;
    // As the engine does around each block; the host does not tell an
    // isolated plug-in about offline renders, so it runs as in real time.
    m_host.UpdateTimeInfo(transport, false);
    m_plugin.Process(transport, m_inputs, m_outputs, frames);
    m_host.AdvanceTimeInfo();
}
