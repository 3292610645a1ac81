#include "Main/AudioEngineController/Effects/VST/HostCallback.h"
#include "Main/AudioEngineController/Effects/VST/VSTHost.h"
#include "Main/AudioEngineController/Effects/VST/VSTPlugin.h"
#include "Main/StudioModel/StudioModel.h"
#include "Vst2TestBase.h"

namespace
{
using HostCallbackTest = Vst2TestBase;

// What the fixture asked, and was answered, while its entry point ran.
QStringList EntryAnswers(const QStringList& report)
{
    QStringList answers;
    for (int line = 1; line < report.size() && !report[line].startsWith(QLatin1String("# ")); ++line)
        answers << report[line];
    return answers;
}
} // namespace

TEST_F(HostCallbackTest, RefusesTheEleventhNestedCallAndRestoresTheCount)
{
    StartHost();
    VSTPlugin nest;
    bool isPluginModule = false;
    ASSERT_TRUE(nest.LoadModule(Copy("nest/FixtureNest.so", Folder("nest")), HostCallback, isPluginModule));

    const QStringList lines = EntryAnswers(ReportLines());
    for (int depth = 1; depth <= 9; ++depth)
        EXPECT_TRUE(lines.contains(QStringLiteral("1 %1 0 -> 2400").arg(depth))) << depth;
    EXPECT_TRUE(lines.contains(QStringLiteral("1 10 0 -> 0")));
    EXPECT_FALSE(lines.contains(QStringLiteral("1 11 0 -> 0")));
    EXPECT_EQ(lines.last(), "1 0 0 -> 2400");
    EXPECT_EQ(HostCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f), 2400);
}

// The host faults on the plug-in's bad buffer inside its own answer; that
// must cost neither the scan nor the thread's callback nesting count.
TEST_F(HostCallbackTest, FaultsInTheHostsAnswerLeaveTheNestingCountAlone)
{
    StartHost();
    const QString path = Copy("crash/BadPointer.so", Folder("bad"));
    for (int load = 0; load < 12; ++load)
    {
        VSTPlugin plugin;
        bool isPluginModule = false;
        ASSERT_TRUE(plugin.LoadModule(path, HostCallback, isPluginModule));
        VstEffectRecord record;
        plugin.Describe(record);
        EXPECT_EQ(record.vendor, L"PlugSweep Fixtures");
    }
    EXPECT_EQ(HostCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f), 2400);
    EXPECT_EQ(HostCallback(nullptr, audioMasterCurrentId, 0, 0, nullptr, 0.0f), 0);
}

TEST_F(HostCallbackTest, TimeInfoFollowsTransportAndStreamSettings)
{
    VSTHost& host = StartHost();
    const VstTimeInfo& time = *host.GetTimeInfo();
    EXPECT_EQ(HostCallback(nullptr, audioMasterGetTime, 0, 0, nullptr, 0.0f), VstIntPtr(&time));
    EXPECT_EQ(time.flags, 0x6E01);
    EXPECT_EQ(time.smpteFrameRate, kVstSmpte25fps);
    EXPECT_EQ(HostCallback(nullptr, audioMasterGetCurrentProcessLevel, 0, 0, nullptr, 0.0f), 1);

    TransportRecord transport;
    transport.position = 2 * StudioModel::kTimeBase;
    transport.state = 1;
    ASSERT_TRUE(host.UpdateTimeInfo(transport, true));
    EXPECT_DOUBLE_EQ(time.samplePos, 96000.0);
    EXPECT_DOUBLE_EQ(time.ppqPos, 4.0);
    EXPECT_EQ(time.flags & (kVstTransportPlaying | kVstTransportChanged),
              kVstTransportPlaying | kVstTransportChanged);
    EXPECT_EQ(HostCallback(nullptr, audioMasterGetCurrentProcessLevel, 0, 0, nullptr, 0.0f), 4);
    host.AdvanceTimeInfo();
    EXPECT_DOUBLE_EQ(time.samplePos, 97024.0);
    EXPECT_EQ(time.flags & kVstTransportChanged, 0);
    EXPECT_EQ(HostCallback(nullptr, audioMasterGetCurrentProcessLevel, 0, 0, nullptr, 0.0f), 1);
    host.UpdateTimeInfo(transport, false);
    EXPECT_EQ(time.flags & kVstTransportChanged, 0) << "still playing";
    EXPECT_EQ(HostCallback(nullptr, audioMasterGetCurrentProcessLevel, 0, 0, nullptr, 0.0f), 2);
    transport.state = 0;
    host.UpdateTimeInfo(transport, false);
    EXPECT_EQ(time.flags & (kVstTransportPlaying | kVstTransportChanged), kVstTransportChanged);

    host.SetSampleRate(44100);
    host.SetBlockSize(64);
    EXPECT_EQ(time.sampleRate, 44100.0);
    EXPECT_EQ(HostCallback(nullptr, audioMasterGetSampleRate, 0, 0, nullptr, 0.0f), 44100);
    EXPECT_EQ(HostCallback(nullptr, audioMasterGetBlockSize, 0, 0, nullptr, 0.0f), 64);
}
