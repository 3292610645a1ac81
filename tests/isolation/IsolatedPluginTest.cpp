#include "IsolationTestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace IsolationTestSupport;

namespace
{
constexpr std::uint32_t kFrames = 256;
// The fixtures process two blocks well, then fail; gain 0.5 by default.
constexpr int kHealthyBlocks = 2;
constexpr float kInput = 0.5f;
constexpr float kHealthyOutput = 0.25f;

class IsolatedPluginTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(ScanFixtures(m_prefs.path())); }

    // A busy machine misses tight deadlines; the deadline is not what these tests measure.
    std::unique_ptr<IsolatedPlugin> OpenFixture(const char* id) const
    {
        std::unique_ptr<IsolatedPlugin> plugin = Open(m_prefs.path(), id, kFrames);
        plugin->SetMinimumDeadline(1000000);
        return plugin;
    }

    // The wrapper fades from the dry input into the first block; the
    // blocks after it show the plug-in's own output.
    static void Warm(IsolatedPlugin& plugin)
    {
        Block block(2, kFrames);
        ASSERT_TRUE(Run(plugin, block));
    }

    static bool Run(IsolatedPlugin& plugin, Block& block)
    {
        block.FillInputs(kInput);
        return plugin.Process(TransportRecord(), block.in.data(), block.out.data(), block.frames);
    }

    QTemporaryDir m_prefs;
};

TEST_F(IsolatedPluginTest, AFailingPluginGivesSilenceAndAFailureWhileWeLiveOn)
{
    // A hung plug-in is killed only after missing several blocks in a row.
    const struct
    {
        const char* id;
        const char* failure;
        int blocks;
    } failures[] = {
        {"IsolatedAbort:1902", "crashed", 4},
        {"IsolatedThreadFault:1903", "crashed", 4},
        {"IsolatedExit:1904", "crashed", 4},
        {"IsolatedHang:1905", "hung", kHealthyBlocks + int(IsolatedPlugin::kMissedBlocksBeforeHung) + 1},
    };
    for (const auto& failing : failures)
    {
        SCOPED_TRACE(failing.id);
        const std::unique_ptr<IsolatedPlugin> plugin = OpenFixture(failing.id);
        ASSERT_EQ(plugin->GetFailure(), L"");
        ASSERT_EQ(plugin->GetNumOutputs(), 2);
        Warm(*plugin);
        Block block(2, kFrames);
        for (int index = 1; index < failing.blocks; ++index)
        {
            const bool processed = Run(*plugin, block);
            EXPECT_TRUE(processed || index >= kHealthyBlocks) << "block " << index;
            EXPECT_TRUE(block.OutputsAre(index < kHealthyBlocks ? kHealthyOutput : 0.0f))
                << "block " << index;
        }
        EXPECT_TRUE(plugin->ProcessFailed());
        EXPECT_NE(QString::fromStdWString(plugin->GetFailure()).indexOf(failing.failure), -1)
            << QString::fromStdWString(plugin->GetFailure()).toStdString();
        // Control calls on a dead plug-in answer empty, at once; bypassed, it passes its dry input.
        EXPECT_FALSE(plugin->SetParameter(0, 1.0f));
        EXPECT_EQ(plugin->GetParameterName(0), L"");
        plugin->SetBypassed(true);
        Run(*plugin, block);
        EXPECT_EQ(block.outputs, block.inputs);
    }
}

TEST_F(IsolatedPluginTest, RestartBringsTheLastPresetBack)
{
    const std::unique_ptr<IsolatedPlugin> plugin = OpenFixture("IsolatedAbort:1902");
    ASSERT_TRUE(plugin->SetParameter(0, 0.25f));
    PluginState state;
    ASSERT_TRUE(plugin->StorePreset(state));
    ASSERT_TRUE(plugin->SetParameter(0, 1.0f));
    Block block(2, kFrames);
    for (int index = 0; index <= kHealthyBlocks; ++index)
        Run(*plugin, block);
    ASSERT_TRUE(plugin->HasFailed());

    ASSERT_TRUE(plugin->Restart());
    EXPECT_EQ(plugin->GetFailure(), L"");
    EXPECT_FLOAT_EQ(plugin->GetParameter(0), 0.25f);
    Warm(*plugin);
    EXPECT_TRUE(Run(*plugin, block));
    EXPECT_TRUE(block.OutputsAre(kInput * 0.25f));
}

