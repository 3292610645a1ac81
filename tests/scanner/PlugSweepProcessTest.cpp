#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
struct Outcome
{
    int exitCode = -1;
    QByteArray output;
    QByteArray errors;
};

class PlugSweepProcessTest : public ::testing::Test
{
protected:
    // Runs PlugSweep without a display, with a home folder of its own.
    Outcome Run(const QStringList& arguments)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
        environment.insert("HOME", home.path());
        process.setProcessEnvironment(environment);
        process.start(TestSupport::BinDir() + "/PlugSweep", arguments);
        EXPECT_TRUE(process.waitForFinished(120000));
        return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
    }

    QString WriteRequest(const QString& relative, const QStringList& folders)
    {
        const QString path = home.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        QByteArray text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Scan>\n";
        for (const QString& folder : folders)
            text += "\t<Path>" + folder.toUtf8() + "</Path>\n";
        file.write(text + "</Scan>\n");
        return path;
    }

    QTemporaryDir home;
};
} // namespace

TEST_F(PlugSweepProcessTest, WithoutARequestItEndsAtOnce)
{
    EXPECT_EQ(Run({}).exitCode, 0);
    EXPECT_EQ(Run({"-REWIRE_VERSION"}).exitCode, 0) << "another spelling is a request path";
    EXPECT_EQ(Run({"-rewire_versionX", "ignored", "too"}).exitCode, 0);
}

TEST_F(PlugSweepProcessTest, ReWireSwitchReportsAndExits)
{
    const Outcome outcome = Run({"-rewire_version"});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.output, "REWIRE VERSION UPDATE REQUIRED\n");
}

TEST_F(PlugSweepProcessTest, RequestInsideEffectsScansAndRewritesTheRequest)
{
    const QString missing = home.filePath("no such folder");
    const QString request = WriteRequest("prefs/Effects/FXScan.xml", {missing, missing});
    const Outcome outcome = Run({request, "ignored"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.errors.toStdString();
    QFile rewritten(request);
    ASSERT_TRUE(rewritten.open(QIODevice::ReadOnly));
    EXPECT_EQ(rewritten.readAll(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Scan>\n\t<Path>" + missing.toUtf8() +
                                       "</Path>\n\t<Path>" + missing.toUtf8() + "</Path>\n</Scan>\n");
}

TEST_F(PlugSweepProcessTest, DefaultRequestPathScansToo)
{
    const QString request =
        WriteRequest("AppData/Roaming/Thornfield Design/Orvella Corvane/Preferences/Quillmore/Effects/FXScan.xml", {});
    EXPECT_EQ(Run({}).exitCode, 0);
    EXPECT_TRUE(QFileInfo::exists(QFileInfo(request).path() + "/FXConfiguration.xml"));
}
