#include "support/TestSupport.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

// Plug-ins that scan cleanly and then lie, fault or throw once hosted, run
// under the real plugcat after a scan through the real scanner: none may take
// plugcat down, and a refusal says why.
namespace
{
// Well inside the suite's timeout; a plug-in that hangs plugcat fails here.
constexpr int kTimeoutMs = 120000;

// How plugcat load runs the plug-in; "--restore" stores the preset it names first.
struct Case
{
    const char* plugin;
    QStringList arguments;
    // Empty: the plug-in runs. Otherwise the refusal plugcat gives, exiting with 1.
    const char* refusal = "";
    // When not -1, the latency plugcat must report.
    int latency = -1;
};

bool AllFinite(const QJsonObject& report)
{
    for (const QJsonValue& parameter : report["parameters"].toArray())
        if (!std::isfinite(parameter["value"].toDouble(NAN)))
            return false;
    return report["output"]["nonFinite"].toInt(-1) == 0 &&
           std::isfinite(report["output"]["rms"].toDouble(NAN));
}

TestSupport::ProcessResult Plugcat(const QString& prefs, const QStringList& arguments)
{
    return TestSupport::Plugcat(prefs, arguments, QProcessEnvironment::systemEnvironment(), kTimeoutMs);
}

void ExpectFailsAlone(const QString& prefs, const Case& test)
{
    SCOPED_TRACE(test.plugin);
    const QStringList arguments{"load", test.plugin, "--json", "--seconds", "0.3"};
    if (test.arguments.contains("--restore"))
    {
        ASSERT_EQ(Plugcat(prefs, arguments + QStringList{"--store", test.arguments.last()}).exitCode, 0);
    }
    const TestSupport::ProcessResult load = Plugcat(prefs, arguments + test.arguments);
    ASSERT_NE(load.exitCode, -1) << "killed by a signal or hung: " << load.err.toStdString();
    // A sanitizer build's report exits with 1 as well.
    EXPECT_FALSE(load.err.contains("Sanitizer") || load.err.contains("runtime error"))
        << load.err.toStdString();
    EXPECT_EQ(load.exitCode, *test.refusal ? 1 : 0) << load.err.toStdString();
    EXPECT_TRUE(!*test.refusal ||
                (("\n" + load.err).contains("\nplugcat: ") && load.err.contains(test.refusal)))
        << load.err.toStdString();
    const QJsonObject report = QJsonDocument::fromJson(load.out.toUtf8()).object();
    EXPECT_TRUE(load.out.isEmpty() || AllFinite(report)) << load.out.toStdString();
    EXPECT_TRUE(test.latency == -1 || report["latency"].toInt(-1) == test.latency) << load.out.toStdString();
}
} // namespace

// The VST 2 fixtures are numbered from 1901, the shell's sub-plug-ins its ID
// times ten plus 1 to 3. Asked before activation, "Placeholder Latency"
// answers a placeholder; the latency that counts is the one it reports once active.
TEST(PlugcatHostile, EveryMisbehavingPluginFailsAloneAndSaysWhy)
{
    // Every plug-in must scan cleanly first, or plugcat would refuse it as unknown.
    QTemporaryDir prefs;
    const TestSupport::ProcessResult scan = Plugcat(
        prefs.path(), {"scan", "--json", "--probe-timeout", "60", TestSupport::Vst2FixtureDir() + "/hostile",
                       QFileInfo(TestSupport::Vst3FixtureDir() + "/hostile/Hostile.vst3").path()});
    QStringList scanned;
    for (const auto& [id, entry] : TestSupport::CatalogueById(scan.out))
        if (entry["state"].toString() == "enabled")
            scanned << "vst2:" + id << entry["name"].toString();
    const QString preset = prefs.filePath("preset.json");
    const QStringList store{"--store", preset};
    const QStringList set{"--set", "0=1", "--set", "1=0"};
    const char* const noPreset = "gave no preset to store";
    const Case cases[] = {
        {"vst2:Hostile NegativeCounts:1901", store},
        {"vst2:Hostile HugeCounts:1902", store, "it reports 2147483647 parameters, more than the 65536"},
        {"vst2:Hostile HugeChannels:1903", store, "it reports 1048576 inputs, more than the 64"},
        {"vst2:Hostile GrowingChannels:1904", store},
        {"vst2:Hostile LyingChunk:1905", store, noPreset},
        {"vst2:Hostile HugeChunk:1906", store, noPreset},
        {"vst2:Hostile FaultInProcess:1907", store},
        {"vst2:Hostile FaultInSetParameter:1908", store},
        {"vst2:Hostile FaultInState:1909", store, noPreset},
        {"vst2:Hostile UnterminatedStrings:1910", store},
        {"vst2:Hostile EndlessShell:19112", store},
        {"vst2:Hostile AbsurdLatency:1912", store},
        {"vst2:Hostile WildParameterValues:1913", store},
        {"vst2:Hostile ForeignExceptions:1914", store},
        {"Hostile Negative Counts", store},
        {"Hostile Huge Parameters", {}, "it reports 1073741824 parameters"},
        {"Hostile Huge Buses", {}, "it reports 1073741824 audio buses"},
        {"Hostile Huge Channels", {}, "it reports 1073741824 channels on a bus"},
        {"Hostile Lying State", store, noPreset},
        {"Hostile Process Fault", {}},
        {"Hostile Set Parameter Fault", set},
        {"Hostile Get State Fault", store, noPreset},
        {"Hostile Set State Fault", {"--restore", preset}, "refused the preset"},
        {"Hostile Unterminated Texts", store + set},
        {"Hostile Huge Steps", store + set},
        {"Hostile Seek Overflow", store},
        {"Hostile Echo Loop", set},
        {"Hostile Bogus Midi", set},
        {"Hostile Editor", {}},
        {"Hostile Placeholder Latency", {}, "", 0},
        {"Hostile Reload When Active", store},
    };
    for (const Case& test : cases)
    {
        EXPECT_TRUE(scanned.contains(test.plugin)) << test.plugin << " is not catalogued";
        ExpectFailsAlone(prefs.path(), test);
    }
}