// The fixture counts the notes it is given, in hundredths, in its second parameter.
TEST_F(IsolatedPluginTest, ParametersPresetsMidiAndLongBlocksCrossTheProcessBoundary)
{
    const std::unique_ptr<IsolatedPlugin> first = OpenFixture("IsolatedGain:1901");
    ASSERT_EQ(first->GetNumParameters(), 2);
    EXPECT_EQ(first->GetParameterName(0), L"Gain");
    ASSERT_TRUE(first->SetParameter(0, 0.75f));
    EXPECT_EQ(first->GetParameterDisplay(0, 0.75f), L"75");
    std::vector<AudioPluginParameter> table;
    first->GetParameterTable(table);
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[1].name, L"Notes");
    PluginState state;
    ASSERT_TRUE(first->StorePreset(state));
    EXPECT_EQ(state.identifier, first->GetIdentifierPrefix() + first->GetIdentifierKey());
    first->SetMidiActive(true);
    MidiMessage note;
    note.data[0] = 0x90;
    for (int count = 0; count < 3; ++count)
        first->QueueMidi(note);
    Block block(2, kFrames);
    ASSERT_TRUE(Run(*first, block));
    EXPECT_NEAR(first->GetParameter(1), 0.03f, 1e-6f);

    const std::unique_ptr<IsolatedPlugin> second = OpenFixture("IsolatedGain:1901");
    ASSERT_TRUE(second->LoadPreset(state));
    EXPECT_FLOAT_EQ(second->GetParameter(0), 0.75f);
    Warm(*second);
    Block longer(2, IsolationBlock::kMaxFrames * 2 + 5);
    ASSERT_TRUE(Run(*second, longer));
    EXPECT_TRUE(longer.OutputsAre(kInput * 0.75f));
}

// Refusing to open is not a crash: the catalogue must not blame the plug-in.
TEST_F(IsolatedPluginTest, AMissingHostProgramOrAnUnknownPluginIsAFailureToOpen)
{
    const std::unique_ptr<IsolatedPlugin> noHost =
        Open(m_prefs.path(), "IsolatedGain:1901", kFrames, m_prefs.path() + "/no-such-host");
    const std::unique_ptr<IsolatedPlugin> unknown = OpenFixture("NoSuchPlugin:1");
    for (IsolatedPlugin* plugin : {noHost.get(), unknown.get()})
    {
        EXPECT_TRUE(plugin->HasFailed());
        EXPECT_FALSE(plugin->GetFailure().empty());
    }
    Block block(2, kFrames);
    EXPECT_FALSE(Run(*noHost, block));
    EXPECT_FALSE(unknown->ProcessFailed());
}

// Stands in for PlugSweepHost as a corrupted child would.
std::unique_ptr<IsolatedPlugin> OpenLiar(const QTemporaryDir& prefs, const char* lie)
{
    qputenv("ISOLATION_LIE", lie);
    std::unique_ptr<IsolatedPlugin> plugin =
        Open(prefs.path(), "Liar:1", kFrames, QStringLiteral(LYING_HOST));
    qunsetenv("ISOLATION_LIE");
    return plugin;
}

// Whatever the child claims, the proxy's counts stay within what it can
// hold, lists and presets that do not fit their message are refused, and a
// frame longer than any message ends the child.
TEST(UntrustedChild, CountsAndLengthsPastTheirBoundsAreNeverFollowed)
{
    QTemporaryDir prefs;
    const std::unique_ptr<IsolatedPlugin> plugin = OpenLiar(prefs, "counts");
    ASSERT_EQ(plugin->GetFailure(), L"");
    EXPECT_EQ(plugin->GetNumInputs(), std::int32_t(IsolationBlock::kMaxChannels));
    EXPECT_EQ(plugin->GetNumOutputs(), 0);
    EXPECT_EQ(plugin->GetNumParameters(), 0);
    std::vector<AudioPluginParameter> table;
    plugin->GetParameterTable(table);
    EXPECT_TRUE(table.empty());
    PluginState state;
    EXPECT_FALSE(plugin->StorePreset(state));
    EXPECT_EQ(plugin->GetParameterName(0), L"");
    EXPECT_EQ(plugin->GetParameterRecord(0).name, L"");

    Block block(IsolationBlock::kMaxChannels, kFrames);
    for (int index = 0; index < 3; ++index)
    {
        block.FillInputs(0.5f);
        EXPECT_TRUE(plugin->Process(TransportRecord(), block.in.data(), block.out.data(), kFrames));
        // Counted notices that never came are not waited for.
        plugin->Idle();
    }
    EXPECT_FALSE(plugin->HasFailed());

    const std::unique_ptr<IsolatedPlugin> oversized = OpenLiar(prefs, "oversized");
    EXPECT_NE(QString::fromStdWString(oversized->GetFailure()).indexOf("crashed"), -1);
}
} // namespace
