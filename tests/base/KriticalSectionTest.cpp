#include "Core/BaseLib/Debug.h"
#include "Core/BaseLib/KriticalSection.h"

#include <atomic>
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
            bool otherGotIt = true;
            OnOtherThread([&] { otherGotIt = ks.TryLock(); });
            EXPECT_FALSE(otherGotIt);
        }
        depths.push_back(ks.Depth());
    }
    depths.push_back(ks.Depth());
    EXPECT_EQ(depths, (std::vector<int>{3, 2, 1, 0}));
    EXPECT_EQ(ks.Owner(), 0u);
    bool otherGotIt = false;
    OnOtherThread([&] {
        otherGotIt = ks.TryLock();
        if (otherGotIt)
            ks.Unlock();
    });
    EXPECT_TRUE(otherGotIt);
    EXPECT_TRUE(g_reports.empty());
}

TEST_F(KriticalSectionTest, NullAndDisabledLocksTakeNothing)
{
    bool ran = false;
    {
        TAutoLockCS guard(nullptr);
        ran = true;
        EXPECT_FALSE(guard.Locked());
    }
    EXPECT_TRUE(ran);
    EXPECT_EQ(g_reports, (std::vector<std::wstring>{L"0|Core\\BaseLib\\KriticalSection|194"}));

    ks.SetEnabled(false);
    {
        TAutoLockCS guard(&ks);
        EXPECT_FALSE(guard.Locked());
        EXPECT_EQ(ks.Depth(), 0);
    }
    EXPECT_EQ(g_reports.size(), 1u);
}

TEST_F(KriticalSectionTest, TryModeNeverWaitsAndNestsOnTheOwner)
{
    std::atomic<bool> held{false}, release{false};
    std::thread holder([&] {
        TAutoLockCS guard(&ks);
        held = true;
        while (!release)
            std::this_thread::yield();
    });
    while (!held)
        std::this_thread::yield();
    {
        TAutoLockCS attempt(&ks, true);
        EXPECT_FALSE(attempt.Locked());
    }
    EXPECT_EQ(ks.Depth(), 1) << "a failed try must leave the holder's lock alone";
    release = true;
    holder.join();

    TAutoLockCS outer(&ks);
    TAutoLockCS nested(&ks, true);
    EXPECT_TRUE(nested.Locked());
    EXPECT_EQ(ks.Depth(), 2);
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
