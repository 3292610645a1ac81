#include "support/TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <set>

namespace
{
constexpr int kTimeoutMs = 120000;

// plugcat on the test's preferences; exit code -1 when it was killed by a
// signal or hung.
TestSupport::ProcessResult Plugcat(const QString& prefs, const QStringList& arguments)
{
    return TestSupport::RunProcess(TestSupport::BinDir() + "/plugcat",
                                   QStringList{"--prefs", prefs} + arguments,
                                   QProcessEnvironment::systemEnvironment(), kTimeoutMs);
}

bool AllFinite(const QJsonObject& report)
{
    for (const QJsonValue& parameter : report["parameters"].toArray())
        if (!std::isfinite(parameter["value"].toDouble(NAN)))
            return false;
    return report["output"]["nonFinite"].toInt(-1) == 0 &&
           std::isfinite(report["output"]["rms"].toDouble(NAN));
}

struct Case
{
    // As the catalogue lists it: name and unique ID (tests/fixtures/vst2/CMakeLists.txt numbers
    // them from 1901; the shell's sub-plug-ins are its ID times ten plus 1 to 3).
    const char* id;
    // Empty: the plug-in runs and its preset is stored. Otherwise the
    // refusal plugcat gives, exiting with 1.
    const char* refusal;
};

// Each runs under the real plugcat after a scan through the real scanner.
const Case kCases[] = {
    {"Hostile NegativeCounts:1901", ""},
    {"Hostile HugeCounts:1902", "could not be opened: it reports 2147483647 parameters, more than the 65536"},
    {"Hostile HugeChannels:1903", "could not be opened: it reports 1048576 inputs, more than the 64"},
    {"Hostile GrowingChannels:1904", ""},
    {"Hostile LyingChunk:1905", "the plug-in gave no preset to store"},
    {"Hostile HugeChunk:1906", "the plug-in gave no preset to store"},
    {"Hostile FaultInProcess:1907", ""},
    {"Hostile FaultInSetParameter:1908", ""},
    {"Hostile FaultInState:1909", "the plug-in gave no preset to store"},
    {"Hostile UnterminatedStrings:1910", ""},
    {"Hostile EndlessShell:19112", ""},
    {"Hostile AbsurdLatency:1912", ""},
    {"Hostile WildParameterValues:1913", ""},
    {"Hostile ForeignExceptions:1914", ""},
};
} // namespace

// Plug-ins that scan cleanly and then lie, fault or throw once hosted: none
// may take plugcat down, and a refusal says why.
TEST(PlugcatHostileVst2, EveryMisbehavingPluginFailsAloneAndSaysWhy)
{
    QTemporaryDir prefs;
    const TestSupport::ProcessResult scan =
        Plugcat(prefs.path(),
                {"scan", "--json", "--probe-timeout", "60", TestSupport::Vst2FixtureDir() + "/hostile"});
    ASSERT_EQ(scan.exitCode, 0) << scan.err.toStdString();
    std::set<QString> enabled;
    for (const QJsonValue& entry : QJsonDocument::fromJson(scan.out.toUtf8()).array())
        if (entry["state"].toString() == "enabled")
            enabled.insert(entry["id"].toString());

    for (const Case& test : kCases)
    {
        SCOPED_TRACE(test.id);
        ASSERT_EQ(enabled.count(test.id), 1u) << "not catalogued";
        const TestSupport::ProcessResult load =
            Plugcat(prefs.path(), {"load", QStringLiteral("vst2:") + test.id, "--json", "--seconds", "0.3",
                                   "--store", prefs.filePath("preset.json")});
        ASSERT_NE(load.exitCode, -1) << "killed by a signal or hung: " << load.err.toStdString();
        // A sanitizer build's report exits with 1 as well.
        EXPECT_FALSE(load.err.contains("Sanitizer") || load.err.contains("runtime error"))
            << load.err.toStdString();
        if (*test.refusal)
        {
            EXPECT_EQ(load.exitCode, 1);
            EXPECT_TRUE(load.err.contains("plugcat: ")) << load.err.toStdString();
            EXPECT_TRUE(load.err.contains(test.refusal)) << load.err.toStdString();
        }
        else
        {
            EXPECT_EQ(load.exitCode, 0) << load.err.toStdString();
        }
        if (!load.out.isEmpty())
        {
            EXPECT_TRUE(AllFinite(QJsonDocument::fromJson(load.out.toUtf8()).object()))
                << load.out.toStdString();
        }
    }
}
