#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QXmlStreamReader>
#include <csignal>
#include <gtest/gtest.h>
#include <iostream>
#include <random>
#include <set>

// SIGKILL on the scanner at random instants of a scan of the installed
// plug-ins: the result files stay whole and keep what they held, and the
// restart loop still finishes the scan.
namespace
{
constexpr int kTrials = 5;
const QStringList kFolders{"/usr/lib/vst", "/usr/lib/lxvst", "/usr/lib/vst3"};

// The ids a result file records; false if it exists but does not parse.
bool ReadIds(const QString& path, std::set<QString>& ids)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return true;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("ID"))
            ids.insert(xml.readElementText());
    return !xml.hasError();
}
} // namespace

TEST(KillDuringScan, ResultFilesSurviveAndTheScanFinishes)
{
    if (!QFileInfo::exists("/usr/lib/vst3/ZamComp.vst3"))
        GTEST_SKIP() << "zam-plugins is not installed";
    std::mt19937 random(20261207);
    int kills = 0;
    for (int trial = 0; trial < kTrials; ++trial)
    {
        QTemporaryDir root;
        const QString effects = root.filePath("prefs/Effects");
        QProcess plugcat;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        plugcat.setProcessEnvironment(environment);
        plugcat.start(TestSupport::BinDir() + "/plugcat",
                      QStringList{"--prefs", root.filePath("prefs"), "scan"} + kFolders);
        ASSERT_TRUE(plugcat.waitForStarted());
        const int delayMs = std::uniform_int_distribution<int>(50, 1500)(random);
        QThread::msleep(delayMs);
        std::set<QString> before;
        ASSERT_TRUE(ReadIds(effects + "/FXConfiguration.xml", before));
        ASSERT_TRUE(ReadIds(effects + "/VST3Configuration.xml", before));
        const qint64 scanner = TestSupport::ChildOf(plugcat.processId());
        if (scanner > 0 && ::kill(static_cast<pid_t>(scanner), SIGKILL) == 0)
            ++kills;
        std::set<QString> after;
        ASSERT_TRUE(ReadIds(effects + "/FXConfiguration.xml", after)) << "trial " << trial;
        ASSERT_TRUE(ReadIds(effects + "/VST3Configuration.xml", after)) << "trial " << trial;
        for (const QString& id : before)
            EXPECT_TRUE(after.count(id)) << "trial " << trial << " lost " << id.toStdString();

        ASSERT_TRUE(plugcat.waitForFinished(120000));
        EXPECT_EQ(plugcat.exitCode(), 0) << plugcat.readAllStandardError().toStdString();
        // A kill while no probe ran leaves no marker, so the loop may stop early;
        // the next scan completes whatever is left.
        QProcess again;
        again.setProcessEnvironment(environment);
        again.start(TestSupport::BinDir() + "/plugcat",
                    QStringList{"--prefs", root.filePath("prefs"), "scan"} + kFolders);
        ASSERT_TRUE(again.waitForFinished(120000));
        EXPECT_EQ(again.exitCode(), 0);
        EXPECT_TRUE(QDir(effects).entryList({"*.scan", "*.scan3"}, QDir::Files).isEmpty());
        std::set<QString> whole;
        ReadIds(effects + "/FXConfiguration.xml", whole);
        ReadIds(effects + "/VST3Configuration.xml", whole);
        std::cout << "trial " << trial << ": kill after " << delayMs << " ms, " << before.size()
                  << " entries before, " << after.size() << " right after, " << whole.size()
                  << " at the end\n";
    }
    std::cout << kTrials << " trials, " << kills << " scanner processes killed\n";
}
