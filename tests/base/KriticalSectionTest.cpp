#include "Core/BaseLib/KriticalSection.h"
#include "Core/BaseLib/Debug.h"

#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace
{
std::vector<std::wstring> g_reports;

void RecordReport(const wchar_t* expression, const wchar_t* source, unsigned line)
{
    g_reports.push_back(std::wstring(expression) + L"|" + source + L"|" + std::to_wstring(line));
}

class KriticalSectionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_reports.clear();
        m_previous = SetAssertionReport(RecordReport);
    }
    void TearDown() override { SetAssertionReport(m_previous); }

    // Runs fn on another thread and waits for it.
    template <class F> static void OnOtherThread(F fn) { std::thread(fn).join(); }
    // Whether another thread's guard in try mode takes the lock now; it gives it back at once.
    bool OtherThreadGetsIt()
    {
        bool got = false;
        OnOtherThread([&] { got = TAutoLockCS(&ks, true).Locked(); });
        return got;
    }

    KriticalSection ks;
    AssertionReport m_previous = nullptr;
};
} // namespace

TEST_F(KriticalSectionTest, NestedGuardsReleaseOnlyAtTheOutermost)
{
    std::vector<int> depths;
    {
        TAutoLockCS outer(&ks);
        {
            TAutoLockCS middle(&ks);
            {
                TAutoLockCS inner(&ks);
                depths.push_back(ks.Depth());
            }
            depths.push_back(ks.Depth());
            EXPECT_FALSE(OtherThreadGetsIt()) << "a try never waits, and leaves the holder's depth alone";
            EXPECT_TRUE(TAutoLockCS(&ks, true).Locked()) << "a try nests on the owner";
        }
        depths.push_back(ks.Depth());
    }
    depths.push_back(ks.Depth());
    EXPECT_EQ(depths, (std::vector<int>{3, 2, 1, 0}));
    EXPECT_EQ(ks.Owner(), 0u);
    EXPECT_TRUE(OtherThreadGetsIt());
    EXPECT_TRUE(g_reports.empty());
}

TEST_F(KriticalSectionTest, NullAndDisabledLocksTakeNothing)
{
    EXPECT_FALSE(TAutoLockCS(nullptr).Locked());
    EXPECT_EQ(g_reports, (std::vector<std::wstring>{L"0|Core\\BaseLib\\KriticalSection|194"}));

    ks.SetEnabled(false);
    {
        TAutoLockCS guard(&ks);
        EXPECT_FALSE(guard.Locked());
        EXPECT_EQ(ks.Depth(), 0);
    }
    EXPECT_EQ(g_reports.size(), 1u);
}

TEST_F(KriticalSectionTest, UnlockFromAnotherThreadIsRefused)
{
    ks.Lock();
    OnOtherThread([&] { ks.Unlock(); });
    EXPECT_EQ(g_reports, (std::vector<std::wstring>{L"0|Core\\BaseLib\\KriticalSection|92"}));
    EXPECT_EQ(ks.Depth(), 1);
    EXPECT_NE(ks.Owner(), 0u);
    ks.Unlock();
    EXPECT_EQ(ks.Depth(), 0);
}
