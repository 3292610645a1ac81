#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>

// plugcat scans in the ways a user's machine does them: two at once on one
// preferences folder, with a plug-in that hangs, interrupted by Ctrl-C, and
// over folders that hold the same plug-ins twice. The fixtures note every
// load in a report file, which shows what was probed how often.
namespace
{
constexpr int kProcessTimeoutMs = 120000;
const QString kProbe = "FixtureProbe.so";
const QString kTwoEffects = "TwoEffects.vst3";

bool Parses(const QByteArray& text)
{
    QXmlStreamReader xml(text);
    while (!xml.atEnd())
        xml.readNext();
    return !text.isEmpty() && !xml.hasError();
}

class ScanReliabilityTest : public ::testing::Test
{
protected:
    // The VST 2 probe fixture, and the hanging one, in one folder; TwoEffects in another.
    void Install(bool hanging)
    {
        TestSupport::CopyInto(TestSupport::Vst2FixtureDir() + "/probe/" + kProbe, Folder("vst"));
        if (hanging)
            TestSupport::CopyInto(TestSupport::Vst2FixtureDir() + "/hang/HangInEntry.so", Folder("vst"));
        TestSupport::CopyInto(TestSupport::Vst3FixtureDir() + "/good/" + kTwoEffects, Folder("vst3"));
    }

    QString Folder(const QString& name) const { return root.filePath(name); }
    QString Effects() const { return root.filePath("prefs/Effects"); }
    QByteArray Read(const QString& name) const { return TestSupport::ReadFile(Effects() + "/" + name); }
    QStringList Markers() const { return QDir(Effects()).entryList({"*.scan", "*.scan3"}, QDir::Files); }
    // Each load of the VST 2 probe fixture reports "# entry Fixture Probe", each
    // of a VST 3 module "ModuleEntry" and its name.
    int Loads(const QString& line) const
    {
        return QString::fromUtf8(TestSupport::ReadFile(root.filePath("report"))).count(line);
    }

    QProcessEnvironment Environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PLUGSWEEP_FIXTURE_REPORT", root.filePath("report"));
        return environment;
    }
    QStringList ScanArguments(const QStringList& options, const QStringList& folders) const
    {
        return QStringList{"--prefs", root.filePath("prefs"), "scan"} + options + folders;
    }
    TestSupport::ProcessResult Scan(const QStringList& options, const QStringList& folders)
    {
        return TestSupport::RunProcess(TestSupport::BinDir() + "/plugcat", ScanArguments(options, folders),
                                       Environment());
    }
    std::unique_ptr<QProcess> StartScan(const QStringList& options, const QStringList& folders)
    {
        auto plugcat = std::make_unique<QProcess>();
        plugcat->setProcessEnvironment(Environment());
        plugcat->start(TestSupport::BinDir() + "/plugcat", ScanArguments(options, folders));
        EXPECT_TRUE(plugcat->waitForStarted());
        return plugcat;
    }
    bool WaitForHang() const
    {
        return TestSupport::WaitUntil([this] { return Markers().contains("HangInEntry.scan"); });
    }

    // Each plug-in but the hanging one was loaded once, and the results say so.
    void ExpectHangRecordedAndTheRestFound() const
    {
        EXPECT_EQ(Loads("# entry Fixture Probe"), 1);
        EXPECT_EQ(Loads("ModuleEntry TwoEffects"), 1);
        const QByteArray vst2 = Read("FXConfiguration.xml");
        EXPECT_TRUE(vst2.contains("<ID>HangInEntry</ID>")) << vst2.toStdString();
        EXPECT_EQ(vst2.count("<Enabled>0</Enabled>\n\t\t<Working>0</Working>"), 1) << "only the hang";
        EXPECT_TRUE(vst2.contains("<Name>Fixture Probe</Name>"));
        EXPECT_TRUE(Read("VST3Configuration.xml").contains("<Name>Fixture Delay</Name>"));
        EXPECT_TRUE(Markers().isEmpty());
    }

    QTemporaryDir root;
};
} // namespace

