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
// plug-ins: the result files stay whole, and the restart loop, or the next
// scan after a run that failed, finishes the scan with everything found.
namespace
{
constexpr int kTrials = 5;
const QStringList kFolders{"/usr/lib/vst", "/usr/lib/lxvst", "/usr/lib/vst3"};

// Adds the ids both result files record; false if one exists but does not parse.
bool ReadIds(const QString& effects, std::set<QString>& ids)
{
    for (const char* name : {"/FXConfiguration.xml", "/VST3Configuration.xml"})
    {
        QFile file(effects + name);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        QXmlStreamReader xml(&file);
        while (!xml.atEnd())
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("ID"))
                ids.insert(xml.readElementText());
        if (xml.hasError())
            return false;
    }
    return true;
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
        const QStringList arguments = QStringList{"--prefs", root.filePath("prefs"), "scan"} + kFolders;
        QProcess plugcat;
        plugcat.start(TestSupport::BinDir() + "/plugcat", arguments);
        ASSERT_TRUE(plugcat.waitForStarted());
        const int delayMs = std::uniform_int_distribution<int>(50, 1500)(random);
        QThread::msleep(delayMs);
        std::set<QString> before;
        ASSERT_TRUE(ReadIds(effects, before));
        const qint64 scanner = TestSupport::ChildOf(plugcat.processId());
        if (scanner > 0 && ::kill(static_cast<pid_t>(scanner), SIGKILL) == 0)
            ++kills;
        std::set<QString> after;
        ASSERT_TRUE(ReadIds(effects, after)) << "trial " << trial;

        ASSERT_TRUE(plugcat.waitForFinished(120000));
        // A kill while no probe ran leaves no marker: that run failed, its
        // results are kept, and the next scan goes on.
        const QString err = QString::fromUtf8(plugcat.readAllStandardError());
        EXPECT_TRUE(plugcat.exitCode() == 0 ||
                    err.contains("plugcat: the scanner failed: killed by signal 9\n"))
            << err.toStdString();
        std::set<QString> ended;
        ASSERT_TRUE(ReadIds(effects, ended)) << "trial " << trial;
        for (const QString& id : before)
            EXPECT_TRUE(ended.count(id)) << "trial " << trial << " lost " << id.toStdString();
        EXPECT_EQ(TestSupport::RunProcess(TestSupport::BinDir() + "/plugcat", arguments).exitCode, 0);
        EXPECT_TRUE(QDir(effects).entryList({"*.scan", "*.scan3"}, QDir::Files).isEmpty());
        std::set<QString> whole;
        EXPECT_TRUE(ReadIds(effects, whole));
        std::cout << "trial " << trial << ": kill after " << delayMs << " ms, " << before.size()
                  << " entries before, " << after.size() << " right after, " << whole.size()
                  << " at the end\n";
    }
    std::cout << kTrials << " trials, " << kills << " scanner processes killed\n";
}
