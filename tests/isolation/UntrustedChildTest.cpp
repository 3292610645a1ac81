#include "IsolationTestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace IsolationTestSupport;

namespace
{
constexpr std::uint32_t kFrames = 128;

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
