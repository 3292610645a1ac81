#pragma once

#include "Main/AudioEngineController/Effects/VST3/Abi/Component.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Processor.h"

#include <cstdint>
#include <vector>

class VST3Guard;

// The records a block is run with: the processing set-up, the process data
// and its context, and the buffers of the buses. Everything a block needs is
// made when the set-up or the arrangements change, so that a block only
// points the buses at the caller's channels.
class VST3ProcessData
{
public:
    // The channels of the main, default-active audio buses of a direction;
    // auxiliary buses such as side chains do not count. 0 without a component.
    static std::int32_t CountChannels(VST3Guard& guard, vst3::IComponent* component, vst3::int32 direction);

    // Offers the engine's formats and reads back what the plug-in took; the
    // buffers follow with SetupBuffers. Refuses counts past our limits.
    vst3::tresult Arrange(VST3Guard& guard, vst3::IAudioProcessor& processor, vst3::IComponent& component,
                          std::uint32_t inputFormat, std::uint32_t outputFormat);
    // A realtime 32-bit set-up for blocks of up to maxSamples; the buffers
    // are made again for the caller's channel counts.
    void Setup(VST3Guard& guard, vst3::IAudioProcessor& processor, std::uint32_t sampleRate,
               vst3::int32 maxSamples, std::int32_t hostInputs, std::int32_t hostOutputs);
    void SetupBuffers(std::int32_t hostInputs, std::int32_t hostOutputs);
    // A fresh context at the sample rate, and the process data pointed at
    // the block's parameter changes, events and context.
    void Connect(vst3::IParameterChanges* inputChanges, vst3::IParameterChanges* outputChanges,
                 vst3::IEventList* events, std::uint32_t sampleRate);
    // Null channel lists feed silence and discard what comes out.
    void Bind(float** inputs, float** outputs);
    bool Run(VST3Guard& guard, vst3::IAudioProcessor& processor);

    vst3::ProcessData& Data() { return m_data; }
    vst3::ProcessContext& Context() { return m_context; }
    vst3::int32 MaxSamples() const { return m_maxSamples; }

private:
    // The buffers of one direction's buses.
    struct Buses
    {
        std::vector<vst3::AudioBusBuffers> buffers;
        std::vector<float*> channels;
        std::vector<std::int32_t> counts;
    };

    static vst3::int32 BusCount(VST3Guard& guard, vst3::IComponent& component, vst3::BusDirection direction);
    static vst3::tresult OfferArrangements(VST3Guard& guard, vst3::IAudioProcessor& processor,
                                           vst3::IComponent& component, std::uint32_t inputFormat,
                                           std::uint32_t outputFormat, bool limited);
    static std::vector<vst3::SpeakerArrangement>
    Arrangements(VST3Guard& guard, vst3::IAudioProcessor& processor, vst3::IComponent& component,
                 vst3::BusDirection direction, std::uint32_t format, bool limited);
    static void ReadArrangements(VST3Guard& guard, vst3::IAudioProcessor& processor,
                                 vst3::IComponent& component, vst3::BusDirection direction, Buses& buses);

    vst3::int32 m_maxSamples = 0;
    vst3::ProcessSetup m_setup = {};
    vst3::ProcessData m_data = {};
    vst3::ProcessContext m_context = {};
    Buses m_inputs;
    Buses m_outputs;
    std::int32_t m_hostInputs = 0;
    std::int32_t m_hostOutputs = 0;
    std::vector<float> m_silence;
    std::vector<float> m_discard;
};