// The second scan waits for the first, whose watchdog cuts the hang short;
// then it finds everything known and loads nothing.
TEST_F(ScanReliabilityTest, TwoScansAtOnceTakeTurnsAndAHangingProbeIsCutShort)
{
    Install(true);
    const QStringList folders{Folder("vst"), Folder("vst3")};
    const std::unique_ptr<QProcess> first = StartScan({"--probe-timeout", "3"}, folders);
    ASSERT_TRUE(WaitForHang());
    const TestSupport::ProcessResult second = Scan({"--probe-timeout=3"}, folders);
    ASSERT_TRUE(first->waitForFinished(kProcessTimeoutMs));
    const QString firstErr = QString::fromUtf8(first->readAllStandardError());

    EXPECT_EQ(first->exitCode(), 0) << firstErr.toStdString();
    EXPECT_EQ(firstErr.count("Scanner run "), 2) << "the killed run and the one that records the hang";
    EXPECT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_TRUE(second.err.contains("waiting for another scan or edit of")) << second.err.toStdString();
    EXPECT_EQ(second.err.count("Scanner run "), 1);
    EXPECT_FALSE(second.err.contains("probing")) << second.err.toStdString();
    EXPECT_EQ(second.out, QString::fromUtf8(first->readAllStandardOutput())) << "the same catalogue";
    EXPECT_TRUE(second.out.contains("not working"));
    ExpectHangRecordedAndTheRestFound();
}

// The probe under way when Ctrl-C came is not held against its plug-in; what
// was found before it is kept and not probed again.
TEST_F(ScanReliabilityTest, CtrlCEndsTheScanAndLosesNothing)
{
    Install(true);
    const QStringList folders{Folder("vst"), Folder("vst3")};
    const std::unique_ptr<QProcess> plugcat = StartScan({}, folders);
    ASSERT_TRUE(WaitForHang());
    const qint64 scanner = TestSupport::ChildOf(plugcat->processId());
    ASSERT_GT(scanner, 0);
    ::kill(pid_t(plugcat->processId()), SIGINT);
    ASSERT_TRUE(plugcat->waitForFinished(kProcessTimeoutMs));

    EXPECT_EQ(plugcat->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(plugcat->exitCode(), 128 + SIGINT);
    EXPECT_TRUE(plugcat->readAllStandardError().contains("scan interrupted by SIGINT"));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/proc/%1").arg(scanner))) << "the scanner ended with it";
    EXPECT_TRUE(Markers().isEmpty());
    EXPECT_TRUE(Parses(Read("FXConfiguration.xml")));
    EXPECT_TRUE(Parses(Read("VST3Configuration.xml")));
    EXPECT_TRUE(Read("FXConfiguration.xml").contains("<Name>Fixture Probe</Name>"));

    const TestSupport::ProcessResult again = Scan({"--probe-timeout", "1"}, folders);
    EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_TRUE(again.err.contains("probing HangInEntry")) << "probed again, not taken for a crash";
    ExpectHangRecordedAndTheRestFound();
}

// Copies with other file times and links to the same files, in later folders.
TEST_F(ScanReliabilityTest, APlugInFoundTwiceIsLoadedOnceAndNotOnRescans)
{
    Install(false);
    const QString copies = Folder("copies");
    TestSupport::CopyInto(Folder("vst") + "/" + kProbe, copies);
    TestSupport::CopyInto(Folder("vst3") + "/" + kTwoEffects, copies);
    ASSERT_EQ(QProcess::execute("touch", {"-d", "2 hours ago", copies + "/" + kProbe,
                                          copies + "/TwoEffects.vst3/Contents/x86_64-linux/TwoEffects.so"}),
              0);
    const QString links = Folder("links");
    QDir().mkpath(links);
    ASSERT_TRUE(QFile::link(Folder("vst") + "/" + kProbe, links + "/" + kProbe));
    ASSERT_TRUE(QFile::link(Folder("vst3") + "/" + kTwoEffects, links + "/" + kTwoEffects));
    const QStringList folders{Folder("vst"), Folder("vst3"), copies, links};

    const TestSupport::ProcessResult first = Scan({}, folders);
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    const QByteArray vst2 = Read("FXConfiguration.xml");
    const QByteArray vst3 = Read("VST3Configuration.xml");
    EXPECT_TRUE(vst2.contains("<Path>" + Folder("vst").toUtf8() + "/" + kProbe.toUtf8() + "</Path>"));
    EXPECT_TRUE(vst3.contains("<Name>Fixture Delay</Name>"));
    EXPECT_EQ(Loads("# entry Fixture Probe"), 1);
    EXPECT_EQ(Loads("ModuleEntry TwoEffects"), 1);

    const TestSupport::ProcessResult second = Scan({}, folders);
    EXPECT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_EQ(Loads("# entry Fixture Probe"), 1) << "the rescan loaded a copy";
    EXPECT_EQ(Loads("ModuleEntry TwoEffects"), 1) << "the rescan loaded a copy";
    EXPECT_EQ(Read("FXConfiguration.xml"), vst2);
    EXPECT_EQ(Read("VST3Configuration.xml"), vst3);
}
