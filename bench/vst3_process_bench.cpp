// Figures for VST 3 processing: the time per block of a real plug-in run
// through the wrapper, against the same plug-in's process() called directly
// by the simplest host that can run it, and the wrapper's overhead.
#include "Main/AudioEngineController/Effects/VST3/Abi/Factory.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Processor.h"
#include "Main/AudioEngineController/Effects/VST3/VST3ClassId.h"
#include "Main/AudioEngineController/Effects/VST3/VST3EventList.h"
#include "Main/AudioEngineController/Effects/VST3/VST3HostContext.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Module.h"
#include "Main/AudioEngineController/Effects/VST3/VST3ParameterChanges.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Plugin.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Ptr.h"
#include "Platform/FaultGuard.h"
#include "bench/ProcessTiming.h"

#include <QFileInfo>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

namespace
{
using namespace ProcessTiming;

// The plug-in's processor brought up with nothing around it: default
// arrangements, no parameter traffic, no lock, no fault guard.
class DirectProcessor
{
public:
    // Room for a main bus wider than the recorded channels.
    explicit DirectProcessor(const VST3EffectRecord& record) : m_buffers(8), m_outputs(8)
    {
        m_module.Load(QString::fromStdString(record.path).toStdWString());
        vst3::TUID cid;
        VST3ClassId::FromText(record.id, cid);
        void* obj = nullptr;
        m_module.GetFactory()->createInstance(cid, vst3::IComponent::iid, &obj);
        m_component.Reset(static_cast<vst3::IComponent*>(obj));
        m_component->initialize(static_cast<vst3::IComponentHandler*>(m_context.Get()));
        m_component->queryInterface(vst3::IAudioProcessor::iid, &obj);
        m_processor.Reset(static_cast<vst3::IAudioProcessor*>(obj));
        vst3::ProcessSetup setup{vst3::kRealtime, vst3::kSample32, kBlock, 48000.0};
        m_processor->setupProcessing(setup);
        m_component->setActive(true);
        m_processor->setProcessing(true);
        m_spare.reserve(256);
        Bind(vst3::kInput, m_buffers, m_in);
        Bind(vst3::kOutput, m_outputs, m_out);
        m_processContext.sampleRate = 48000.0;
        m_processContext.tempo = 120.0;
        // What the wrapper tells the plug-in of a rolling transport.
        m_processContext.state = vst3::ProcessContext::kPlaying | vst3::ProcessContext::kTempoValid;
        m_processContext.frameRate = {25, 0};
        m_data = {vst3::kRealtime,    vst3::kSample32, kBlock,       int(m_in.size()),
                  int(m_out.size()),  m_in.data(),     m_out.data(), m_inChanges.Get(),
                  m_outChanges.Get(), m_events.Get(),  nullptr,      &m_processContext};
    }
    ~DirectProcessor()
    {
        m_processor->setProcessing(false);
        m_component->setActive(false);
        m_processor.Reset();
        m_component->terminate();
        m_component.Reset();
    }
    void Process() { m_processor->process(m_data); }

private:
    // The main bus gets the buffers, every other bus the spare channel, as in the wrapper.
    void Bind(vst3::BusDirection direction, Buffers& main, std::vector<vst3::AudioBusBuffers>& buses)
    {
        const int count = m_component->getBusCount(vst3::kAudio, direction);
        for (int bus = 0; bus < count; ++bus)
        {
            vst3::SpeakerArrangement arrangement = 0;
            m_processor->getBusArrangement(direction, bus, arrangement);
            const int channels = __builtin_popcountll(arrangement);
            for (int c = 0; c < channels; ++c)
                m_spare.push_back(m_silence.data());
            buses.push_back(
                {channels, 0, {bus == 0 ? main.pointers.data() : &m_spare[m_spare.size() - channels]}});
        }
    }

    VST3Module m_module;
    VST3Ptr<VST3HostContext> m_context{new VST3HostContext(nullptr)};
    VST3Ptr<vst3::IComponent> m_component;
    VST3Ptr<vst3::IAudioProcessor> m_processor;
    Buffers m_buffers;
    Buffers m_outputs;
    std::vector<float> m_silence = std::vector<float>(kBlock, 0.0f);
    std::vector<float*> m_spare;
    std::vector<vst3::AudioBusBuffers> m_in;
    std::vector<vst3::AudioBusBuffers> m_out;
    VST3Ptr<VST3ParameterChanges> m_inChanges{new VST3ParameterChanges(1000)};
    VST3Ptr<VST3ParameterChanges> m_outChanges{new VST3ParameterChanges(1000)};
    VST3Ptr<VST3EventList> m_events{new VST3EventList(250)};
    vst3::ProcessContext m_processContext{};
    vst3::ProcessData m_data{};
};

void Measure(const QString& bundle)
{
    VST3Plugin probe;
    bool hasFactory = true;
    std::vector<VST3EffectRecord> records = probe.ProbeModule(bundle.toStdString(), true, hasFactory);
    if (records.empty())
    {
        std::printf("%-14s not found\n", qPrintable(QFileInfo(bundle).baseName()));
        return;
    }
    VST3EffectRecord record = records.front();
    record.path = bundle.toStdString();
    const int channels = std::max(1, record.outputs);

    VST3Plugin wrapper;
    PluginPlacement placement;
    placement.channelFormat = std::uint32_t(channels);
    if (!wrapper.Instantiate(record) || !wrapper.Initialise(48000.0f, kBlock, placement))
        return;
    DirectProcessor direct(record);
    Buffers in(channels);
    Buffers out(channels);
    TransportRecord transport;
    transport.rolling = true;
    transport.state = 1;

    // Interleaved rounds, so that both sides see the same machine.
    std::vector<double> wrapped;
    std::vector<double> plain;
    for (int round = 0; round < kRounds; ++round)
    {
        wrapped.push_back(NanosecondsPerBlock(
            [&] { wrapper.Process(transport, in.pointers.data(), out.pointers.data(), kBlock); }));
        plain.push_back(NanosecondsPerBlock([&] { direct.Process(); }));
    }
    const double wrappedNs = Median(wrapped);
    const double plainNs = Median(plain);
    std::printf("%-14s direct %9.0f ns/block   wrapper %9.0f ns/block   overhead %6.0f ns (%+.2f %%)\n",
                qPrintable(QString::fromStdWString(record.name)), plainNs, wrappedNs, wrappedNs - plainNs,
                100.0 * (wrappedNs - plainNs) / plainNs);
}
} // namespace

int main()
{
    Platform::InstallFaultTranslator();
    std::printf("%u-frame blocks at 48000 Hz, median of %d rounds of %d blocks\n", kBlock, kRounds,
                kBlocksPerRound);
    // The wrapper runs every call into the plug-in under the fault guard.
    int calls = 0;
    const double guard = NanosecondsPerBlock([&] { Platform::GuardedCall([&] { ++calls; }); });
    std::printf("fault guard alone: %.0f ns per guarded call\n", guard);
    const auto measureAll = []
    {
        for (const char* name : {"ZamComp", "ZamEQ2", "ZamCompX2", "ZamVerb"})
            Measure(QStringLiteral("/usr/lib/vst3/%1.vst3").arg(name));
    };
    std::printf("with the fault translator, as the engine runs plug-ins:\n");
    measureAll();
    // A thread without the translator runs guarded calls directly: what is
    // left is the wrapper's own work.
    std::printf("on a thread without it:\n");
    std::thread(measureAll).join();
    return 0;
}
