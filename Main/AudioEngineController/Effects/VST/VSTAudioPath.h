#pragma once

#include "Core/BaseLib/AudioPlugins/PluginPlacement.h"
#include "Main/AudioEngineController/Effects/VST/Abi/Effect.h"
#include "Main/AudioEngineController/Effects/VST/VSTChannelBuffers.h"
#include "Main/AudioEngineController/Effects/VST/VSTDelayLines.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class AudioPlugin;
class VSTDispatcher;
class VSTEventBuffer;

// The path a block of audio takes through one VST 2 plug-in: the channel
// maps, the transport the plug-in follows, the flush after a jump and, for a
// plug-in that cannot bypass itself, the wrapper's own bypass, which keeps
// the dry signal as late as the processed one and crossfades between them
// over one block. The wrapper holds its plug-in lock around every call.
class VSTAudioPath
{
public:
    // What the wrapper decides for each block.
    struct Routing
    {
        const std::vector<std::int32_t>& inputMap;
        const std::vector<std::int32_t>& outputMap;
        bool silenceInputs;
        // Read for every piece: a plug-in may ask for MIDI while it processes.
        const bool& sendEvents;
        VSTEventBuffer& events;
    };

    // Follows the wrapper's effect pointer; restarts the plug-in through the
    // wrapper's dispatcher, with the wrapper's busy flag set meanwhile.
    VSTAudioPath(AEffect* const& effect, VSTDispatcher& dispatcher, const AudioPlugin& plugin,
                 std::atomic<bool>& busy)
        : m_effect(effect), m_dispatcher(dispatcher), m_plugin(plugin), m_busy(busy)
    {
    }

    void SetTicksPerFrame(std::int64_t ticks) { m_ticksPerFrame = ticks; }
    // Buffers for the counts and the block size, and delay lines for the
    // wrapper's own bypass; the next block crossfades.
    void Prepare(std::int32_t inputs, std::int32_t outputs, std::uint32_t blockSize);
    void PrepareBuffers(std::int32_t inputs, std::int32_t outputs, std::uint32_t blockSize);
    bool Ready() const { return m_buffers.Frames() != 0; }
    void ClearDelayLines();
    void DropDelayLines() { m_delayLines.reset(); }
    void RequestFlush(bool resetPosition);
    // frames is not 0.
    void Process(const TransportRecord& transport, float** inputs, float** outputs, std::uint32_t frames,
                 const Routing& routing);

    bool SoftBypass() const { return m_softBypass; }
    void SetSoftBypass(bool on) { m_softBypass = on; }
    bool IsBypassed() const { return m_bypassed; }
    // The next block crossfades to the new state.
    void SetBypassed(bool on);
    // From a preset: nothing fades.
    void RestoreBypassed(bool on) { m_bypassed = on; }

private:
    std::int32_t Latency() const;
    void ProcessBlock(const TransportRecord& transport, float** inputs, float** outputs, std::uint32_t offset,
                      std::uint32_t frames, const Routing& routing);
    void FollowTransport(const TransportRecord& transport);
    void RestartProcessing();
    void FollowLatency();
    void Flush(std::uint32_t frames);
    void RunPlugin(float** inputs, float** outputs, std::uint32_t frames);
    void BypassDry(std::uint32_t frames);
    void TakeDry(std::uint32_t frames);
    void Crossfade(std::uint32_t frames);
    void PrepareDelayLines(std::int32_t inputs);

    AEffect* const& m_effect;
    VSTDispatcher& m_dispatcher;
    const AudioPlugin& m_plugin;
    std::atomic<bool>& m_busy;
    bool m_softBypass = false;
    bool m_bypassed = false;
    bool m_flushRequested = false;
    bool m_crossfadePending = false;
    bool m_positionJump = false;
    std::int64_t m_expectedPosition = -1;
    std::int64_t m_ticksPerFrame = 0;
    std::unique_ptr<VSTDelayLines> m_delayLines;
    // Made when processing starts, so that processing allocates nothing.
    VSTChannelBuffers m_buffers;
};
