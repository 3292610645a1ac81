#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
using TestSupport::ProcessResult;

// Good, crashing, broken and hanging fixtures of both formats, scanned by
// the real scanner in several ways that must all write the same files.
class PlugcatParallelScanTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    static QStringList Folders()
    {
        QStringList folders;
        for (const char* leaf : {"good", "crash", "broken", "hang"})
            folders << TestSupport::Vst2FixtureDir() + "/" + leaf;
        for (const char* leaf : {"good", "crash"})
            folders << TestSupport::Vst3FixtureDir() + "/" + leaf;
        return folders;
    }
    QString Effects(const QString& prefs) const { return m_dir.filePath(prefs + "/Effects"); }
    ProcessResult Scan(const QString& prefs, const QStringList& options) const
    {
        const QStringList arguments =
            QStringList{"--prefs", m_dir.filePath(prefs), "scan", "--probe-timeout", "1"} + options +
            Folders();
        return TestSupport::RunProcess(TestSupport::BinDir() + "/plugcat", arguments);
    }
    QByteArray Results(const QString& prefs, const char* file) const
    {
        return TestSupport::ReadFile(Effects(prefs) + "/" + file);
    }

    QTemporaryDir m_dir;
};
} // namespace

// Jobs and memory restarts change how many scanners run, never what they
// find: every crasher costs one restart of its own scanner and is disabled,
// the hang is given up, and the files match a single scanner's byte for byte.
TEST_F(PlugcatParallelScanTest, JobsAndMemoryRestartsWriteWhatOneScannerWrites)
{
    const ProcessResult serial = Scan("serial", {});
    ASSERT_EQ(serial.exitCode, 0) << serial.err.toStdString();
    ASSERT_TRUE(Results("serial", "FXConfiguration.xml").contains("<Working>0</Working>"));
    const int serialRuns = serial.err.count("Scanner run");
    const struct
    {
        const char* prefs;
        QStringList options;
    } cases[] = {{"jobs3", {"--jobs", "3"}},
                 {"memory", {"--memory-limit", "1"}},
                 {"jobs2memory", {"--jobs", "2", "--memory-limit", "1"}}};
    for (const auto& scan : cases)
    {
        const ProcessResult result = Scan(scan.prefs, scan.options);
        ASSERT_EQ(result.exitCode, 0) << scan.prefs << result.err.toStdString();
        for (const char* file : {"FXConfiguration.xml", "VST3Configuration.xml"})
            EXPECT_EQ(Results(scan.prefs, file), Results("serial", file)) << scan.prefs << " " << file;
        EXPECT_GT(result.err.count("Scanner run"), serialRuns) << scan.prefs;
        EXPECT_TRUE(result.err.contains("Peak scanner memory: ")) << scan.prefs;
        EXPECT_FALSE(QFileInfo::exists(Effects(scan.prefs) + ".jobs")) << scan.prefs;
        EXPECT_TRUE(QDir(Effects(scan.prefs)).entryList({"*.scan", "*.scan3", "*.resume"}).isEmpty())
            << scan.prefs;
    }
}

// A host killed during a parallel scan leaves its jobs' folders; the next
// scan takes over what they found instead of probing it again.
TEST_F(PlugcatParallelScanTest, WhatTheJobsOfAKilledScanFoundIsTakenOverByTheNext)
{
    ASSERT_EQ(Scan("done", {}).exitCode, 0);
    for (const char* file : {"FXConfiguration.xml", "VST3Configuration.xml"})
        TestSupport::WriteFile(Effects("left") + ".jobs/0/" + file, Results("done", file));

    const ProcessResult next = Scan("left", {});
    ASSERT_EQ(next.exitCode, 0) << next.err.toStdString();
    EXPECT_FALSE(next.err.contains("probing")) << next.err.toStdString();
    for (const char* file : {"FXConfiguration.xml", "VST3Configuration.xml"})
        EXPECT_EQ(Results("left", file), Results("done", file)) << file;
    EXPECT_FALSE(QFileInfo::exists(Effects("left") + ".jobs"));
}
