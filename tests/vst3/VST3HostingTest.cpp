#include "Core/BaseLib/AudioPlugins/AudioPluginListener.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Host.h"
#include "Main/AudioEngineController/Effects/VST3/VST3HostContext.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Plugin.h"
#include "Platform/FaultGuard.h"
#include "vst3/Vst3TestSupport.h"
#ifdef PLUGSWEEP_COUNTS_ALLOCATIONS
#include "support/AllocationCounter.h"
#endif

#include <QFileInfo>
#include <gtest/gtest.h>
#include <thread>

using namespace Vst3TestSupport;

namespace
{
// Classes of the hosting fixture module.
const std::wstring kEcho = L"46575350110001004649585400000000";
const std::wstring kSplit = L"46575350110002004649585400000000";
const std::wstring kSides = L"46575350110004004649585400000000";
const std::wstring kFault = L"46575350110005004649585400000000";

// A host that knows the hosting fixtures.
struct Hosting
{
    Hosting() : host(setup.Host({QFileInfo(Fixture("hosting", "Hosting")).path()}))
    {
        host->LoadKnownPlugins();
        host->LaunchScanner(true, true);
    }

    VST3Plugin* Load(const std::wstring& id, std::uint32_t format = 2)
    {
        return Vst3TestSupport::Load(*host, id, format);
    }

    ScanSetup setup;
    std::unique_ptr<VST3Host> host;
};

struct NotingListener : AudioPluginListener
{
    void OnParameterAutomated(std::int32_t index, float value, AudioPlugin*) override
    {
        heard.push_back("automated " + std::to_string(index) + " " + std::to_string(value));
    }
    void OnBypassChanged(bool on, AudioPlugin*) override { heard.push_back(on ? "bypass on" : "bypass off"); }
    std::vector<std::string> heard;
};
} // namespace

TEST(VST3HostingTest, ListsParametersByUnitAndTellsEachEditOnce)
{
    Hosting hosting;
    VST3Plugin* echo = hosting.Load(kEcho);
    ASSERT_NE(echo, nullptr);
    std::vector<AudioPluginParameter> table;
    echo->GetParameterTable(table);
    std::vector<std::wstring> names;
    for (const AudioPluginParameter& parameter : table)
        names.push_back(parameter.name);
    const std::vector<std::wstring> expected{L"Gain",       L"Phase Invert", L"Mode", L"Reserved Slot",
                                             L"Left Level", L"Beta",         L"Alpha"};
    EXPECT_EQ(names, expected) << "bypass, read-only and lower-case reserved parameters are not listed";
    EXPECT_EQ(table[0].currentStep, 5000u);
    EXPECT_EQ(table[1].kind, AudioPluginParameter::Switch) << "a phase control switches";
    EXPECT_EQ(table[2].valueTexts, (std::vector<std::wstring>{L"0%", L"50%", L"100%"}));

    NotingListener listener;
    echo->AddListener(&listener);
    vst3::IComponentHandler* handler = echo->HostContext();
    EXPECT_EQ(handler->performEdit(17, 0.5), vst3::kResultFalse) << "not listed";
    EXPECT_EQ(handler->performEdit(10, 0.25), vst3::kResultOk);
    Block block(2, 8);
    block.Run(*echo);
    echo->Idle();
    EXPECT_EQ(handler->performEdit(10, 0.25), vst3::kResultOk) << "what the controller was just told";
    EXPECT_EQ(handler->performEdit(11, 1.0), vst3::kResultOk);
    EXPECT_TRUE(echo->IsBypassed());
    EXPECT_EQ(listener.heard, (std::vector<std::string>{"automated 0 0.250000", "bypass on"}));
    echo->RemoveListener(&listener);

    // A standing transport still delivers a change, by one empty block only when needed.
    FixtureReport report;
    block.Run(*echo, false);
    echo->SetParameter(0, 0.75f);
    echo->Idle();
    echo->Idle();
    EXPECT_EQ(report.Lines("flush"), std::vector<std::string>{"flush 1"});
    block.Run(*echo, false);
    EXPECT_EQ(block.out[0][0], 0.75f);
    EXPECT_TRUE(hosting.host->ReleasePlugin(echo));
    EXPECT_FALSE(hosting.host->ReleasePlugin(echo)) << "released once";
    EXPECT_EQ(hosting.host->LoadPlugin(L"00000000000000000000000000000000", 0, {}), nullptr);
}

TEST(VST3HostingTest, SideChainsHearSilenceAndTracksGetTheirArrangements)
{
    Hosting hosting;
    FixtureReport report;
    VST3Plugin* six = hosting.Load(kSides, 256 + 6);
    ASSERT_NE(six, nullptr);
    Block block(6, 16);
    ASSERT_TRUE(block.Run(*six));
    EXPECT_EQ(block.out, block.in);
    hosting.host->ReleasePlugin(six);
    hosting.host->ReleasePlugin(hosting.Load(kSides, 256 + 8));
    hosting.host->ReleasePlugin(hosting.Load(kSides, 2));
    // Eight channels are offered whole first; only the refusal brings the bus's own width.
    const std::vector<std::string> offered{"setBusArrangements 3F,3 / 3F", "setBusArrangements FF,3 / FF",
                                           "setBusArrangements 3F,3 / 3F", "setBusArrangements 3,3 / 3"};
    EXPECT_EQ(report.Lines("setBusArrangements"), offered);
}

TEST(VST3HostingTest, PresetsCarryComponentAndControllerStateIntoAFreshInstance)
{
    Hosting hosting;
    VST3Plugin* first = hosting.Load(kSplit);
    ASSERT_NE(first, nullptr);
    first->SetParameter(0, 0.25f);
    Block block(2, 8);
    block.Run(*first);
    first->Idle();
    PluginState state;
    ASSERT_TRUE(first->StorePreset(state));
    hosting.host->ReleasePlugin(first);

    VST3Plugin* second = hosting.Load(kSplit);
    ASSERT_TRUE(second->LoadPreset(state));
    EXPECT_EQ(second->GetParameter(0), 0.25f) << "the separate controller follows";
    block.Run(*second);
    EXPECT_EQ(block.out[0][0], 0.25f) << "the processor took its state";
    hosting.host->ReleasePlugin(second);
}

TEST(VST3HostingTest, APlugInThatFaultsInProcessIsNotRunAgain)
{
    std::thread(
        []
        {
            Platform::InstallFaultTranslator();
            Hosting hosting;
            VST3Plugin* fault = hosting.Load(kFault);
            ASSERT_NE(fault, nullptr);
            Block block(2, 8);
            EXPECT_FALSE(block.Run(*fault));
            EXPECT_FALSE(block.Run(*fault));
            EXPECT_TRUE(hosting.host->ReleasePlugin(fault));
        })
        .join();
}

#ifdef PLUGSWEEP_COUNTS_ALLOCATIONS
TEST(VST3HostingTest, ProcessingAllocatesNothingAfterTheFirstBlock)
{
    Hosting hosting;
    VST3Plugin* echo = hosting.Load(kEcho);
    ASSERT_NE(echo, nullptr);
    Block block(2, 256);
    block.Run(*echo);
    const std::size_t before = AllocationCounter::ThreadAllocations();
    for (int step = 0; step < 100; ++step)
    {
        echo->SetParameter(step % 7, step / 100.0f);
        block.Run(*echo);
    }
    EXPECT_EQ(AllocationCounter::ThreadAllocations(), before);
    hosting.host->ReleasePlugin(echo);
}
#endif
