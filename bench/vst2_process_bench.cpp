// Figures for VST 2 processing: the time per block of a real plug-in run
// through the wrapper, against the same plug-in's processReplacing called
// directly by the simplest host that can run it, and the wrapper's overhead.
#include "Core/BaseLib/AudioPlugins/PluginHost.h"
#include "Main/AudioEngineController/Effects/VST/HostCallback.h"
#include "Main/AudioEngineController/Effects/VST/VSTHost.h"
#include "Main/AudioEngineController/Effects/VST/VSTPlugin.h"
#include "Main/StudioModel/StudioModel.h"
#include "Platform/FaultGuard.h"
#include "Platform/Library.h"
#include "bench/ProcessTiming.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <thread>
#include <vector>

namespace
{
using namespace ProcessTiming;

constexpr float kRate = 48000.0f;

VstIntPtr SilentHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    if (opcode == audioMasterGetSampleRate)
        return VstIntPtr(kRate);
    return opcode == audioMasterVersion ? 2400 : 0;
}

// A second instance from the same library, opened and started by hand: no
// lock, no channel maps, no bypass, no fault guard.
class DirectPlugin
{
public:
    explicit DirectPlugin(const QString& path)
        : m_library(Platform::OpenLibrary(QFile::encodeName(path).toStdString()))
    {
        void* symbol = Platform::LibrarySymbol(m_library, "VSTPluginMain");
        auto entry =
            reinterpret_cast<VstPluginMainProc>(symbol ? symbol : Platform::LibrarySymbol(m_library, "main"));
        m_effect = entry(SilentHost);
        Dispatch(effOpen, 0, 0.0f);
        Dispatch(effSetSampleRate, 0, kRate);
        Dispatch(effSetBlockSize, kBlock, 0.0f);
        Dispatch(effMainsChanged, 1, 0.0f);
        Dispatch(effStartProcess, 0, 0.0f);
    }
    ~DirectPlugin()
    {
        Dispatch(effStopProcess, 0, 0.0f);
        Dispatch(effMainsChanged, 0, 0.0f);
        Dispatch(effClose, 0, 0.0f);
        Platform::CloseLibrary(m_library);
    }
    int Channels() const { return std::max(m_effect->numInputs, m_effect->numOutputs); }
    void Process(float** inputs, float** outputs)
    {
        m_effect->processReplacing(m_effect, inputs, outputs, VstInt32(kBlock));
    }

private:
    void Dispatch(VstInt32 opcode, VstIntPtr value, float opt)
    {
        m_effect->dispatcher(m_effect, opcode, 0, value, nullptr, opt);
    }

    void* m_library;
    AEffect* m_effect = nullptr;
};

void Measure(const QString& path)
{
    const QString name = QFileInfo(path).baseName();
    if (!QFileInfo::exists(path))
    {
        std::printf("%-14s not found\n", qPrintable(name));
        return;
    }
    DirectPlugin direct(path);
    VSTPlugin wrapper;
    VstEffectRecord description;
    description.path = path.toStdWString();
    if (!wrapper.Load(description, HostCallback, false))
        return;
    PluginPlacement placement;
    placement.channelFormat = std::uint32_t(std::clamp(wrapper.GetNumOutputs(), 1, 8));
    wrapper.Initialise(kRate, kBlock, placement);
    const int channels = std::max(direct.Channels(), 1);
    Buffers wrappedIn(channels);
    Buffers wrappedOut(channels);
    Buffers directIn(channels);
    Buffers directOut(channels);
    TransportRecord transport;
    transport.rolling = true;
    transport.state = 1;
    const std::int64_t ticksPerBlock = std::int64_t(kBlock) * (StudioModel::kTimeBase / std::int64_t(kRate));

    // Interleaved rounds, so that both sides see the same machine.
    std::vector<double> wrapped;
    std::vector<double> plain;
    for (int round = 0; round < kRounds; ++round)
    {
        wrapped.push_back(NanosecondsPerBlock(
            [&]
            {
                wrapper.Process(transport, wrappedIn.pointers.data(), wrappedOut.pointers.data(), kBlock);
                transport.position += ticksPerBlock;
            }));
        plain.push_back(NanosecondsPerBlock(
            [&] { direct.Process(directIn.pointers.data(), directOut.pointers.data()); }));
    }
    const double wrappedNs = Median(wrapped);
    const double plainNs = Median(plain);
    std::printf("%-14s direct %9.0f ns/block   wrapper %9.0f ns/block   overhead %6.0f ns (%+.2f %%)\n",
                qPrintable(name), plainNs, wrappedNs, wrappedNs - plainNs,
                100.0 * (wrappedNs - plainNs) / plainNs);
}
} // namespace

int main()
{
    // The wrapper traces its speaker arrangements on std::cout.
    std::cout.rdbuf(nullptr);
    Platform::InstallFaultTranslator();
    // Plug-ins ask the host for the stream settings; the catalogue names them.
    VSTHost::GetInstance()->SetSampleRate(std::uint32_t(kRate));
    VSTHost::GetInstance()->SetBlockSize(kBlock);
    AudioPluginHost::SetCurrent(PluginHost::GetInstance());
    std::printf("%u-frame blocks at 48000 Hz, median of %d rounds of %d blocks\n", kBlock, kRounds,
                kBlocksPerRound);
    const auto measureAll = []
    {
        for (const char* name : {"ZamComp", "ZamEQ2", "ZamCompX2", "ZamVerb"})
            Measure(QStringLiteral("/usr/lib/vst/%1-vst.so").arg(name));
    };
    std::printf("with the fault translator, as the engine runs plug-ins:\n");
    measureAll();
    std::printf("on a thread without it:\n");
    std::thread(measureAll).join();
    return 0;
}
