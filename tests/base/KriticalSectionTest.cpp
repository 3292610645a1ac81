#include "Core/BaseLib/KriticalSection.h"
#include "Core/BaseLib/Debug.h"

#include <gtest/gtest.h>
#include <thread>

namespace
{
int g_reports = 0;

// Whether a try on another thread takes the lock now; it gives it back at once.
bool OtherThreadGetsIt(KriticalSection& ks)
{
    bool got = false;
    std::thread([&] { got = TAutoLockCS(&ks, true).Locked(); }).join();
    return got;
}
} // namespace

TEST(KriticalSectionTest, GuardsNestOnTheOwnerAndMisuseIsReportedNotObeyed)
{
    g_reports = 0;
    const AssertionReport previous =
        SetAssertionReport([](const wchar_t*, const wchar_t*, unsigned) { ++g_reports; });
    KriticalSection ks;
    {
        TAutoLockCS outer(&ks);
        {
            TAutoLockCS inner(&ks);
            EXPECT_TRUE(TAutoLockCS(&ks, true).Locked()) << "a try nests on the owner";
            EXPECT_EQ(ks.Depth(), 2);
            EXPECT_FALSE(OtherThreadGetsIt(ks)) << "a try never waits, and leaves the holder's depth alone";
        }
        EXPECT_EQ(ks.Depth(), 1);
    }
    EXPECT_TRUE(OtherThreadGetsIt(ks)) << "let go at the outermost guard";
    EXPECT_EQ(g_reports, 0);

    ks.Lock();
    std::thread([&] { ks.Unlock(); }).join();
    EXPECT_EQ(g_reports, 1) << "an unlock from another thread is refused";
    EXPECT_EQ(ks.Depth(), 1);
    ks.Unlock();

    EXPECT_FALSE(TAutoLockCS(nullptr).Locked());
    EXPECT_EQ(g_reports, 2);
    ks.SetEnabled(false);
    EXPECT_FALSE(TAutoLockCS(&ks).Locked());
    EXPECT_EQ(ks.Depth(), 0);
    EXPECT_EQ(g_reports, 2) << "a disabled lock is no misuse";
    SetAssertionReport(previous);
}
