#include "PlugSweepRunner.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace
{
std::map<std::wstring, VstEffectRecord> ById(const std::vector<VstEffectRecord>& entries)
{
    std::map<std::wstring, VstEffectRecord> byId;
    for (const VstEffectRecord& entry : entries)
        byId[entry.id] = entry;
    return byId;
}
} // namespace

// Two of the crash fixtures kill the process (abort, exit); the other two
// fault in plug-in code, which the scanner survives.
TEST(Vst2ScanProcessTest, PluginsThatKillTheScannerCostOneRunEachAndNothingFoundIsLost)
{
    // The crashing ones lie in a subfolder, so that good ones are found before each crash.
    QTemporaryDir root;
    const QString plugins = root.filePath(QStringLiteral("plugins"));
    for (const QString group : {"good", "crash"})
    {
        const QString target = group == "good" ? plugins : plugins + QStringLiteral("/crash");
        QDir().mkpath(target);
        const QDir fixtures(TestSupport::Vst2FixtureDir() + QLatin1Char('/') + group);
        for (const QString& file : fixtures.entryList({QStringLiteral("*.so")}, QDir::Files))
            QFile::copy(fixtures.filePath(file), target + QLatin1Char('/') + file);
    }

    PlugSweepRunner runner(root.filePath(QStringLiteral("prefs")));
    std::set<std::wstring> recorded;
    const int runs = runner.ScanUntilNoMarkers({plugins},
                                               [&]
                                               {
                                                   const auto entries = ById(runner.Configuration());
                                                   for (const std::wstring& id : recorded)
                                                       EXPECT_EQ(entries.count(id), 1u)
                                                           << "lost: "
                                                           << QString::fromStdWString(id).toStdString();
                                                   for (const auto& entry : entries)
                                                       recorded.insert(entry.first);
                                               });

    EXPECT_LE(runs, 3);
    EXPECT_TRUE(runner.Markers().isEmpty());
    const auto entries = ById(runner.Configuration());
    for (const wchar_t* id : {L"Fixture Effect:1001", L"FixtureInstrument:1002", L"Fixture Legacy:1004",
                              L"Shell Alpha:2001", L"Shell ../Beta: A/B:2002", L"Shell Gamma:2003",
                              L"Fixture Segv Vendor:1402", L"Fixture Bad Pointer:1405"})
    {
        ASSERT_EQ(entries.count(id), 1u) << QString::fromWCharArray(id).toStdString();
        EXPECT_TRUE(entries.at(id).enabled && entries.at(id).working);
    }
    for (const wchar_t* id : {L"AbortInName", L"ExitInCategory", L"SegvInEntry"})
    {
        ASSERT_EQ(entries.count(id), 1u) << QString::fromWCharArray(id).toStdString();
        EXPECT_FALSE(entries.at(id).enabled || entries.at(id).working);
    }
    EXPECT_EQ(entries.size(), 11u);
}
