#include "Main/AudioEngineController/Effects/VST3/VST3ProcessData.h"

#include "Core/BaseLib/Debug.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Guard.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Limits.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Refusal.h"
#include "Main/AudioEngineController/Effects/VST3/VST3SpeakerArrangement.h"

#include <algorithm>

std::int32_t VST3ProcessData::CountChannels(VST3Guard& guard, vst3::IComponent* component,
                                            vst3::int32 direction)
{
    if (!component)
        return 0;
    try
    {
        std::int32_t channels = 0;
        const vst3::int32 buses = BusCount(guard, *component, direction);
        for (vst3::int32 index = 0; index < buses; ++index)
        {
            vst3::BusInfo bus{};
            const vst3::tresult result =
                guard.Call("getBusInfo", vst3::kResultFalse,
                           [&] { return component->getBusInfo(vst3::kAudio, direction, index, bus); });
            if (result == vst3::kResultOk && bus.busType == vst3::kMain &&
                (bus.flags & vst3::BusInfo::kDefaultActive) != 0)
                channels +=
                    VST3Guard::Bounded("channels on a bus", bus.channelCount, VST3Limits::kMaxBusChannels);
        }
        return channels;
    }
    catch (const VST3Refusal& e)
    {
        DebugOut("VST3Plugin::CountChannels - %s", e.what());
        return 0;
    }
}

vst3::int32 VST3ProcessData::BusCount(VST3Guard& guard, vst3::IComponent& component,
                                      vst3::BusDirection direction)
{
    return guard.Count("audio buses", VST3Limits::kMaxBuses,
                       [&] { return component.getBusCount(vst3::kAudio, direction); });
}

vst3::tresult VST3ProcessData::Arrange(VST3Guard& guard, vst3::IAudioProcessor& processor,
                                       vst3::IComponent& component, std::uint32_t inputFormat,
                                       std::uint32_t outputFormat)
{
    vst3::tresult result = OfferArrangements(guard, processor, component, inputFormat, outputFormat, false);
    if (result != vst3::kResultOk)
        result = OfferArrangements(guard, processor, component, inputFormat, outputFormat, true);
    ReadArrangements(guard, processor, component, vst3::kInput, m_inputs);
    ReadArrangements(guard, processor, component, vst3::kOutput, m_outputs);
    return result;
}

// A plug-in that can widen its main bus is offered the track's whole width
// first; only one that refuses it is offered what its bus holds now.
vst3::tresult VST3ProcessData::OfferArrangements(VST3Guard& guard, vst3::IAudioProcessor& processor,
                                                 vst3::IComponent& component, std::uint32_t inputFormat,
                                                 std::uint32_t outputFormat, bool limited)
{
    std::vector<vst3::SpeakerArrangement> inputs =
        Arrangements(guard, processor, component, vst3::kInput, inputFormat, limited);
    std::vector<vst3::SpeakerArrangement> outputs =
        Arrangements(guard, processor, component, vst3::kOutput, outputFormat, limited);
    return guard.Call("setBusArrangements", vst3::kResultFalse,
                      [&]
                      {
                          return processor.setBusArrangements(inputs.data(), vst3::int32(inputs.size()),
                                                              outputs.data(), vst3::int32(outputs.size()));
                      });
}

// The buses as they are, with the track's arrangement offered for the main
// bus; a plug-in whose main bus is narrower is offered what it can take.
std::vector<vst3::SpeakerArrangement>
VST3ProcessData::Arrangements(VST3Guard& guard, vst3::IAudioProcessor& processor, vst3::IComponent& component,
                              vst3::BusDirection direction, std::uint32_t format, bool limited)
{
    const vst3::int32 count = BusCount(guard, component, direction);
    std::vector<vst3::SpeakerArrangement> arrangements(std::size_t(count), 0);
    for (vst3::int32 bus = 0; bus < count; ++bus)
        guard.Call("getBusArrangement", vst3::kResultFalse,
                   [&]
                   { return processor.getBusArrangement(direction, bus, arrangements[std::size_t(bus)]); });
    if (arrangements.empty())
        return arrangements;
    vst3::BusInfo main{};
    const bool known =
        limited &&
        guard.Call("getBusInfo", vst3::kResultFalse,
                   [&] { return component.getBusInfo(vst3::kAudio, direction, 0, main); }) == vst3::kResultOk;
    arrangements[0] = VST3SpeakerArrangement::ForFormat(
        format,
        known ? VST3Guard::Bounded("channels on a bus", main.channelCount, VST3Limits::kMaxBusChannels) : 0);
    return arrangements;
}

