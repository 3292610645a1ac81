// VST 2 scan benchmark: (a) a rescan where 2,000 known plug-ins are unchanged,
// (b) a first scan of 2,000 renamed copies of the bench fixture, with the
// scanner's own cost per probe: the total less the time spent inside the
// plug-in's library loading, entry point and dispatcher. "vst2_scan_bench N"
// scans N copies instead.

#include "Core/BaseLib/AudioPlugins/PluginHost.h"
#include "Interfaces/CorvaneInterfaceImpl.h"
#include "Interfaces/EngineContext.h"
#include "Interfaces/ProcessFolders.h"
#include "Main/AudioEngineController/Effects/VST/Abi/Effect.h"
#include "Main/AudioEngineController/Effects/VST/VSTHost.h"
#include "Main/VLib/VUI.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

namespace
{
// The corpus size unless the command line names another.
constexpr int kDefaultPlugins = 2000;

using Clock = std::chrono::steady_clock;

// Nanoseconds spent inside plug-in code and the loader, by kind.
struct PluginTime
{
    std::atomic<long long> load{0};
    std::atomic<long long> unload{0};
    std::atomic<long long> entry{0};
    std::atomic<long long> dispatch{0};

    long long Total() const { return load + unload + entry + dispatch; }
};
PluginTime g_pluginTime;

long long Since(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start).count();
}

using DlsymProc = void* (*)(void*, const char*);
DlsymProc RealDlsym()
{
    static const auto real = []
    {
        void* found = dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.34");
        return reinterpret_cast<DlsymProc>(found ? found : dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.2.5"));
    }();
    return real;
}

template <class Proc> Proc Real(const char* name)
{
    return reinterpret_cast<Proc>(RealDlsym()(RTLD_NEXT, name));
}

// The scan runs on one thread, so the entry point handed out last is the one called.
VstPluginMainProc g_realEntry = nullptr;

VstIntPtr TimedDispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                          float opt)
{
    // The host leaves resvd2 alone; the bench keeps the plug-in's dispatcher there.
    const auto real = reinterpret_cast<AEffectDispatcherProc>(effect->resvd2);
    const Clock::time_point start = Clock::now();
    const VstIntPtr answer = real(effect, opcode, index, value, ptr, opt);
    g_pluginTime.dispatch += Since(start);
    return answer;
}

AEffect* TimedEntry(audioMasterCallback callback)
{
    const Clock::time_point start = Clock::now();
    AEffect* effect = g_realEntry(callback);
    g_pluginTime.entry += Since(start);
    if (effect)
    {
        effect->resvd2 = reinterpret_cast<VstIntPtr>(effect->dispatcher);
        effect->dispatcher = TimedDispatcher;
    }
    return effect;
}

// The scan asks for nothing but progress displays that are never cancelled.
class BenchProgress : public VProgressDisplay
{
public:
    void SetTextAndValue(const std::wstring&, std::int32_t) override {}
    std::int32_t Complete() override { return 0; }
    void SetValue(std::int32_t) override {}
    void Advance(std::int32_t) override {}
    void Start(std::int32_t, const std::wstring&) override {}
    void SetText(const std::wstring&) override {}
    bool IsCancelled() override { return false; }
};

class BenchUI : public VUI
{
public:
    void SetMessage(const std::wstring&) override {}
    void SetMessage(int, const std::wstring&) override {}
    void UserWarning(const std::wstring&, bool) override {}
    VRef<VProgressDisplay> CreateProgressDisplay(bool) override
    {
        return VRef<VProgressDisplay>::Adopt(new BenchProgress);
    }
    void RequestShow(int) override {}
};

// One scanner run over the folder, timed.
double Scan(const QString& effectsFolder, double& loadMs)
{
    VSTHost* host = VSTHost::GetInstance();
    host->Initialise(effectsFolder.toStdWString(), std::wstring(), 48000, 1024);
    const Clock::time_point start = Clock::now();
    host->LoadKnownPlugins();
    loadMs = Since(start) / 1e6;
    host->LaunchScanner(true, true);
    const double totalMs = Since(start) / 1e6;
    host->Shutdown();
    return totalMs;
}
} // namespace

// Interposed for the whole process: the engine's library loading goes through these.
extern "C" void* dlopen(const char* file, int mode) noexcept
{
    static const auto real = Real<void* (*)(const char*, int)>("dlopen");
    const Clock::time_point start = Clock::now();
    void* handle = real(file, mode);
    g_pluginTime.load += Since(start);
    return handle;
}

extern "C" int dlclose(void* handle) noexcept
{
    static const auto real = Real<int (*)(void*)>("dlclose");
    const Clock::time_point start = Clock::now();
    const int result = real(handle);
    g_pluginTime.unload += Since(start);
    return result;
}

extern "C" void* dlsym(void* handle, const char* name) noexcept
{
    void* symbol = RealDlsym()(handle, name);
    if (!symbol || std::strcmp(name, "VSTPluginMain") != 0)
        return symbol;
    g_realEntry = reinterpret_cast<VstPluginMainProc>(symbol);
    return reinterpret_cast<void*>(&TimedEntry);
}

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : kDefaultPlugins;
    QTemporaryDir root;
    const QString plugins = root.filePath(QStringLiteral("plugins"));
    const QString effects = root.filePath(QStringLiteral("Effects"));
    QDir().mkpath(plugins);
    QDir().mkpath(effects);
    const QString bench = TestSupport::Vst2FixtureDir() + QStringLiteral("/bench/Bench.so");
    for (int i = 0; i < count; ++i)
        QFile::copy(bench, plugins + QStringLiteral("/Bench%1.so").arg(i, 4, 10, QLatin1Char('0')));

    CorvaneInterfaceImpl hostInterface;
    EngineContext::Instance().SetInterface(&hostInterface);
    ProcessFolders::PluginFolders() = QStringList{plugins};
    SetCurrentVUI(std::make_shared<BenchUI>());
    AudioPluginHost::SetCurrent(PluginHost::GetInstance());

    double loadMs = 0;
    g_pluginTime.load = 0;
    const double firstMs = Scan(effects, loadMs);
    const double pluginMs = g_pluginTime.Total() / 1e6;
    std::printf("(b) first scan of %d plug-ins: %.1f ms in all, %.1f ms inside plug-ins "
                "(load %.1f, entry %.1f, dispatch %.1f, unload %.1f)\n",
                count, firstMs, pluginMs, g_pluginTime.load / 1e6, g_pluginTime.entry / 1e6,
                g_pluginTime.dispatch / 1e6, g_pluginTime.unload / 1e6);
    std::printf("    scanner overhead per probe: %.3f ms (target below 1 ms)\n",
                (firstMs - pluginMs) / count);

    const double rescanMs = Scan(effects, loadMs);
    std::printf(
        "(a) rescan of %d unchanged plug-ins: %.1f ms (LoadKnownPlugins %.1f ms, LaunchScanner %.1f ms; "
        "target below 50 ms)\n",
        count, rescanMs, loadMs, rescanMs - loadMs);
    return 0;
}
