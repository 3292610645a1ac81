#include "Main/AudioEngineController/Effects/VST/HostCallback.h"
#include "Core/BaseLib/Debug.h"
#include "Core/BaseLib/SDebug.h"
#include "Main/AudioEngineController/Effects/VST/VSTHost.h"
#include "Main/AudioEngineController/Effects/VST/VSTPlugin.h"
#include "Main/StudioModel/StudioModel.h"
#include "Vst2TestBase.h"

#include <QRegularExpression>
#include <map>

namespace
{
using HostCallbackTest = Vst2TestBase;

// The probe's report, one list of answer lines per phase, in order.
std::vector<std::pair<QString, QStringList>> Phases(const QStringList& lines)
{
    std::vector<std::pair<QString, QStringList>> phases;
    for (const QString& line : lines)
    {
        if (line.startsWith(QLatin1String("# ")))
            phases.emplace_back(line.section(QLatin1Char(' '), 1, 1), QStringList());
        else if (!phases.empty())
            phases.back().second << line;
    }
    return phases;
}

// Every answer that is not 0, by the question it answers ("opcode index value" and any text).
std::map<QString, QString> NonZeroAnswers(const VSTHost& host, bool wrapped)
{
    const QString time = QString::number(reinterpret_cast<VstIntPtr>(host.GetTimeInfo())) +
                         " flags=0x6e01 samplePos=0 sampleRate=48000 ppqPos=0 tempo=120 timeSig=4/4 "
                         "smpteFrameRate=1 smpteOffset=0";
    std::map<QString, QString> answers = {
        {"1 0 0", "2400"},
        {"4 0 0 effect=null", "1"},
        {"4 0 1 effect=null", "1"},
        {"4 2 0", "1"},
        {"4 2 1", "1"},
        {"6 0 1", "1"},
        {"7 0 65280", time},
        {"11 0 0", "8192"},
        {"14 0 0", "1"},
        {"16 0 0", "48000"},
        {"17 0 0", "1024"},
        {"23 0 0", "1"},
        {"32 0 0 text=Quillmore", "1"},
        {"33 0 0 text=Ember II", "1"},
        {"34 0 0", "1"},
        {"38 0 0", "1"},
        {"42 0 0", "1"},
    };
    for (const char* text : {"sendVstEvents", "sendVstMidiEvent", "sendVstTimeInfo", "sizeWindow",
                             "openFileSelector", "closeFileSelector", "startStopProcess", "shellCategory",
                             "sendVstMidiEventFlagIsRealtime", "supplyIdle"})
        answers[QStringLiteral("37 0 0 canDo=") + text] = "1";
    if (wrapped)
        answers["43 0 0"] = answers["44 0 0"] = "1";
    return answers;
}

void ExpectAnswers(const QStringList& phase, const std::map<QString, QString>& nonZero)
{
    const QRegularExpression pattern(QStringLiteral("^(\\S+ \\S+ \\S+) -> (\\S+)(?: (.*))?$"));
    std::set<QString> seen;
    for (const QString& line : phase)
    {
        const auto match = pattern.match(line);
        ASSERT_TRUE(match.hasMatch()) << line.toStdString();
        const QString text =
            match.captured(3).startsWith(QLatin1String("flags=")) ? QString() : match.captured(3);
        const QString question = text.isEmpty() ? match.captured(1) : match.captured(1) + ' ' + text;
        const auto expected = nonZero.find(question);
        const QString answer = match.captured(3).startsWith(QLatin1String("flags="))
                                   ? match.captured(2) + ' ' + match.captured(3)
                                   : match.captured(2);
        EXPECT_EQ(answer, expected == nonZero.end() ? QStringLiteral("0") : expected->second)
            << line.toStdString();
        seen.insert(question.section(' ', 0, 0));
    }
    EXPECT_EQ(seen.size(), 48u) << "every opcode from 0 to 47 asked";
}
} // namespace

TEST_F(HostCallbackTest, AnswersEveryOpcodeWithAndWithoutAWrapper)
{
    Copy("probe/FixtureProbe.so", Folder("probe"));
    Scan({Folder("probe")});
    VSTHost& host = *VSTHost::GetInstance();
    AudioPlugin* plugin = host.LoadPlugin(L"Fixture Probe:1301", 0, PluginPlacement());
    ASSERT_NE(plugin, nullptr);

    // The scan's entry point, the hosting load's entry point, then its effOpen.
    const auto phases = Phases(ReportLines());
    ASSERT_EQ(phases.size(), 3u);
    EXPECT_EQ(phases[0].first, "entry");
    ExpectAnswers(phases[0].second, NonZeroAnswers(host, false));
    ExpectAnswers(phases[1].second, NonZeroAnswers(host, false));
    EXPECT_EQ(phases[2].first, "effOpen");
    ExpectAnswers(phases[2].second, NonZeroAnswers(host, true));
    EXPECT_TRUE(host.ReleasePlugin(plugin));
}

TEST_F(HostCallbackTest, RefusesTheEleventhNestedCallAndRestoresTheCount)
{
    StartHost();
    VSTPlugin nest;
    bool isPluginModule = false;
    DebugSettings::toDebugger = true;
    g_vstDispatchDebug.Level = 1;
    g_vstDispatchDebug.ToDbger = true;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(nest.LoadModule(Copy("nest/FixtureNest.so", Folder("nest")), HostCallback, isPluginModule));
    const QString traces = QString::fromStdString(testing::internal::GetCapturedStderr());
    g_vstDispatchDebug.Level = 0;
    g_vstDispatchDebug.ToDbger = false;
    DebugSettings::toDebugger = false;

    const QStringList lines = Phases(ReportLines()).at(0).second;
    for (int depth = 1; depth <= 9; ++depth)
        EXPECT_TRUE(lines.contains(QStringLiteral("1 %1 0 -> 2400").arg(depth))) << depth;
    EXPECT_TRUE(lines.contains(QStringLiteral("1 10 0 -> 0")));
    EXPECT_FALSE(lines.contains(QStringLiteral("1 11 0 -> 0")));
    EXPECT_EQ(lines.last(), "1 0 0 -> 2400");
    EXPECT_EQ(traces.count(QStringLiteral("VSTHost::HostCallback: Exceeded max Reentrancy: 11 of 10")), 2);
    EXPECT_EQ(traces.count(QStringLiteral("VST HostCallback returned 2400")), 10)
        << "on the dispatch channel";
    EXPECT_TRUE(traces.contains(
        QRegularExpression(QStringLiteral("VST HostCallback\\(1, 9, 0, [^,]+, 0.000000\\);"))));
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

    host.SetFrameRate(13);
    EXPECT_EQ(time.smpteFrameRate, kVstSmpte599fps);
    host.SetFrameRate(3);
    EXPECT_EQ(time.smpteFrameRate, kVstSmpte24fps);
    host.SetSampleRate(44100);
    host.SetBlockSize(64);
    EXPECT_EQ(time.sampleRate, 44100.0);
    EXPECT_EQ(HostCallback(nullptr, audioMasterGetSampleRate, 0, 0, nullptr, 0.0f), 44100);
    EXPECT_EQ(HostCallback(nullptr, audioMasterGetBlockSize, 0, 0, nullptr, 0.0f), 64);
}
