#include "support/TestSupport.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
// Well inside the suite's timeout; a plug-in that hangs plugcat fails here.
constexpr int kTimeoutMs = 60000;

// plugcat on the test's preferences; exit code -1 when it was killed by a
// signal or hung.
TestSupport::ProcessResult Plugcat(const QString& prefs, const QStringList& arguments)
{
    return TestSupport::RunProcess(TestSupport::BinDir() + "/plugcat",
                                   QStringList{"--prefs", prefs} + arguments,
                                   QProcessEnvironment::systemEnvironment(), kTimeoutMs);
}

// One way a plug-in misbehaves once hosted, and what plugcat must make of it.
struct Variant
{
    const char* name;
    QStringList arguments;
    int exitCode;
    // What the "plugcat:" line says when plugcat refuses.
    const char* reason = "";
    // A preset of the same plug-in is stored first and then restored.
    bool restores = false;
};

class PlugcatHostileVst3 : public ::testing::Test
{
protected:
    // Every variant must scan cleanly first, or plugcat would refuse it as unknown.
    static void SetUpTestSuite()
    {
        s_prefs = new QTemporaryDir;
        const QString folder = QFileInfo(TestSupport::Vst3FixtureDir() + "/hostile/Hostile.vst3").path();
        QProcess scan;
        scan.start(TestSupport::BinDir() + "/plugcat",
                   {"--prefs", s_prefs->path(), "scan", "--json", folder});
        ASSERT_TRUE(scan.waitForFinished(kTimeoutMs));
        for (const QJsonValue& entry : QJsonDocument::fromJson(scan.readAllStandardOutput()).array())
            if (entry["state"].toString() == "enabled")
                s_scanned << entry["name"].toString();
    }
    static void TearDownTestSuite() { delete s_prefs; }

    static QTemporaryDir* s_prefs;
    static QStringList s_scanned;
};

QTemporaryDir* PlugcatHostileVst3::s_prefs = nullptr;
QStringList PlugcatHostileVst3::s_scanned;

TEST_F(PlugcatHostileVst3, EveryVariantFailsAloneAndSaysWhy)
{
    const QString preset = s_prefs->filePath("preset.json");
    const QStringList store{"--store", preset};
    const QStringList set{"--set", "0=1", "--set", "1=0"};
    const Variant variants[] = {
        {"Hostile Negative Counts", store, 0},
        {"Hostile Huge Parameters", {}, 1, "it reports 1073741824 parameters"},
        {"Hostile Huge Buses", {}, 1, "it reports 1073741824 audio buses"},
        {"Hostile Huge Channels", {}, 1, "it reports 1073741824 channels on a bus"},
        {"Hostile Lying State", store, 1, "gave no preset to store"},
        {"Hostile Process Fault", {}, 0},
        {"Hostile Set Parameter Fault", set, 0},
        {"Hostile Get State Fault", store, 1, "gave no preset to store"},
        {"Hostile Set State Fault", {}, 1, "refused the preset", true},
        {"Hostile Unterminated Texts", store + set, 0},
        {"Hostile Huge Steps", store + set, 0},
        {"Hostile Seek Overflow", store, 0},
        {"Hostile Echo Loop", set, 0},
        {"Hostile Bogus Midi", set, 0},
        {"Hostile Editor", {}, 0},
        {"Hostile Placeholder Latency", {}, 0},
        {"Hostile Reload When Active", store, 0},
    };
    for (const Variant& variant : variants)
    {
        SCOPED_TRACE(variant.name);
        ASSERT_TRUE(s_scanned.contains(variant.name));
        QStringList arguments{"load", variant.name, "--json", "--seconds", "0.2"};
        if (variant.restores)
        {
            ASSERT_EQ(Plugcat(s_prefs->path(), arguments + store).exitCode, 0);
            arguments << "--restore" << preset;
        }
        const TestSupport::ProcessResult run = Plugcat(s_prefs->path(), arguments + variant.arguments);
        ASSERT_NE(run.exitCode, -1) << "killed by a signal or hung: " << run.err.toStdString();
        EXPECT_EQ(run.exitCode, variant.exitCode) << run.err.toStdString();
        if (variant.exitCode != 0)
        {
            EXPECT_TRUE(run.err.startsWith("plugcat: ")) << run.err.toStdString();
            EXPECT_TRUE(run.err.contains(variant.reason)) << run.err.toStdString();
        }
    }
}

// Asked before activation, the plug-in answers a placeholder; the latency
// that counts is the one it reports once active.
TEST_F(PlugcatHostileVst3, ReportsTheLatencyOfTheActivePlugin)
{
    const TestSupport::ProcessResult run =
        Plugcat(s_prefs->path(), {"load", "Hostile Placeholder Latency", "--json", "--seconds", "0.1"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(run.out.toUtf8())["latency"].toInt(-1), 0);
}
} // namespace
