// Figures for the VST 3 scan: (a) a rescan of 2,000 known classes that
// changed nothing, (b) a first scan of 2,000 modules and what the scan itself
// adds to each module's own load and description.
#include "Interfaces/CorvaneInterfaceImpl.h"
#include "Interfaces/EngineContext.h"
#include "Interfaces/ProcessFolders.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Component.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Factory.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Host.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Ptr.h"
#include "Platform/FaultGuard.h"
#include "Platform/Library.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace
{
constexpr int kModules = 2000;
constexpr int kRescans = 7;

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

QString LibraryOf(const QString& bundle, const QString& name)
{
    return bundle + '/' + Platform::BundleLibraryFolder() + '/' + name + Platform::LibrarySuffix();
}

// Renamed copies of the bench module: each names its one class after itself.
QStringList MakeModules(const QString& folder)
{
    const QString original = TestSupport::Vst3FixtureDir() + "/bench/Bench.vst3";
    QStringList libraries;
    for (int i = 0; i < kModules; ++i)
    {
        const QString name = QString("Bench%1").arg(i, 4, 10, QChar('0'));
        const QString library = LibraryOf(folder + "/" + name + ".vst3", name);
        QDir().mkpath(QFileInfo(library).path());
        if (!QFile::copy(LibraryOf(original, "Bench"), library))
            std::fprintf(stderr, "cannot copy %s\n", qPrintable(library));
        libraries << library;
    }
    return libraries;
}

// Everything a probe asks of one module, called directly: the module's own
// share of a scan.
void DescribeDirectly(const QString& library)
{
    Platform::LibraryHandle handle = Platform::OpenLibrary(QFile::encodeName(library).toStdString());
    reinterpret_cast<vst3::ModuleEntryFunc>(Platform::LibrarySymbol(handle, vst3::kModuleEntryName))(handle);
    VST3Ptr<vst3::IPluginFactory> factory(reinterpret_cast<vst3::GetFactoryProc>(
        Platform::LibrarySymbol(handle, vst3::kGetPluginFactoryName))());
    vst3::PFactoryInfo factoryInfo{};
    factory->getFactoryInfo(&factoryInfo);
    void* obj = nullptr;
    factory->queryInterface(vst3::IPluginFactory::iid, &obj);
    VST3Ptr<vst3::IPluginFactory>(static_cast<vst3::IPluginFactory*>(obj)).Reset();
    vst3::PClassInfo info{};
    factory->getClassInfo(0, &info);
    vst3::PClassInfo2 info2{};
    vst3::PClassInfoW infoW{};
    factory->queryInterface(vst3::IPluginFactory2::iid, &obj);
    VST3Ptr<vst3::IPluginFactory2>(static_cast<vst3::IPluginFactory2*>(obj))->getClassInfo2(0, &info2);
    factory->queryInterface(vst3::IPluginFactory3::iid, &obj);
    VST3Ptr<vst3::IPluginFactory3>(static_cast<vst3::IPluginFactory3*>(obj))->getClassInfoUnicode(0, &infoW);
    factory->createInstance(info.cid, vst3::IComponent::iid, &obj);
    VST3Ptr<vst3::IComponent> component(static_cast<vst3::IComponent*>(obj));
    component->initialize(nullptr);
    for (vst3::BusDirection direction : {vst3::kInput, vst3::kOutput})
        for (vst3::int32 i = 0; i < component->getBusCount(vst3::kAudio, direction); ++i)
        {
            vst3::BusInfo bus{};
            component->getBusInfo(vst3::kAudio, direction, i, bus);
        }
    component->terminate();
    component.Reset();
    factory.Reset();
    reinterpret_cast<vst3::ModuleExitFunc>(Platform::LibrarySymbol(handle, vst3::kModuleExitName))();
    Platform::CloseLibrary(handle);
}

double DescribeAllDirectly(const QStringList& libraries)
{
    const Clock::time_point start = Clock::now();
    for (const QString& library : libraries)
        DescribeDirectly(library);
    return MillisecondsSince(start);
}

// One scanner run: the known list, then the scan.
double TimeScan(const QString& effects, bool& written)
{
    VST3Host host;
    host.Initialise(effects.toStdWString(), std::wstring(), 48000, 1024);
    const Clock::time_point start = Clock::now();
    host.LoadKnownPlugins();
    written = host.LaunchScanner(true, true);
    return MillisecondsSince(start);
}
} // namespace

int main()
{
    // As on the scanner's worker thread, every call into a module is guarded.
    Platform::InstallFaultTranslator();
    if (!QFileInfo::exists(LibraryOf(TestSupport::Vst3FixtureDir() + "/bench/Bench.vst3", "Bench")))
    {
        std::fprintf(stderr, "the bench module is missing: build the vst3_fixtures target first\n");
        return 1;
    }
    QTemporaryDir root;
    const QString plugins = root.path() + "/plugins";
    const QString effects = root.path() + "/Effects";
    QDir().mkpath(effects);
    std::printf("preparing %d modules in %s\n", kModules, qPrintable(root.path()));
    const QStringList libraries = MakeModules(plugins);

    CorvaneInterfaceImpl hostInterface;
    ProcessFolders::PluginFolders() = QStringList{plugins};
    EngineContext::Instance().SetInterface(&hostInterface);

    // The first pass brings every copy into the page cache, as the scan will
    // find them; the quickest of the timed passes is the modules' own share,
    // which leaves the scan's share on the safe side.
    DescribeAllDirectly(libraries);
    const double direct = std::min(DescribeAllDirectly(libraries), DescribeAllDirectly(libraries));
    bool written = false;
    const double firstScan = TimeScan(effects, written);
    std::printf("(b) first scan of %d modules: %.1f ms in all, %.1f ms of it in the modules' own calls\n",
                kModules, firstScan, direct);
    std::printf("    own overhead per module: %.3f ms (target: below 1 ms)%s\n",
                (firstScan - direct) / kModules, written ? "" : "  [configuration not written!]");

    std::vector<double> rescans;
    for (int run = 0; run < kRescans; ++run)
    {
        rescans.push_back(TimeScan(effects, written));
        if (written)
            std::printf("    [configuration rewritten by a rescan!]\n");
    }
    std::sort(rescans.begin(), rescans.end());
    std::printf("(a) rescan of %d known, unchanged classes: best %.1f ms, median %.1f ms of %d (target: "
                "below 50 ms)\n",
                kModules, rescans.front(), rescans[rescans.size() / 2], kRescans);
    EngineContext::Instance().SetInterface(nullptr);
    return 0;
}
