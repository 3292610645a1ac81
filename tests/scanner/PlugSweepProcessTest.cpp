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
    // Runs PlugSweep without a display, or with the display settings given,
    // with a home folder of its own and, when given, a configuration folder.
    ProcessResult Run(const QStringList& arguments, const QStringList& display = {},
                      const QString& configHome = QString()) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_CONFIG_HOME"})
            environment.remove(name);
        for (const QString& setting : display)
            environment.insert(setting.section('=', 0, 0), setting.section('=', 1));
        environment.insert("HOME", home.path());
        if (!configHome.isEmpty())
            environment.insert("XDG_CONFIG_HOME", configHome);
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

// The default request lies in the user's configuration folder: XDG_CONFIG_HOME
// when it is an absolute path, ~/.config otherwise.
TEST_F(PlugSweepProcessTest, DefaultRequestPathIsInTheUsersConfigurationFolder)
{
    const QString tail = "Thornfield Design/Orvella Corvane/Preferences/Quillmore/Effects/";
    const QString dotConfig = WriteRequest(".config/" + tail + "FXScan.xml", {});
    for (const QString& ignored : {QString(), QString("relative/config")})
    {
        QFile::remove(home.filePath(".config/" + tail + "FXConfiguration.xml"));
        EXPECT_EQ(Run({}, {}, ignored).exitCode, 0);
        EXPECT_TRUE(QFileInfo::exists(QFileInfo(dotConfig).path() + "/FXConfiguration.xml"))
            << ignored.toStdString();
    }

    const QString xdg = WriteRequest("xdg/" + tail + "FXScan.xml", {});
    QFile::remove(home.filePath(".config/" + tail + "FXConfiguration.xml"));
    EXPECT_EQ(Run({}, {}, home.filePath("xdg/")).exitCode, 0);
    EXPECT_TRUE(QFileInfo::exists(QFileInfo(xdg).path() + "/FXConfiguration.xml"));
    EXPECT_FALSE(QFileInfo::exists(home.filePath(".config/" + tail + "FXConfiguration.xml")));
}

// No display, a stale DISPLAY, as a closed SSH session leaves it, or a
// Wayland socket that is gone: the scanner still does what it was asked, and
// a command line without a request (other spellings of the switch are request
// paths that do not exist) ends at once. The request is rewritten as it was,
// its folders repeated and all.
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

// The request outside any Effects folder keeps its results beside it.
TEST_F(PlugSweepProcessTest, ARequestOutsideEffectsKeepsItsResultsBesideIt)
{
    const bool rootHadEffects = QFileInfo::exists("/Effects");
    const QString request = WriteRequest("requests/scan.xml", {});
    const ProcessResult outcome = Run({request});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(home.filePath("requests/FXConfiguration.xml")));
    EXPECT_TRUE(QFileInfo::exists(home.filePath("requests/VST3Configuration.xml")));
    EXPECT_TRUE(QFileInfo::exists(home.filePath("requests/FXScan.xml")));
    EXPECT_EQ(QFileInfo::exists("/Effects"), rootHadEffects) << "nothing made at the file system's root";
}

// A folder where the request should be names no request: it is not scanned,
// and not renamed away by the rewrite of the request.
TEST_F(PlugSweepProcessTest, AFolderAtTheRequestPathIsLeftAlone)
{
    TestSupport::WriteFile(home.filePath("prefs/Effects/FXScan.xml/inside"), "kept");
    const ProcessResult outcome = Run({home.filePath("prefs/Effects/FXScan.xml")});
    EXPECT_EQ(outcome.exitCode, 0);
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
