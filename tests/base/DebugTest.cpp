#include "Core/BaseLib/Debug.h"
#include "Core/BaseLib/SDebug.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>
#include <string>

namespace
{
class DebugTest : public ::testing::Test
{
protected:
    void TearDown() override { DebugSettings::timestamps = true; }

    LogCapture host;
};
} // namespace

TEST_F(DebugTest, PercentSignsReachTheLogAsStars)
{
    DebugSettings::timestamps = false;
    DebugOut("%d%% done %s", 50, "100%");
    DebugOut(L"wide %ls %%", L"50%");
    EXPECT_EQ(host.Lines(), QStringList({"50* done 100*", "wide 50* *"}));
}

TEST_F(DebugTest, ChannelsTraceOnlyWhenSwitchedOn)
{
    static SDebug channel("Test", "a channel", 0, false);
    channel.Debug("hidden %d", 1);
    channel.Debug(std::string(1100, 'x').c_str());
    EXPECT_TRUE(host.Lines().isEmpty());

    channel.Level = 1;
    channel.Debug("shown %d%%", 2);
    channel.Debug(2, "needs level 2");
    EXPECT_EQ(host.Lines(), QStringList{"shown 2%"});
    EXPECT_EQ(host.Levels(), std::vector<int>{2});
}

TEST_F(DebugTest, OverlongFormatsAreNeverExpanded)
{
    static SDebug channel("Test", "", 1, false);
    const std::string fits(1022, 'a');
    channel.Debug(fits.c_str());
    channel.Debug(std::string(1023, 'b').c_str());
    EXPECT_EQ(host.Lines(), QStringList{QString::fromStdString(fits)});
}
