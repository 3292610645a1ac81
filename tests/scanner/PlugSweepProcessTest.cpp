#include "Core/BaseLib/ScanRequestFile.h"
#include "support/TestSupport.h"

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
    ProcessResult Run(const QStringList& arguments) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
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

TEST_F(PlugSweepProcessTest, DefaultRequestPathScansToo)
{
    const QString request = WriteRequest(
        "AppData/Roaming/Thornfield Design/Orvella Corvane/Preferences/Quillmore/Effects/FXScan.xml", {});
    EXPECT_EQ(Run({}).exitCode, 0);
    EXPECT_TRUE(QFileInfo::exists(QFileInfo(request).path() + "/FXConfiguration.xml"));
}
