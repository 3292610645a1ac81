#include "Core/BaseLib/RewriteSchedule.h"

#include <gtest/gtest.h>

namespace
{
using std::chrono::milliseconds;

// A clock the test moves, and rewrites that each take a millisecond of it.
struct FakeScan
{
    RewriteSchedule::Clock::time_point now{};
    int writes = 0;
    RewriteSchedule schedule{[this]
                             {
                                 ++writes;
                                 now += milliseconds(1);
                             },
                             [this] { return now; }};
};
} // namespace

TEST(RewriteScheduleTest, FindsAreWrittenAtOnceOnlyWhileRewritingCostsLittle)
{
    FakeScan scan;
    scan.schedule.Start(0);
    scan.schedule.Changed(0);
    EXPECT_EQ(scan.writes, 1) << "nothing was written yet, so nothing is costly";
    scan.now += milliseconds(5);
    scan.schedule.Changed(1);
    scan.now += milliseconds(4);
    scan.schedule.Changed(2);
    EXPECT_EQ(scan.writes, 1) << "gathered for ten times the last rewrite's time";
    EXPECT_TRUE(scan.schedule.Pending());
    scan.now += milliseconds(1);
    scan.schedule.Changed(3);
    EXPECT_EQ(scan.writes, 2);
    EXPECT_FALSE(scan.schedule.Pending());

    scan.schedule.Changed(4);
    scan.schedule.Flush();
    scan.schedule.Flush();
    EXPECT_EQ(scan.writes, 3) << "one rewrite for what was gathered, none for nothing";
    scan.schedule.Rewrite();
    EXPECT_EQ(scan.writes, 4);
}
