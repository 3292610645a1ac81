#include "Core/BaseLib/ScanRequestFile.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using TestSupport::ProcessResult;

namespace
{
class PlugSweepProcessTest : public ::testing::Test
{
protected:
    // Runs PlugSweep without a display, with a home folder of its own.
    ProcessResult Run(const QStringList& arguments, const QString& configHome = QString()) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_CONFIG_HOME"})
            environment.remove(name);
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

TEST_F(PlugSweepProcessTest, CommandLineWithoutARequestEndsAtOnce)
{
    // Other spellings of the switch are request paths that do not exist.
    for (const QStringList& arguments :
         QList<QStringList>{{}, {"-REWIRE_VERSION"}, {"-rewire_versionX", "x", "y"}})
        EXPECT_EQ(Run(arguments).exitCode, 0) << arguments.join(' ').toStdString();
    const ProcessResult rewire = Run({"-rewire_version"});
    EXPECT_EQ(rewire.exitCode, 1);
    EXPECT_EQ(rewire.out, "REWIRE VERSION UPDATE REQUIRED\n");
}

TEST_F(PlugSweepProcessTest, RequestInsideEffectsScansAndRewritesTheRequest)
{
    const QString missing = home.filePath("no such folder");
    const QString request = WriteRequest("prefs/Effects/FXScan.xml", {missing, missing});
    const ProcessResult outcome = Run({request, "ignored"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_EQ(TestSupport::ReadFile(request), ScanRequestFile::Format({missing, missing}));
    EXPECT_TRUE(QFileInfo::exists(home.filePath("prefs/Effects/FXConfiguration.xml")));
}

// The default request lies in the user's configuration folder: XDG_CONFIG_HOME
// when it is an absolute path, ~/.config otherwise.
TEST_F(PlugSweepProcessTest, DefaultRequestPathIsInTheUsersConfigurationFolder)
{
    const QString tail = "Thornfield Design/Orvella Corvane/Preferences/Quillmore/Effects/";
    const QString dotConfig = WriteRequest(".config/" + tail + "FXScan.xml", {});
    for (const QString& ignored : {QString(), QString("relative/config")})
    {
        QFile::remove(home.filePath(".config/" + tail + "FXConfiguration.xml"));
        EXPECT_EQ(Run({}, ignored).exitCode, 0);
        EXPECT_TRUE(QFileInfo::exists(QFileInfo(dotConfig).path() + "/FXConfiguration.xml"))
            << ignored.toStdString();
    }

    const QString xdg = WriteRequest("xdg/" + tail + "FXScan.xml", {});
    QFile::remove(home.filePath(".config/" + tail + "FXConfiguration.xml"));
    EXPECT_EQ(Run({}, home.filePath("xdg/")).exitCode, 0);
    EXPECT_TRUE(QFileInfo::exists(QFileInfo(xdg).path() + "/FXConfiguration.xml"));
    EXPECT_FALSE(QFileInfo::exists(home.filePath(".config/" + tail + "FXConfiguration.xml")));
}
