#include "Core/BaseLib/Debug.h"
#include "Core/BaseLib/SDebug.h"
#include "Interfaces/EngineContext.h"
#include "Interfaces/ICorvaneInterface.h"

#include <cstdarg>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
// A host whose log keeps what it is given, expanded as the host would.
class RecordingHost : public ICorvaneInterface
{
public:
    std::wstring GetPreferencesFolder() override { return {}; }
    QStringList GetPluginFolders() override { return {}; }
    void Log(int level, const wchar_t* format, ...) override
    {
        wchar_t text[2048] = {};
        va_list args;
        va_start(args, format);
        std::vswprintf(text, 2048, format, args);
        va_end(args);
        lines.push_back({level, QString::fromWCharArray(text).toStdString()});
    }
    void Log(int level, const char* format, ...) override
    {
        char text[2048] = {};
        va_list args;
        va_start(args, format);
        std::vsnprintf(text, sizeof text, format, args);
        va_end(args);
        lines.push_back({level, text});
    }

    std::vector<std::pair<int, std::string>> lines;
};

class DebugTest : public ::testing::Test
{
protected:
    void SetUp() override { EngineContext::Instance().SetInterface(&host); }
    void TearDown() override
    {
        EngineContext::Instance().SetInterface(nullptr);
        DebugSettings::timestamps = true;
    }

    RecordingHost host;
};
} // namespace

// Runs first in this process: the very first stamped line starts the clock.
TEST_F(DebugTest, FirstLineIsStampedZero)
{
    DebugOut("first");
    ASSERT_EQ(host.lines.size(), 1u);
    EXPECT_EQ(host.lines[0].second, "00.00.00.000(000): first");
    EXPECT_EQ(host.lines[0].first, 1);
}

TEST_F(DebugTest, StampsWrapHoursAndDropLongDeltas)
{
    EXPECT_EQ(DebugTimeStamp(25 * 3600000ull + 61001, 999), "01.01.01.001(999): ");
    EXPECT_EQ(DebugTimeStamp(1000, 1000), "00.00.01.000     : ");
}

TEST_F(DebugTest, PercentSignsReachTheLogAsStars)
{
    DebugSettings::timestamps = false;
    DebugOut("%d%% done %s", 50, "100%");
    DebugOut(L"wide %ls %%", L"50%");
    ASSERT_EQ(host.lines.size(), 2u);
    EXPECT_EQ(host.lines[0].second, "50* done 100*");
    EXPECT_EQ(host.lines[1].second, "wide 50* *");
}

TEST_F(DebugTest, ChannelsTraceOnlyWhenSwitchedOn)
{
    static SDebug channel("Test", "a channel", 0, false);
    channel.Debug("hidden %d", 1);
    channel.Debug(std::string(1100, 'x').c_str());
    EXPECT_TRUE(host.lines.empty());

    channel.Level = 1;
    channel.Debug("shown %d%%", 2);
    channel.Debug(2, "needs level 2");
    ASSERT_EQ(host.lines.size(), 1u);
    EXPECT_EQ(host.lines[0], (std::pair<int, std::string>{2, "shown 2%"}));
}

TEST_F(DebugTest, OverlongFormatsAreNeverExpanded)
{
    static SDebug channel("Test", "", 1, false);
    const std::string fits(1022, 'a');
    const std::string tooLong(1023, 'b');
    channel.Debug(fits.c_str());
    channel.Debug(tooLong.c_str());
    ASSERT_EQ(host.lines.size(), 1u);
    EXPECT_EQ(host.lines[0].second, fits);
}

TEST_F(DebugTest, ChannelsCutLongNamesAndRegisterInOrder)
{
    const std::string longName(40, 'n');
    static SDebug channel(longName.c_str(), "c", 0, true);
    EXPECT_EQ(std::strlen(channel.Name), 31u);
    const auto& channels = SDebugsHolder::Instance().Channels();
    ASSERT_GE(channels.size(), 10u);
    EXPECT_EQ(channels.back(), &channel);
    EXPECT_EQ(channel.Index, channels.size());
    EXPECT_STREQ(channels[0]->Name, "VST Plugins");
    EXPECT_STREQ(channels[0]->Comment, "Debug the Dispatch <-> VST");
    EXPECT_TRUE(channels[5]->ToDbger) << "Use Video Caching copies to the debugger";
}
