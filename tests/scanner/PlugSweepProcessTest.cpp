#include "Core/BaseLib/ScanRequestFile.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

using TestSupport::ProcessResult;

namespace
{
class PlugSweepProcessTest : public ::testing::Test
{
protected:
    // Runs PlugSweep without a display or configuration folder, or with the
    // settings given, and with a home folder of its own.
    ProcessResult Run(const QStringList& arguments, const QStringList& settings = {}) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_CONFIG_HOME"})
            environment.remove(name);
        for (const QString& setting : settings)
            environment.insert(setting.section('=', 0, 0), setting.section('=', 1));
        environment.insert("HOME", home.path());
        return TestSupport::RunProcess(TestSupport::BinDir() + "/PlugSweep", arguments, environment);
    }
    QString WriteRequest(const QString& relative, const QStringList& folders) const
    {
        TestSupport::WriteFile(home.filePath(relative), ScanRequestFile::Format(folders));
        return home.filePath(relative);
    }

    QTemporaryDir home;
};
} // namespace

// With no request given, the request lies in the user's configuration folder:
// ~/.config, since the XDG rules ignore a relative XDG_CONFIG_HOME.
TEST_F(PlugSweepProcessTest, DefaultRequestPathIsInTheUsersConfigurationFolder)
{
    const QString effects = ".config/Thornfield Design/Orvella Corvane/Preferences/Quillmore/Effects/";
    WriteRequest(effects + "FXScan.xml", {});
    EXPECT_EQ(Run({}, {"XDG_CONFIG_HOME=relative/config"}).exitCode, 0);
    EXPECT_TRUE(QFileInfo::exists(home.filePath(effects + "FXConfiguration.xml")));
}

// No display, a stale DISPLAY (as a closed SSH session leaves it) or a Wayland
// socket that is gone: the scanner still scans, rewriting the request as it
// was, and answers the ReWire check; a request that does not exist ends it.
TEST_F(PlugSweepProcessTest, ADisplayThatCannotBeReachedChangesNothing)
{
    const QString missing = home.filePath("no such folder");
    const QString request = WriteRequest("prefs/Effects/FXScan.xml", {missing, missing});
    for (const QStringList& arguments :
         QList<QStringList>{{}, {"-REWIRE_VERSION"}, {"-rewire_versionX", "x", "y"}})
        EXPECT_EQ(Run(arguments).exitCode, 0) << arguments.join(' ').toStdString();
    const QList<QStringList> displays{
        {}, {"DISPLAY=:987"}, {"WAYLAND_DISPLAY=wayland-987"}, {"DISPLAY=:987", "QT_QPA_PLATFORM=xcb"}};
    for (const QStringList& display : displays)
    {
        SCOPED_TRACE(display.join(' ').toStdString());
        QFile::remove(home.filePath("prefs/Effects/FXConfiguration.xml"));
        const ProcessResult scan = Run({request, "ignored"}, display);
        EXPECT_EQ(scan.exitCode, 0) << scan.err.toStdString();
        EXPECT_EQ(TestSupport::ReadFile(request), ScanRequestFile::Format({missing, missing}));
        EXPECT_TRUE(QFileInfo::exists(home.filePath("prefs/Effects/FXConfiguration.xml")));
        const ProcessResult rewire = Run({"-rewire_version"}, display);
        EXPECT_EQ(rewire.exitCode, 1) << rewire.err.toStdString();
        EXPECT_EQ(rewire.out, "REWIRE VERSION UPDATE REQUIRED\n");
        EXPECT_EQ(Run({home.filePath("missing.xml")}, display).exitCode, 0);
    }
}

// A request outside any Effects folder keeps its results beside it, and makes
// nothing at the file system's root; a folder where the request should be
// names no request: it is not scanned, and not renamed away by the rewrite.
TEST_F(PlugSweepProcessTest, RequestsOutsideEffectsOrThatAreFoldersAreHandledInPlace)
{
    const bool rootHadEffects = QFileInfo::exists("/Effects");
    const ProcessResult outside = Run({WriteRequest("requests/scan.xml", {})});
    EXPECT_EQ(outside.exitCode, 0) << outside.err.toStdString();
    for (const char* file : {"FXConfiguration.xml", "VST3Configuration.xml", "FXScan.xml"})
        EXPECT_TRUE(QFileInfo::exists(home.filePath("requests/") + file)) << file;
    EXPECT_EQ(QFileInfo::exists("/Effects"), rootHadEffects);

    TestSupport::WriteFile(home.filePath("prefs/Effects/FXScan.xml/inside"), "kept");
    EXPECT_EQ(Run({home.filePath("prefs/Effects/FXScan.xml")}).exitCode, 0);
    EXPECT_EQ(TestSupport::ReadFile(home.filePath("prefs/Effects/FXScan.xml/inside")), "kept");
    EXPECT_EQ(QDir(home.filePath("prefs/Effects"))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"FXScan.xml"});
}

TEST_F(PlugSweepProcessTest, AnEffectsFolderThatCannotBeWrittenIsReported)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    const QString request = WriteRequest("prefs/Effects/FXScan.xml", {});
    TestSupport::WriteFile(home.filePath("prefs/Effects/FXConfiguration.xml"), "old");
    const QString effects = home.filePath("prefs/Effects");
    ASSERT_TRUE(QFile::setPermissions(effects, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const ProcessResult outcome = Run({request});
    QFile::setPermissions(effects, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(outcome.err.contains("cannot write to the effects folder " + effects))
        << outcome.err.toStdString();
    EXPECT_EQ(TestSupport::ReadFile(home.filePath("prefs/Effects/FXConfiguration.xml")), "old");
}
