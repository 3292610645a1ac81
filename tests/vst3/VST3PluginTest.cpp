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

// Controllers, a second class of one name and one that refuses to initialise are skipped; gaps filled.
TEST(VST3PluginTest, ProbeDescribesEveryUsableAudioClassOfAModule)
{
    const struct
    {
        const char* module;
        std::size_t records;
        std::size_t index;
        const wchar_t* name;
        const char* vendor;
        const char* categories;
        int inputs;
        int outputs;
    } cases[] = {
        // An empty class vendor falls back to the factory's.
        {"TwoEffects", 2, 0, L"Fixture Delay", "PlugSweep Fixtures", "Fx|Delay", 2, 2},
        // The aux and event inputs do not count.
        {"TwoEffects", 2, 1, L"Fixture Mono Splitter", "PlugSweep Fixture Labs", "Fx|Tools", 1, 2},
        {"Instrument", 1, 0, L"Fixture Synth", "PlugSweep Fixture Labs", "Instrument|Synth", 0, 2},
        {"SameName", 1, 0, L"Fixture Twin", "PlugSweep Fixture Labs", "Fx|Filter", 1, 1},
        {"InitFalse", 1, 0, L"Fixture Init Survivor", "PlugSweep Fixture Labs", "Fx|Dynamics", 2, 2},
        {"NoActiveBuses", 2, 0, L"Fixture No Buses", "PlugSweep Fixture Labs", "Fx", 2, 2},
        {"NoActiveBuses", 2, 1, L"Fixture Inactive Buses", "PlugSweep Fixture Labs", "Fx", 2, 2},
        // Sub-categories and class vendors need the second factory interface.
        {"FactoryOnly", 1, 0, L"Fixture Plain Factory", "PlugSweep Fixtures", "", 2, 2},
    };
    for (const auto& expected : cases)
    {
        SCOPED_TRACE(expected.module + std::string(" ") + std::to_string(expected.index));
        const Probe probe = ProbeFixture("good", expected.module);
        ASSERT_EQ(probe.records.size(), expected.records);
        const VST3EffectRecord& record = probe.records[expected.index];
        EXPECT_EQ(record.name, expected.name);
        EXPECT_EQ(record.vendor, expected.vendor);
        EXPECT_EQ(record.categories, expected.categories);
        EXPECT_EQ(record.inputs, expected.inputs);
        EXPECT_EQ(record.outputs, expected.outputs);
    }
    const Probe two = ProbeFixture("good", "TwoEffects");
    EXPECT_EQ(two.records[0].categoryMask, 0x80u);
    EXPECT_EQ(two.records[1].id, L"030201000504070608090A0B0C0D0E0F")
        << "the first three fields in host order";
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
