#include "Main/AudioEngineController/Effects/VST/VSTPlugin.h"
#include "Core/BaseLib/AudioPlugins/AudioPluginHost.h"
#include "Core/BaseLib/AudioPlugins/AudioPluginListener.h"
#include "Core/BaseLib/AudioPlugins/CategoryTable.h"
#include "Main/AudioEngineController/Effects/VST/HostCallback.h"
#include "Main/AudioEngineController/Effects/VST/VSTHost.h"
#include "Main/StudioModel/StudioModel.h"
#include "Vst2TestBase.h"

namespace
{
class VSTPluginTest : public Vst2TestBase
{
protected:
    // Loads a fixture the way the scan does; null when it does not load.
    std::unique_ptr<VSTPlugin> Scanned(const QString& fixture, const QString& name = QString())
    {
        auto plugin = std::make_unique<VSTPlugin>();
        bool isPluginModule = false;
        if (!plugin->LoadModule(Copy(fixture, Folder("plugins"), name), HostCallback, isPluginModule))
            return nullptr;
        return plugin;
    }
    VstEffectRecord Described(VSTPlugin& plugin)
    {
        VstEffectRecord record;
        plugin.Describe(record);
        return record;
    }
};

class RecordingListener : public AudioPluginListener
{
public:
    void OnParameterGesture(std::int32_t index, bool begin, AudioPlugin*) override
    {
        heard << QStringLiteral("gesture %1 %2").arg(index).arg(begin);
    }
    void OnParameterAutomated(std::int32_t index, float value, AudioPlugin*) override
    {
        heard << QStringLiteral("automate %1 %2").arg(index).arg(value);
    }
    void OnDisplayChanged(AudioPlugin*) override { heard << QStringLiteral("display"); }
    void OnIOChanged(AudioPlugin*) override { heard << QStringLiteral("io"); }

    QStringList heard;
};

// What the fixture asked, and was answered, while its entry point ran.
QStringList EntryAnswers(const QStringList& report)
{
    QStringList answers;
    for (int line = 1; line < report.size() && !report[line].startsWith(QLatin1String("# ")); ++line)
        answers << report[line];
    return answers;
}

VstIntPtr Ask(VstInt32 opcode)
{
    return HostCallback(nullptr, opcode, 0, 0, nullptr, 0.0f);
}
} // namespace

TEST_F(VSTPluginTest, NamesComeFromThePluginOrItsFileAndStayInsideTheirBuffers)
{
    StartHost();
    auto effect = Scanned("good/FixtureEffect.so");
    ASSERT_TRUE(effect);
    VstEffectRecord record = Described(*effect);
    EXPECT_EQ(record.name + L"|" + record.id + L"|" + record.vendor,
              L"Fixture Effect|Fixture Effect:1001|PlugSweep Fixtures");
    EXPECT_EQ(record.category, 1u);
    EXPECT_EQ(record.width, 2);
    EXPECT_EQ(record.latency, 64);

    // An instrument is named after its file, up to the file name's first dot.
    auto instrument = Scanned("good/FixtureInstrument.so", "Foo.Bar.so");
    ASSERT_TRUE(instrument);
    record = Described(*instrument);
    EXPECT_EQ(record.name + L"|" + record.id, L"Foo|Foo:1002");
    EXPECT_EQ(record.category, VstEffectRecord::kInstrument);

    auto longNames = Scanned("longnames/LongNames.so");
    ASSERT_TRUE(longNames);
    record = Described(*longNames);
    EXPECT_EQ(record.name, L"LongNameEffect" + std::wstring(64 - 14, L'#'));
    EXPECT_EQ(record.vendor, L"LongVendor" + std::wstring(256 - 10, L'#'));

    // The catalogue may class an effect as an instrument.
    AudioPluginHost::GetPluginList()["vst"][L"Fixture Effect:1001"].categoryMask =
        1u << CategoryTable::Instance().InstrumentBit();
    auto classed = Scanned("good/FixtureEffect.so");
    AudioPluginHost::GetPluginList().erase("vst");
    ASSERT_TRUE(classed);
    EXPECT_EQ(Described(*classed).category, VstEffectRecord::kInstrument);
}

TEST_F(VSTPluginTest, ShellListsItsSubPluginsAndCreatesEachByIdentifier)
{
    StartHost();
    auto shell = Scanned("good/FixtureShell.so");
    ASSERT_TRUE(shell);
    VstEffectRecord record = Described(*shell);
    EXPECT_EQ(record.category, VstEffectRecord::kShell);

    record.subId = 2002;
    ASSERT_TRUE(shell->Load(record, HostCallback, true));
    record = Described(*shell);
    EXPECT_EQ(record.id, L"Shell ../Beta: A/B:2002");
    EXPECT_EQ(record.category, 6u) << "the sub-plug-in's own";
    EXPECT_EQ(record.latency, 128) << "the sub-plug-in's own";
    // A sub-plug-in is always asked for its name, even an instrument.
    record.subId = 2003;
    ASSERT_TRUE(shell->Load(record, HostCallback, true));
    EXPECT_EQ(shell->GetName(), L"Shell Gamma");
    record.subId = 9999;
    EXPECT_FALSE(shell->Load(record, HostCallback, true));

    const auto longShell = Scanned("longnames/LongNamesShell.so");
    ASSERT_TRUE(longShell);
    std::map<std::wstring, std::int32_t> subPlugins;
    longShell->EnumerateShellPlugins(subPlugins);
    ASSERT_EQ(subPlugins.size(), 2u);
    EXPECT_EQ(subPlugins.begin()->first, L"LongShellSubOne" + std::wstring(64 - 15, L'#'));
}

