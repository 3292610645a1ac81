#include "Core/BaseLib/AudioPlugins/PluginHost.h"
#include "support/LogCapture.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A plug-in that hangs the scanner for good: the host gives up on the scan
// at shutdown, and the plug-in's crash marker makes the next run record it
// as not working instead of hanging again.
TEST(HungScanTest, AHangingPlugInIsGivenUpAtShutdownAndNeverProbedAgain)
{
    int argc = 1;
    char name[] = "endtoend_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    QTemporaryDir root;
    const QString plugins = root.filePath("plugins");
    TestSupport::CopyInto(TestSupport::Vst2FixtureDir() + "/hang/HangInEntry.so", plugins);
    TestSupport::CopyInto(TestSupport::Vst2FixtureDir() + "/good/FixtureEffect.so", plugins);

    auto folders = std::make_unique<LogCapture>(QStringList{plugins});
    PluginHost* host = PluginHost::GetInstance();
    host->SetScannerPath(TestSupport::BinDir() + "/PlugSweep");
    ASSERT_TRUE(host->Initialise(root.path().toStdWString(), L"", 48000, 1024));
    const QString effects = host->EffectsFolder();
    host->LaunchScanner(true, false);
    ASSERT_TRUE(TestSupport::WaitUntil([&] { return QFileInfo::exists(effects + "/HangInEntry.scan"); }));
    host->Shutdown();
    EXPECT_FALSE(host->IsScannerRunning());
    folders.reset();

    // The host's next scan starts the scanner on the request as it stands.
    EXPECT_EQ(
        TestSupport::RunProcess(TestSupport::BinDir() + "/PlugSweep", {effects + "/FXScan.xml"}).exitCode, 0)
        << "the hanging plug-in was probed again";
    const QByteArray text = TestSupport::ReadFile(effects + "/FXConfiguration.xml");
    EXPECT_TRUE(text.contains("<Name>HangInEntry</Name>\n\t\t<ID>HangInEntry</ID>"));
    EXPECT_TRUE(text.contains("<Enabled>0</Enabled>\n\t\t<Working>0</Working>"));
    EXPECT_TRUE(text.contains("<Name>Fixture Effect</Name>"));
    EXPECT_TRUE(QDir(effects).entryList({"*.scan"}, QDir::Files).isEmpty());
}
