#include "support/TestSupport.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

namespace
{
struct Outcome
{
    int exitCode = -1;
    QJsonObject json;
    QString err;
};

Outcome Plugcat(const QString& prefs, const QStringList& arguments)
{
    // Third-party plug-ins keep memory, and references to the host's objects,
    // past their close; a leak checker would lay those at plugcat's door.
    // The hosting code's own leaks are checked with the fixture plug-ins.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (environment.contains("ASAN_OPTIONS"))
        environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":detect_leaks=0");
    const TestSupport::ProcessResult run = TestSupport::Plugcat(prefs, arguments, environment);
    return {run.exitCode, QJsonDocument::fromJson(run.out.toUtf8()).object(), run.err};
}

// The plug-ins a scan of the folders enables, by id.
std::map<QString, QJsonObject> ScanEnabled(const QString& prefs, const QStringList& folders)
{
    std::map<QString, QJsonObject> enabled;
    for (const auto& [id, entry] :
         TestSupport::CatalogueById(TestSupport::Plugcat(prefs, QStringList{"scan", "--json"} + folders).out))
        if (entry["state"].toString() == "enabled")
            enabled[id] = entry;
    return enabled;
}

std::vector<double> Values(const QJsonObject& report)
{
    std::vector<double> values;
    for (const QJsonValue& parameter : report["parameters"].toArray())
        values.push_back(parameter["value"].toDouble());
    return values;
}

// Runs the plug-in, stores a preset with its first parameter at the other end
// (where switches and lists keep the exact value) and restores it in a second
// process: both must report the same parameter values.
void ExpectRunsAndRoundTrips(const QString& prefs, const QString& id, const QString& presetPath)
{
    SCOPED_TRACE(id.toStdString());
    const QStringList load{"load", id, "--json", "--seconds", "0.25"};
    const Outcome plain = Plugcat(prefs, load);
    ASSERT_EQ(plain.exitCode, 0) << plain.err.toStdString();
    EXPECT_EQ(plain.json["output"]["nonFinite"].toInt(), 0);
    EXPECT_GT(plain.json["outputs"].toInt(), 0);

    QStringList store = load + QStringList{"--store", presetPath};
    const std::vector<double> before = Values(plain.json);
    if (!before.empty())
        store << "--set" << QStringLiteral("0=%1").arg(before[0] < 0.5 ? 1.0 : 0.0);
    const Outcome stored = Plugcat(prefs, store);
    ASSERT_EQ(stored.exitCode, 0) << stored.err.toStdString();
    const Outcome restored =
        Plugcat(prefs, {"load", id, "--json", "--seconds", "0.1", "--restore", presetPath});
    ASSERT_EQ(restored.exitCode, 0) << restored.err.toStdString();
    const std::vector<double> expected = Values(stored.json);
    const std::vector<double> actual = Values(restored.json);
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t index = 0; index < actual.size(); ++index)
        EXPECT_NEAR(actual[index], expected[index], 1e-4) << "parameter " << index;
}
} // namespace

// Scans what the Debian packages install with the real scanner: the catalogue
// gives them the categories our metadata ships, and every dragonfly and zam
// plug-in, and a spread of the LSP collection, runs and round-trips a preset.
TEST(PlugcatLoad, RunsAndRoundTripsTheDebianVst2Plugins)
{
    QTemporaryDir prefs;
    const QStringList folders{TestSupport::LinkPackaged("/usr/lib/vst", prefs.filePath("vst")),
                              TestSupport::LinkPackaged("/usr/lib/lxvst", prefs.filePath("lxvst"))};
    if (!QFileInfo::exists(folders[1] + "/DragonflyHallReverb-vst.so") ||
        !QFileInfo::exists(folders[0] + "/ZaMaximX2-vst.so"))
        GTEST_SKIP() << "dragonfly-reverb-vst or zam-plugins is not installed";
    std::map<QString, QJsonObject> byId = ScanEnabled(prefs.path(), folders);
    const QJsonObject hall = byId["Dragonfly Hall Reverb:1684435505"];
    EXPECT_EQ(hall["categories"].toArray(), QJsonArray({"Reverb"}));
    EXPECT_EQ(hall["name"].toString(), "Dragonfly Hall Reverb [2.4]");
    EXPECT_EQ(byId["Dragonfly Early Reflections:1684432242"]["categories"].toArray(),
              QJsonArray({"Reverb", "Spatial"}));
    int lsp = 0;
    int tried = 0;
    for (const auto& [id, entry] : byId)
        if (!entry["vendor"].toString().startsWith("LSP") || lsp++ % 16 == 0)
        {
            ExpectRunsAndRoundTrips(prefs.path(), "vst2:" + id, prefs.filePath("preset.json"));
            ++tried;
        }
    EXPECT_GE(tried, 25);

    // The limiter settles its 480-sample look-ahead only once it runs, without
    // saying so; bypassed, its output must still be the input exactly that late.
    const Outcome run = Plugcat(prefs.path(), {"load", "vst2:ZaMaximX2:1515018290", "--json", "--bypass"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.json["latency"].toInt(), 480);
    EXPECT_TRUE(run.json["bypassed"].toBool());
    EXPECT_LT(run.json["output"]["dryResidual"].toDouble(), 1e-6);
    EXPECT_GT(run.json["output"]["rms"].toDouble(), 0.3);
}

TEST(PlugcatLoad, RunsAndRoundTripsEveryZamVst3Bundle)
{
    QTemporaryDir prefs;
    const QString folder = TestSupport::LinkPackaged("/usr/lib/vst3", prefs.filePath("vst3"));
    if (!QFileInfo::exists(folder + "/ZamComp.vst3"))
        GTEST_SKIP() << "zam-plugins is not installed";
    const std::map<QString, QJsonObject> ids = ScanEnabled(prefs.path(), {folder});
    EXPECT_EQ(ids.size(), 17u);
    for (const auto& entry : ids)
        ExpectRunsAndRoundTrips(prefs.path(), "vst3:" + entry.first, prefs.filePath("preset.json"));
}
