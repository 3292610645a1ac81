// Figures for isolated hosting: the zam plug-ins run in process and in a
// process of their own, block by block, at three block sizes. Prints the
// time each side takes per block at the median and the 99th percentile, what
// isolation adds there, and the overhead of whole rounds.
#include "Core/BaseLib/AudioPlugins/AudioPlugin.h"
#include "Core/BaseLib/AudioPlugins/PluginHost.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <vector>

namespace
{
constexpr std::uint32_t kRate = 48000;
constexpr int kRounds = 15;
constexpr int kBlocksPerRound = 200;
constexpr std::uint32_t kBlockSizes[] = {64, 256, 1024};
const char* const kModules[] = {"/usr/lib/vst/ZamComp-vst.so", "/usr/lib/vst/ZamEQ2-vst.so",
                                "/usr/lib/vst/ZamCompX2-vst.so", "/usr/lib/vst3/ZaMaximX2.vst3"};

struct Channels
{
    Channels(int count, std::uint32_t frames) : data(std::size_t(count), std::vector<float>(frames))
    {
        for (std::vector<float>& channel : data)
        {
            for (std::uint32_t i = 0; i < frames; ++i)
                channel[i] = 0.5f * float(std::sin(0.0576 * i));
            pointers.push_back(channel.data());
        }
    }
    std::vector<std::vector<float>> data;
    std::vector<float*> pointers;
};

// Times every block of a round, in microseconds; adds the round's total.
struct Side
{
    AudioPlugin* plugin = nullptr;
    std::vector<double> blocks;
    std::vector<double> rounds;
    int failed = 0;

    void Round(Channels& in, Channels& out, std::uint32_t frames)
    {
        using Clock = std::chrono::steady_clock;
        const TransportRecord transport;
        const Clock::time_point start = Clock::now();
        Clock::time_point before = start;
        for (int index = 0; index < kBlocksPerRound; ++index)
        {
            failed += plugin->Process(transport, in.pointers.data(), out.pointers.data(), frames) ? 0 : 1;
            const Clock::time_point after = Clock::now();
            blocks.push_back(std::chrono::duration<double, std::micro>(after - before).count());
            before = after;
        }
        rounds.push_back(std::chrono::duration<double, std::micro>(before - start).count());
    }
};

double Percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(fraction * double(values.size())))];
}

QStringList ScanZam(const QString& prefs)
{
    for (const char* module : kModules)
        if (QFileInfo::exists(module))
            TestSupport::CopyInto(module, prefs + "/plugins");
    const QString plugcat = TestSupport::BinDir() + "/plugcat";
    TestSupport::RunProcess(plugcat, {"--prefs", prefs, "scan", prefs + "/plugins"});
    const TestSupport::ProcessResult list =
        TestSupport::RunProcess(plugcat, {"--prefs", prefs, "list", "--json"});
    QStringList ids;
    for (const QJsonValue& entry : QJsonDocument::fromJson(list.out.toUtf8()).array())
        if (entry["state"].toString() == "enabled")
            ids << entry["id"].toString();
    return ids;
}

void Measure(PluginHost& host, const QString& id, std::uint32_t frames)
{
    const std::wstring identifier = (QStringLiteral("vst:") + id).toStdWString();
    Side local;
    Side isolated;
    local.plugin = host.LoadPlugin(identifier, frames, PluginPlacement());
    isolated.plugin = host.LoadIsolatedPlugin(identifier, frames, PluginPlacement());
    if (!local.plugin || !isolated.plugin || !isolated.plugin->GetFailure().empty())
    {
        std::printf("%-28s %5u  could not be loaded\n", qPrintable(id), frames);
        return;
    }
    const int channels = std::max({local.plugin->GetNumInputs(), local.plugin->GetNumOutputs(), 1});
    Channels in(channels, frames);
    Channels out(channels, frames);
    // A first round each, untimed: the first block pages everything in.
    local.Round(in, out, frames);
    isolated.Round(in, out, frames);
    for (Side* side : {&local, &isolated})
        side->blocks.clear(), side->rounds.clear();
    for (int round = 0; round < kRounds; ++round)
    {
        local.Round(in, out, frames);
        isolated.Round(in, out, frames);
    }
    const double localMedian = Percentile(local.blocks, 0.5);
    const double isolatedMedian = Percentile(isolated.blocks, 0.5);
    const double localTail = Percentile(local.blocks, 0.99);
    const double isolatedTail = Percentile(isolated.blocks, 0.99);
    const double localRound = Percentile(local.rounds, 0.5);
    const double isolatedRound = Percentile(isolated.rounds, 0.5);
    std::printf("%-28s %5u  %8.1f %8.1f  %8.1f %8.1f  %+8.1f %+8.1f  %+7.1f %%  %d\n", qPrintable(id), frames,
                localMedian, isolatedMedian, localTail, isolatedTail, isolatedMedian - localMedian,
                isolatedTail - localTail, 100.0 * (isolatedRound - localRound) / localRound, isolated.failed);
    host.ReleasePlugin(isolated.plugin);
    host.ReleasePlugin(local.plugin);
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    // The wrappers trace their speaker arrangements on std::cout.
    std::cout.rdbuf(nullptr);
    QTemporaryDir prefs;
    const QStringList ids = ScanZam(prefs.path());
    if (ids.isEmpty())
    {
        std::printf("no zam plug-ins are installed\n");
        return 0;
    }
    PluginHost& host = *PluginHost::GetInstance();
    AudioPluginHost::SetCurrent(&host);
    host.Initialise(prefs.path().toStdWString(), std::wstring(), kRate, 1024);
    host.Isolation().SetHostProgram(TestSupport::BinDir() + "/PlugSweepHost");
    host.LaunchScanner(false, false);
    host.RefreshPluginList();
    std::printf(
        "%u Hz; per block, in microseconds: median and 99th percentile of %d interleaved rounds of %d "
        "blocks;\noverhead: median round, isolated against in process; missed: isolated blocks that "
        "were not done in time\n\n",
        kRate, kRounds, kBlocksPerRound);
    std::printf("%-28s %5s  %8s %8s  %8s %8s  %8s %8s  %9s  %s\n", "plug-in", "block", "in p50", "iso p50",
                "in p99", "iso p99", "+p50", "+p99", "overhead", "missed");
    for (const QString& id : ids)
        for (std::uint32_t frames : kBlockSizes)
            Measure(host, id, frames);
    host.Shutdown();
    return 0;
}
