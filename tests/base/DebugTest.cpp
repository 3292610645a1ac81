#include "Core/BaseLib/Debug.h"
#include "Core/BaseLib/SDebug.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>
#include <string>

// The general log turns percent signs into stars; a channel logs its line as formatted.
TEST(DebugTest, PercentSignsBecomeStarsAndChannelsTraceOnlyWhenSwitchedOn)
{
    LogCapture log;
    DebugSettings::timestamps = false;
    DebugOut("%d%% done %s", 50, "100%");
    DebugOut(L"wide %ls %%", L"50%");
    DebugSettings::timestamps = true;

    static SDebug channel("Test", "a channel", 0, false);
    channel.Debug("hidden %d", 1);
    channel.Level = 1;
    channel.Debug("shown %d%%", 2);
    channel.Debug(2, "needs level 2");
    // Formats too long to expand safely are dropped whole.
    const std::string fits(1022, 'a');
    channel.Debug(fits.c_str());
    channel.Debug(std::string(1023, 'b').c_str());
    EXPECT_EQ(log.Lines(),
              QStringList({"50* done 100*", "wide 50* *", "shown 2%", QString::fromStdString(fits)}));
}