TEST_F(VSTPluginTest, CallbacksReachListenersAndAutomationNeverWaitsForTheLock)
{
    StartHost();
    VstEffectRecord description;
    description.path = Copy("probe/FixtureProbe.so", Folder("plugins")).toStdWString();
    auto plugin = std::make_unique<VSTPlugin>();
    ASSERT_TRUE(plugin->Load(description, HostCallback, false));
    RecordingListener listener;
    plugin->AddListener(&listener);
    ASSERT_TRUE(plugin->Initialise(48000.0f, 512, PluginPlacement()));
    EXPECT_TRUE(plugin->IsEffect());
    EXPECT_FALSE(plugin->WantsMidi());
    // Stream settings are sent before and after effOpen; the probe automates on each block size.
    EXPECT_EQ(listener.heard,
              QStringList({"automate 1 0.25", "automate 2 0.75", "automate 0 0.5", "io", "display",
                           "gesture 0 1", "gesture 0 0", "automate 1 0.25", "automate 2 0.75", "display"}));

    // Resizing holds the plug-in lock: automation from another thread waits in
    // the pending list until the next idle, the lock holder's own goes through.
    listener.heard.clear();
    plugin->SetBlockSize(256);
    EXPECT_EQ(listener.heard, QStringList({"automate 2 0.75"}));
    plugin->Idle();
    EXPECT_EQ(listener.heard, QStringList({"automate 2 0.75", "automate 1 0.25"}));

    plugin->RemoveListener(&listener);
    plugin.reset();

    // A plug-in automating while it is released is not heard.
    listener.heard.clear();
    Scan({Folder("plugins")});
    VSTHost& host = *VSTHost::GetInstance();
    AudioPlugin* hosted = host.LoadPlugin(L"Fixture Probe:1301", 0, PluginPlacement());
    ASSERT_NE(hosted, nullptr);
    static_cast<VSTPlugin*>(hosted)->AddListener(&listener);
    EXPECT_TRUE(host.ReleasePlugin(hosted));
    EXPECT_TRUE(listener.heard.isEmpty());

    VSTPlugin stranger;
    EXPECT_FALSE(host.ReleasePlugin(&stranger)) << "not one the host created";
}

// A fault in the host's own answer to a bad buffer costs neither the scan nor the nesting count.
TEST_F(VSTPluginTest, TheEleventhNestedCallIsRefusedAndFaultsInAnAnswerLeaveTheCount)
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

    const QString path = Copy("crash/BadPointer.so", Folder("bad"));
    for (int load = 0; load < 12; ++load)
    {
        VSTPlugin plugin;
        ASSERT_TRUE(plugin.LoadModule(path, HostCallback, isPluginModule));
        EXPECT_EQ(Described(plugin).vendor, L"PlugSweep Fixtures");
    }
    EXPECT_EQ(Ask(audioMasterVersion), 2400);
    EXPECT_EQ(Ask(audioMasterCurrentId), 0);
}

TEST_F(VSTPluginTest, TimeInfoFollowsTransportAndStreamSettings)
{
    VSTHost& host = StartHost();
    const VstTimeInfo& time = *host.GetTimeInfo();
    EXPECT_EQ(Ask(audioMasterGetTime), VstIntPtr(&time));
    TransportRecord transport;
    transport.position = 2 * StudioModel::kTimeBase;
    transport.state = 1;
    ASSERT_TRUE(host.UpdateTimeInfo(transport, true));
    EXPECT_DOUBLE_EQ(time.samplePos, 96000.0);
    EXPECT_DOUBLE_EQ(time.ppqPos, 4.0);
    const VstInt32 playing = kVstTransportPlaying | kVstTransportChanged;
    EXPECT_EQ(time.flags & playing, playing);
    host.AdvanceTimeInfo();
    EXPECT_DOUBLE_EQ(time.samplePos, 97024.0);
    EXPECT_EQ(time.flags & kVstTransportChanged, 0);
    host.UpdateTimeInfo(transport, false);
    EXPECT_EQ(time.flags & kVstTransportChanged, 0) << "still playing";
    transport.state = 0;
    host.UpdateTimeInfo(transport, false);
    EXPECT_EQ(time.flags & playing, kVstTransportChanged);

    host.SetSampleRate(44100);
    EXPECT_EQ(Ask(audioMasterGetSampleRate), 44100);
}
