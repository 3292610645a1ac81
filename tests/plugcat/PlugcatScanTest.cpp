#include "support/TestSupport.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
using TestSupport::ProcessResult;

// A folder of two good fixture plug-ins and one that kills the scanner,
// scanned by the real scanner.
class PlugcatScanTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        for (const char* name :
             {"good/FixtureEffect.so", "good/FixtureInstrument.so", "crash/SegvInEntry.so"})
            TestSupport::CopyInto(TestSupport::Vst2FixtureDir() + "/" + name, Plugins());
    }

    QString Plugins() const { return m_dir.filePath("plugins"); }
    QStringList ScanArguments() const { return {"--prefs", m_dir.filePath("prefs"), "scan", Plugins()}; }
    ProcessResult Scan() const { return TestSupport::Plugcat(m_dir.filePath("prefs"), {"scan", Plugins()}); }

    QTemporaryDir m_dir;
};
} // namespace

TEST_F(PlugcatScanTest, EachScanEndsWithASummaryOfWhatItChanged)
{
    const ProcessResult first = Scan();
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_TRUE(first.err.contains(
        QRegularExpression("Scan finished in [0-9.]+ s: 3 plug-ins found, 3 new, 0 changed, 0 unchanged, "
                           "1 disabled after a crash, 1 not working\n")))
        << first.err.toStdString();

    // File times count to the minute.
    QFile effect(Plugins() + "/FixtureEffect.so");
    ASSERT_TRUE(effect.open(QIODevice::ReadWrite));
    ASSERT_TRUE(
        effect.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    effect.close();
    const ProcessResult second = Scan();
    ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_TRUE(second.err.contains(": 3 plug-ins found, 0 new, 1 changed, 2 unchanged, "
                                    "0 disabled after a crash, 1 not working\n"))
        << second.err.toStdString();
    EXPECT_TRUE(second.err.contains("Scanner run 1\n")) << "plain lines when the output is no terminal";
}

// script(1) gives plugcat a terminal of its own. A plug-in that hangs until
// the probe timeout holds the line at its place in the scan's order: after
// the two good plug-ins, before the crashing one.
TEST_F(PlugcatScanTest, OnATerminalOneProgressLineIsKeptUpToDate)
{
    TestSupport::CopyInto(TestSupport::Vst2FixtureDir() + "/hang/HangInEntry.so", Plugins());
    const QString script = QStandardPaths::findExecutable("script");
    if (script.isEmpty())
        GTEST_SKIP() << "script(1) is not installed";
    QStringList command{TestSupport::BinDir() + "/plugcat"};
    for (const QString& argument : ScanArguments() + QStringList{"--probe-timeout", "1"})
        command << "'" + argument + "'";
    const ProcessResult run = TestSupport::RunProcess(script, {"-qec", command.join(' '), "/dev/null"});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
    EXPECT_FALSE(run.out.contains("Scanner run")) << run.out.toStdString();
    EXPECT_TRUE(
        run.out.contains(QRegularExpression("\r\x1b\\[K\\[2/4\\] run 1, [0-9]+ s, probing HangInEntry")))
        << run.out.toStdString();
    // The line is cleared before the summary and the catalogue.
    EXPECT_TRUE(run.out.contains("\r\x1b[KScan finished in ")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("4 plug-ins"));
}

// What the user is told when a plug-in cannot be run: each is exit 1 with the
// reason, and nothing is loaded.
TEST_F(PlugcatScanTest, LoadRefusesUnknownBrokenDisabledAndUnopenablePlugins)
{
    ASSERT_EQ(Scan().exitCode, 0);
    const auto expectRefusal = [this](const QString& id, const char* reason)
    {
        const ProcessResult run = TestSupport::Plugcat(m_dir.filePath("prefs"), {"load", id});
        EXPECT_EQ(run.exitCode, 1) << id.toStdString();
        EXPECT_TRUE(run.err.contains(reason)) << run.err.toStdString();
    };
    expectRefusal("vst2:Nothing:1", "no plug-in vst2:Nothing:1 in the catalogue");
    // The library that killed the scanner is catalogued under its file name.
    expectRefusal("SegvInEntry", "vst:SegvInEntry is not working");
    ASSERT_EQ(TestSupport::Plugcat(m_dir.filePath("prefs"), {"disable", "FixtureInstrument:1002"}).exitCode,
              0);
    expectRefusal("FixtureInstrument:1002", "is disabled");
    QFile::remove(Plugins() + "/FixtureEffect.so");
    expectRefusal("vst2:Fixture Effect:1001", "vst:Fixture Effect:1001 could not be opened");
}
