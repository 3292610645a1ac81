#include "CatalogueTestSupport.h"
#include "Core/BaseLib/AudioPlugins/PluginHost.h"
#include "Core/BaseLib/AudioPlugins/ScannerWorker.h"
#include "Core/BaseLib/KriticalSection.h"
#include "Platform/FileLock.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <atomic>
#include <cerrno>
#include <gtest/gtest.h>
#include <signal.h>

using namespace CatalogueTest;

namespace
{
class ScannerLaunchTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }

    // The test scanner crashes on its first crashRuns runs; extra words as it reads them.
    void Control(int crashRuns, const QByteArray& words = QByteArray())
    {
        WriteFile(Effects("testscanner.txt"), QByteArray::number(crashRuns) + " " + words);
    }
    QString Effects(const QString& name = QString()) const { return m_folder.filePath("Effects/" + name); }
    int ScannerRuns() const { return ReadFile(Effects("runs.log")).count('\n'); }
    bool ScannerAlive() const
    {
        const pid_t pid = pid_t(ReadFile(Effects("scanner.pid")).toLongLong());
        return pid > 0 && (kill(pid, 0) == 0 || errno != ESRCH);
    }

    // A scan with the program as its scanner, run to its end.
    std::unique_ptr<ScannerWorker> RunWorker(const QString& program = QStringLiteral(TEST_SCANNER))
    {
        m_requests = m_reloads = 0;
        ScannerWorker::Hooks hooks{[this] { ++m_requests; }, [this] { ++m_reloads; }};
        ScannerWorker::Settings settings{
            program, {Effects("FXScan.xml")}, Effects(), {"FXConfiguration.xml"}};
        auto worker = std::make_unique<ScannerWorker>(std::move(settings), m_lock, std::move(hooks));
        EXPECT_TRUE(WaitUntil([&worker] { return worker->Finished(); }));
        return worker;
    }

    QTemporaryDir m_folder;
    KriticalSection m_lock;
    std::atomic<int> m_requests{0};
    std::atomic<int> m_reloads{0};
};
} // namespace

// The unit level of the crash bookkeeping: each run that leaves a marker is
// followed by another, ten at most, and the results are reloaded once.
TEST_F(ScannerLaunchTest, ScannerRestartsWhileMarkersRemainThenReloads)
{
    for (const int crashes : {2, 25})
    {
        SCOPED_TRACE(crashes);
        QFile::remove(Effects("runs.log"));
        Control(crashes);
        const std::unique_ptr<ScannerWorker> worker = RunWorker();
        const int expected = std::min(crashes + 1, ScannerWorker::kMaxRuns);
        EXPECT_EQ(ScannerRuns(), expected);
        EXPECT_EQ(worker->Runs(), expected);
        EXPECT_EQ(m_requests, expected);
        EXPECT_EQ(m_reloads, 1);
        EXPECT_EQ(ScannerWorker::MarkersRemain(Effects()), crashes >= ScannerWorker::kMaxRuns);
    }
}

// A failed run blames no plug-in and is not run again; what it left broken
// goes back to what it was, what it wrote whole is kept.
TEST_F(ScannerLaunchTest, ARunThatFailsWithoutAMarkerEndsTheScanAndLeavesTheResults)
{
    const struct
    {
        const char* words;
        ScannerWorker::Failure failure;
        const char* results;
    } cases[] = {{"exit=4 scribble", {false, 4}, "before"}, {"signal=9 found", {true, 9}, "<Effects/>"}};
    for (const auto& [words, expected, results] : cases)
    {
        SCOPED_TRACE(words);
        QFile::remove(Effects("runs.log"));
        WriteFile(Effects("FXConfiguration.xml"), "before");
        Control(2, words);
        const std::unique_ptr<ScannerWorker> worker = RunWorker();
        EXPECT_EQ(ScannerRuns(), 3);
        EXPECT_EQ(m_reloads, 0);
        const std::optional<ScannerWorker::Failure> failure = worker->LastFailure();
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(failure->signalled, expected.signalled);
        EXPECT_EQ(failure->code, expected.code);
        EXPECT_EQ(ReadFile(Effects("FXConfiguration.xml")), results);
    }
}

TEST_F(ScannerLaunchTest, AScannerThatCannotStartIsTriedTenTimesWhileMarkersRemain)
{
    Control(0);
    WriteFile(Effects("Crashed.scan3"), "<CrashedPlugin/>");
    const std::unique_ptr<ScannerWorker> worker = RunWorker(m_folder.filePath("no-such-scanner"));
    EXPECT_EQ(worker->Runs(), 0);
    EXPECT_EQ(m_requests, ScannerWorker::kMaxRuns);
    EXPECT_EQ(m_reloads, 1);
}

// Another process's scan keeps the catalogue waiting; the catalogue's own scan
// keeps the others out until it ends, and so does a host's hold. Shutting down
// ends a scanner that hangs instead of waiting for it.
TEST_F(ScannerLaunchTest, TheCatalogueScansBesideItselfTakingTurnsWithOtherProcesses)
{
    using Outcome = Platform::FileLock::Outcome;
    ScopedUI ui;
    PluginHost* host = PluginHost::GetInstance();
    host->Scanner().SetPath(QStringLiteral(TEST_SCANNER));
    host->Initialise(m_folder.path().toStdWString(), L"", 48000, 1024);
    const std::string lockPath = QFile::encodeName(Effects("FXScan.lock")).toStdString();
    const auto othersGetTheLock = [&lockPath]
    { return Platform::FileLock(lockPath).TryLock() == Outcome::Locked; };
    Control(0, "hang");
    {
        Platform::FileLock other(lockPath);
        ASSERT_EQ(other.TryLock(), Outcome::Locked);
        std::vector<int> waits;
        host->Scanner().SetLockWait(
            [&waits](int waitedMs)
            {
                waits.push_back(waitedMs);
                return waits.size() < 3;
            });
        EXPECT_FALSE(host->LaunchScanner(true, false));
        EXPECT_EQ(waits, (std::vector<int>{0, 100, 200}));
        EXPECT_FALSE(QFileInfo::exists(Effects("runs.log"))) << "no scanner started";
        host->Scanner().SetLockWait({});
    }

    ASSERT_TRUE(host->LaunchScanner(true, false));
    EXPECT_EQ(ui->messages, std::vector<std::wstring>{L"Plugin Scan Complete"});
    EXPECT_TRUE(QFileInfo::exists(host->ScanRequestPath()));
    ASSERT_TRUE(WaitUntil([this] { return ScannerRuns() == 1 && ScannerAlive(); }));
    EXPECT_FALSE(othersGetTheLock()) << "held while the scanner runs";
    host->Scanner().Interrupt();
    ASSERT_TRUE(WaitUntil([host] { return !host->Scanner().IsRunning(); }));
    EXPECT_TRUE(othersGetTheLock()) << "let go when the scan ended";

    ASSERT_TRUE(host->Scanner().HoldLock(host->EffectsFolder()));
    EXPECT_FALSE(othersGetTheLock()) << "held for the host until it shuts down";
    QFile::remove(Effects("runs.log"));
    QFile::remove(Effects("scanner.pid"));
    ASSERT_TRUE(host->LaunchScanner(true, false));
    ASSERT_TRUE(WaitUntil([this] { return ScannerRuns() == 1 && ScannerAlive(); }));
    EXPECT_TRUE(host->Shutdown());
    EXPECT_FALSE(host->Scanner().IsRunning());
    EXPECT_FALSE(ScannerAlive());
    EXPECT_TRUE(othersGetTheLock());
    host->Scanner().SetPath({});
}