void VST3ProcessData::ReadArrangements(VST3Guard& guard, vst3::IAudioProcessor& processor,
                                       vst3::IComponent& component, vst3::BusDirection direction,
                                       Buses& buses)
{
    const vst3::int32 count = BusCount(guard, component, direction);
    buses.counts.assign(std::size_t(count), 0);
    for (vst3::int32 bus = 0; bus < count; ++bus)
    {
        vst3::SpeakerArrangement arrangement = 0;
        vst3::BusInfo info{};
        if (guard.Call("getBusArrangement", vst3::kResultFalse,
                       [&] { return processor.getBusArrangement(direction, bus, arrangement); }) ==
            vst3::kResultOk)
            buses.counts[std::size_t(bus)] = VST3SpeakerArrangement::ChannelCount(arrangement);
        else if (guard.Call("getBusInfo", vst3::kResultFalse,
                            [&] { return component.getBusInfo(vst3::kAudio, direction, bus, info); }) ==
                 vst3::kResultOk)
            buses.counts[std::size_t(bus)] =
                VST3Guard::Bounded("channels on a bus", info.channelCount, VST3Limits::kMaxBusChannels);
    }
}

void VST3ProcessData::Setup(VST3Guard& guard, vst3::IAudioProcessor& processor, std::uint32_t sampleRate,
                            vst3::int32 maxSamples, std::int32_t hostInputs, std::int32_t hostOutputs)
{
    m_setup.processMode = vst3::kRealtime;
    m_setup.symbolicSampleSize = vst3::kSample32;
    m_maxSamples = maxSamples;
    m_setup.maxSamplesPerBlock = m_maxSamples;
    m_setup.sampleRate = sampleRate;
    guard.Call("setupProcessing", vst3::kResultFalse, [&] { return processor.setupProcessing(m_setup); });
    SetupBuffers(hostInputs, hostOutputs);
}

void VST3ProcessData::SetupBuffers(std::int32_t hostInputs, std::int32_t hostOutputs)
{
    m_hostInputs = std::max(0, hostInputs);
    m_hostOutputs = std::max(0, hostOutputs);
    for (Buses* buses : {&m_inputs, &m_outputs})
    {
        std::size_t channels = 0;
        for (std::int32_t count : buses->counts)
            channels += std::size_t(std::max(0, count));
        buses->channels.assign(channels, nullptr);
        buses->buffers.assign(buses->counts.size(), vst3::AudioBusBuffers{});
        std::size_t first = 0;
        for (std::size_t bus = 0; bus < buses->counts.size(); ++bus)
        {
            buses->buffers[bus].numChannels = std::max(0, buses->counts[bus]);
            buses->buffers[bus].channelBuffers32 = buses->channels.data() + first;
            first += std::size_t(buses->buffers[bus].numChannels);
        }
    }
    m_silence.assign(std::size_t(m_maxSamples), 0.0f);
    m_discard.assign(std::size_t(m_maxSamples), 0.0f);
    m_data.numInputs = vst3::int32(m_inputs.buffers.size());
    m_data.numOutputs = vst3::int32(m_outputs.buffers.size());
    m_data.inputs = m_inputs.buffers.empty() ? nullptr : m_inputs.buffers.data();
    m_data.outputs = m_outputs.buffers.empty() ? nullptr : m_outputs.buffers.data();
}

void VST3ProcessData::Connect(vst3::IParameterChanges* inputChanges, vst3::IParameterChanges* outputChanges,
                              vst3::IEventList* events, std::uint32_t sampleRate)
{
    m_context = {};
    m_context.sampleRate = sampleRate;
    m_context.tempo = 120.0;
    m_data.inputParameterChanges = inputChanges;
    m_data.outputParameterChanges = outputChanges;
    m_data.inputEvents = events;
    m_data.processContext = &m_context;
    m_data.symbolicSampleSize = vst3::kSample32;
}

// The caller's channels feed the main buses; side chains hear silence and
// outputs the caller has no channel for go nowhere. The silence is zeroed
// when the buffers are made: a plug-in only reads its inputs.
void VST3ProcessData::Bind(float** inputs, float** outputs)
{
    const std::size_t mainInputs = m_inputs.counts.empty() ? 0 : std::size_t(std::max(0, m_inputs.counts[0]));
    const std::size_t mainOutputs =
        m_outputs.counts.empty() ? 0 : std::size_t(std::max(0, m_outputs.counts[0]));
    const std::size_t hostInputs = inputs ? std::min(mainInputs, std::size_t(m_hostInputs)) : 0;
    const std::size_t hostOutputs = outputs ? std::min(mainOutputs, std::size_t(m_hostOutputs)) : 0;
    for (std::size_t channel = 0; channel < m_inputs.channels.size(); ++channel)
        m_inputs.channels[channel] = channel < hostInputs ? inputs[channel] : m_silence.data();
    for (std::size_t channel = 0; channel < m_outputs.channels.size(); ++channel)
        m_outputs.channels[channel] = channel < hostOutputs ? outputs[channel] : m_discard.data();
    for (vst3::AudioBusBuffers& bus : m_inputs.buffers)
        bus.silenceFlags = 0;
}

// A plug-in that faulted is not run again.
bool VST3ProcessData::Run(VST3Guard& guard, vst3::IAudioProcessor& processor)
{
    return guard.Call("process", vst3::kResultFalse, [&] { return processor.process(m_data); }) ==
           vst3::kResultOk;
}
