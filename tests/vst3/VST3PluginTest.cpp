#include "Main/AudioEngineController/Effects/VST3/VST3Plugin.h"
#include "Platform/FaultGuard.h"
#include "vst3/Vst3TestSupport.h"

#include <gtest/gtest.h>
#include <thread>

using namespace Vst3TestSupport;

namespace
{
struct Probe
{
    std::vector<VST3EffectRecord> records;
    bool hasFactory = true;
};

Probe ProbeFixture(const QString& group, const QString& name, bool isNew = true)
{
    Probe probe;
    VST3Plugin plugin;
    probe.records = plugin.ProbeModule(Fixture(group, name).toStdString(), isNew, probe.hasFactory);
    return probe;
}
} // namespace

TEST(VST3PluginTest, ProbeDescribesEveryAudioClassOfAModule)
{
    const Probe two = ProbeFixture("good", "TwoEffects");
    ASSERT_EQ(two.records.size(), 2u) << "the controller class is not an audio class";
    const VST3EffectRecord& delay = two.records[0];
    EXPECT_EQ(delay.name, L"Fixture Delay");
    EXPECT_EQ(delay.id, L"46575350010001004649585400000000");
    EXPECT_EQ(delay.vendor, "PlugSweep Fixtures") << "an empty class vendor falls back to the factory's";
    EXPECT_EQ(delay.categories, "Fx|Delay");
    EXPECT_EQ(delay.categoryMask, 0x80u);

    const VST3EffectRecord& splitter = two.records[1];
    EXPECT_EQ(splitter.id, L"030201000504070608090A0B0C0D0E0F") << "the first three fields in host order";
    EXPECT_EQ(splitter.vendor, "PlugSweep Fixture Labs");
    EXPECT_EQ(splitter.inputs, 1) << "the aux and event inputs do not count";
    EXPECT_EQ(splitter.outputs, 2);

    const Probe synth = ProbeFixture("good", "Instrument");
    ASSERT_EQ(synth.records.size(), 1u);
    EXPECT_EQ(synth.records[0].inputs, 0);
    EXPECT_EQ(synth.records[0].outputs, 2);
    EXPECT_EQ(ProbeFixture("good", "PlainFile").records.at(0).name, L"Fixture Plain File")
        << "a plain file is loaded as it is";
}

TEST(VST3PluginTest, ProbeSkipsClassesItCannotUseAndFillsGaps)
{
    const Probe twins = ProbeFixture("good", "SameName");
    ASSERT_EQ(twins.records.size(), 1u);
    EXPECT_EQ(twins.records[0].inputs, 1) << "the first class of a name wins";
    EXPECT_EQ(twins.records[0].categories, "Fx|Filter");

    const Probe refused = ProbeFixture("good", "InitFalse");
    ASSERT_EQ(refused.records.size(), 1u);
    EXPECT_EQ(refused.records[0].name, L"Fixture Init Survivor");

    const Probe inactive = ProbeFixture("good", "NoActiveBuses");
    ASSERT_EQ(inactive.records.size(), 2u);
    for (const VST3EffectRecord& record : inactive.records)
        EXPECT_TRUE(record.inputs == 2 && record.outputs == 2)
            << QString::fromStdWString(record.name).toStdString();

    const Probe plain = ProbeFixture("good", "FactoryOnly");
    ASSERT_EQ(plain.records.size(), 1u);
    EXPECT_EQ(plain.records[0].categories, "") << "sub-categories need the second factory interface";
    EXPECT_EQ(plain.records[0].categoryMask, 0u);
    EXPECT_EQ(plain.records[0].vendor, "PlugSweep Fixtures");
}

TEST(VST3PluginTest, AFaultInsidePlugInCodeEndsOnlyTheProbe)
{
    std::thread(
        []
        {
            Platform::InstallFaultTranslator();
            const Probe faulting = ProbeFixture("crash", "InitFault");
            EXPECT_TRUE(faulting.records.empty());
            EXPECT_TRUE(faulting.hasFactory);
            EXPECT_EQ(ProbeFixture("good", "TwoEffects").records.size(), 2u) << "the thread goes on probing";
        })
        .join();
}

TEST(VST3PluginTest, BigOrNewModulesAskForTheWindowAsTheyAreProbed)
{
    ScopedUI ui;
    ProbeFixture("good", "SixClasses", false);
    EXPECT_TRUE(ui->showRequests.empty()) << "six classes of a known module stay quiet";
    ProbeFixture("good", "SevenClasses", false);
    EXPECT_EQ(ui->showRequests, std::vector<int>(7, VUI::kShowAll));
    ui->showRequests.clear();
    ProbeFixture("good", "SixClasses", true);
    EXPECT_EQ(ui->showRequests.size(), 6u);
    EXPECT_EQ(ui->messages.front(), L"Scanning: Fixture Six 1");
    EXPECT_EQ(ui->messages.back(), L"Scanning: Fixture Six 6");
}
