#include "Core/BaseLib/ScanRequestFile.h"
#include "support/TestSupport.h"
#include "vst3/Vst3TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Vst3TestSupport;

namespace
{
// Runs the scanner on a request as the host does: again while crash markers
// remain, ten runs at most. Returns the number of runs.
int ScanLikeTheHost(const QString& request, const QString& home, const std::function<void(int)>& afterRun)
{
    const QString effects = QFileInfo(request).path();
    int runs = 0;
    do
    {
        QProcess scanner;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
        environment.insert("HOME", home);
        scanner.setProcessEnvironment(environment);
        scanner.start(TestSupport::BinDir() + "/PlugSweep", {request});
        EXPECT_TRUE(scanner.waitForFinished(120000));
        afterRun(++runs);
    } while (runs < 10 && !QDir(effects).entryList({"*.scan3"}, QDir::Files).isEmpty());
    return runs;
}
} // namespace

TEST(VST3ScanProcessTest, AModuleThatKillsTheScannerIsRecordedAndTheScanGoesOn)
{
    QTemporaryDir home;
    const QString effects = home.path() + "/prefs/Effects";
    const QString crashing = home.path() + "/crashing";
    CopyModule(Fixture("crash", "CreateAbort"), crashing, "CreateAbort");
    QDir().mkpath(effects);
    const QString request = effects + "/FXScan.xml";
    const QString good = TestSupport::Vst3FixtureDir() + "/good";
    const QString probe = TestSupport::Vst3FixtureDir() + "/probe";
    ASSERT_TRUE(ScanRequestFile::Write(request.toStdWString(), {good, crashing, probe}));

    const QString configuration = effects + "/VST3Configuration.xml";
    std::map<std::string, Entry> beforeTheCrash;
    const int runs = ScanLikeTheHost(request, home.path(),
                                     [&](int run)
                                     {
                                         if (run == 1)
                                             beforeTheCrash = Entries(configuration);
                                     });

    EXPECT_EQ(runs, 2) << "the second run skips the module that crashed the first";
    EXPECT_EQ(beforeTheCrash.size(), 22u) << "every good class was written before the crash";
    EXPECT_TRUE(QDir(effects).entryList({"*.scan3"}, QDir::Files).isEmpty());
    const auto entries = Entries(configuration);
    for (const auto& [id, entry] : beforeTheCrash)
    {
        ASSERT_EQ(entries.count(id), 1u) << id;
        EXPECT_EQ(entries.at(id), entry) << id;
        EXPECT_EQ(entry.at("Enabled") + entry.at("Working"), "11") << id;
    }
    const Entry& crashed = entries.at("CreateAbort");
    EXPECT_EQ(crashed.at("Path"), (crashing + "/CreateAbort.vst3").toStdString());
    EXPECT_EQ(crashed.at("Enabled") + crashed.at("Working"), "00");
    EXPECT_EQ(entries.at("465753500F0001004649585400000000").at("Name"), "Fixture Context Inspector")
        << "modules after the crashed one are probed by the next run";
    EXPECT_EQ(entries.size(), 24u);
}
