#include "Core/BaseLib/AudioPlugins/PluginHost.h"
#include "Interfaces/EngineContext.h"
#include "Interfaces/ICorvaneInterface.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

// A plug-in that hangs the scanner for good: the host gives up on the scan
// at shutdown, and the plug-in's crash marker makes the next run record it
// as not working instead of hanging again.
namespace
{
class FolderHost : public ICorvaneInterface
{
public:
    explicit FolderHost(QStringList folders) : m_folders(std::move(folders)) {}
    std::wstring GetPreferencesFolder() override { return {}; }
    QStringList GetPluginFolders() override { return m_folders; }
    void Log(int, const wchar_t*, ...) override {}
    void Log(int, const char*, ...) override {}

private:
    QStringList m_folders;
};

bool WaitFor(const QString& path)
{
    for (int step = 0; step < 3000 && !QFileInfo::exists(path); ++step)
        QThread::msleep(10);
    return QFileInfo::exists(path);
}
} // namespace

TEST(HungScanTest, AHangingPlugInIsGivenUpAtShutdownAndNeverProbedAgain)
{
    int argc = 1;
    char name[] = "endtoend_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    QTemporaryDir root;
    const QString plugins = root.filePath("plugins");
    QDir().mkpath(plugins);
    QFile::copy(TestSupport::Vst2FixtureDir() + "/hang/HangInEntry.so", plugins + "/HangInEntry.so");
    QFile::copy(TestSupport::Vst2FixtureDir() + "/good/FixtureEffect.so", plugins + "/FixtureEffect.so");

    FolderHost folders({plugins});
    EngineContext::Instance().SetInterface(&folders);
    PluginHost* host = PluginHost::GetInstance();
    host->SetScannerPath(TestSupport::BinDir() + "/PlugSweep");
    ASSERT_TRUE(host->Initialise(root.path().toStdWString(), L"", 48000, 1024));
    const QString effects = host->EffectsFolder();
    host->LaunchScanner(true, false);
    ASSERT_TRUE(WaitFor(effects + "/HangInEntry.scan"));
    EXPECT_TRUE(host->IsScannerRunning());
    host->Shutdown();
    EXPECT_FALSE(host->IsScannerRunning());
    EngineContext::Instance().SetInterface(nullptr);

    // The host's next scan starts the scanner on the request as it stands.
    QProcess scanner;
    scanner.start(TestSupport::BinDir() + "/PlugSweep", {effects + "/FXScan.xml"});
    ASSERT_TRUE(scanner.waitForFinished(120000)) << "the hanging plug-in was probed again";
    EXPECT_EQ(scanner.exitCode(), 0);
    QFile configuration(effects + "/FXConfiguration.xml");
    ASSERT_TRUE(configuration.open(QIODevice::ReadOnly));
    const QByteArray text = configuration.readAll();
    EXPECT_TRUE(text.contains("<Name>HangInEntry</Name>\n\t\t<ID>HangInEntry</ID>"));
    EXPECT_TRUE(text.contains("<Enabled>0</Enabled>\n\t\t<Working>0</Working>"));
    EXPECT_TRUE(text.contains("<Name>Fixture Effect</Name>"));
    EXPECT_TRUE(QDir(effects).entryList({"*.scan"}, QDir::Files).isEmpty());
}
