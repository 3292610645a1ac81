#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <csignal>
#include <gtest/gtest.h>

// plugcat and the real scanner together, as on a user's machine: plug-ins
// that kill or hang the scanner, Ctrl-C, folders that hold a plug-in twice or
// are gone. The fixtures note every load in a report file.
namespace
{
const QString kProbe = "FixtureProbe.so";
const QString kTwoEffects = "TwoEffects.vst3";
const QByteArray kNotWorking = "<Enabled>0</Enabled>\n\t\t<Working>0</Working>";
const QStringList kResultFiles{"FXConfiguration.xml", "VST3Configuration.xml"};

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
    QString Effects(const QString& prefs = "prefs") const { return root.filePath(prefs + "/Effects"); }
    QByteArray Read(const QString& name, const QString& prefs = "prefs") const
    {
        return TestSupport::ReadFile(Effects(prefs) + "/" + name);
    }
    QByteArray Results() const { return Read(kResultFiles[0]) + Read(kResultFiles[1]); }
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
    TestSupport::ProcessResult Plugcat(const QStringList& arguments, const QString& prefs = "prefs") const
    {
        return TestSupport::Plugcat(root.filePath(prefs), arguments, Environment());
    }
    TestSupport::ProcessResult Scan(const QStringList& options, const QStringList& folders,
                                    const QString& prefs = "prefs") const
    {
        return Plugcat(QStringList{"scan"} + options + folders, prefs);
    }

    QTemporaryDir root;
};
} // namespace

// Every good and every crashing VST 2 fixture (the crashing ones in a
// subfolder, so that good ones are found before each crash), half a real
// plug-in that dies of SIGBUS inside dlopen, and VST 3 modules good and bad.
TEST_F(ScanReliabilityTest, CrashesCostOneRunEachAndLoseNothing)
{
    QFile zam("/usr/lib/vst/ZamComp-vst.so");
    if (!zam.open(QIODevice::ReadOnly) || !QFileInfo::exists("/usr/lib/vst3/ZamComp.vst3"))
        GTEST_SKIP() << "zam-plugins is not installed";
    for (const QString group : {"good", "crash"})
    {
        const QDir fixtures(TestSupport::Vst2FixtureDir() + "/" + group);
        for (const QString& file : fixtures.entryList({"*.so"}, QDir::Files))
            TestSupport::CopyInto(fixtures.filePath(file), Folder(group == "good" ? "vst" : "vst/crash"));
    }
    const QByteArray bytes = zam.readAll();
    TestSupport::WriteFile(Folder("vst/Half.so"), bytes.left(bytes.size() / 2));
    for (const char* name : {"good/TwoEffects.vst3", "crash/CreateAbort.vst3"})
        TestSupport::CopyInto(TestSupport::Vst3FixtureDir() + "/" + name, Folder("vst3"));
    // A plug-in that ships in both formats: the VST 3 one wins the merged list.
    TestSupport::CopyInto(zam.fileName(), Folder("vst"));
    TestSupport::CopyInto("/usr/lib/vst3/ZamComp.vst3", Folder("vst3"));
    const QStringList folders{Folder("vst"), Folder("vst3")};

    const TestSupport::ProcessResult first = Scan({}, folders);
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    // Four plug-ins end the process (abort, exit, SIGBUS, abort); the faults
    // in plug-in code are caught in process and cost no run.
    EXPECT_EQ(first.err.count("Scanner run "), 5) << first.err.toStdString();
    EXPECT_TRUE(first.err.contains(
        QRegularExpression("Scan finished in [0-9.]+ s: 17 plug-ins found, 17 new, 0 changed, 0 unchanged, "
                           "5 disabled after a crash, 5 not working\n")))
        << first.err.toStdString();
    EXPECT_TRUE(Markers().isEmpty());

    const QByteArray vst2 = Read("FXConfiguration.xml");
    for (const char* killer : {"AbortInName", "ExitInCategory", "SegvInEntry", "Half"})
        EXPECT_TRUE(vst2.contains("<ID>" + QByteArray(killer) + "</ID>\n\t\t<Category>0</Category>"))
            << killer << "\n"
            << vst2.toStdString();
    EXPECT_EQ(vst2.count(kNotWorking), 4);
    EXPECT_EQ(vst2.count("<Effect>"), 13) << "six good, five crashing, Half and ZamComp";
    EXPECT_TRUE(vst2.contains("<Name>Fixture Segv Vendor</Name>")) << "a fault caught in process";

    const QByteArray vst3 = Read("VST3Configuration.xml");
    for (const char* found : {"<Name>Fixture Delay</Name>", "<Name>Fixture Mono Splitter</Name>",
                              "<Name>ZamComp</Name>", "<Name>CreateAbort</Name>\n\t\t<ID>CreateAbort</ID>"})
        EXPECT_TRUE(vst3.contains(found)) << found;

    std::map<QString, QJsonObject> list;
    for (const auto& [id, entry] : TestSupport::CatalogueById(Plugcat({"list", "--json"}).out))
        list[entry["name"].toString()] = entry;
    ASSERT_TRUE(list.count("ZamComp"));
    EXPECT_FALSE(list.count("ZamComp [2.4]")) << "a VST 3 plug-in of the same name hides the VST 2 one";
    EXPECT_EQ(list["ZamComp"]["id"].toString().size(), 32) << "the VST 3 class id";
    EXPECT_EQ(list["AbortInName [2.4]"]["state"].toString(), "not working");

    // Nothing changed: one run, no probe, the same results.
    const TestSupport::ProcessResult second = Scan({}, folders);
    EXPECT_EQ(second.err.count("Scanner run "), 1);
    EXPECT_FALSE(second.err.contains("probing")) << second.err.toStdString();
    EXPECT_TRUE(second.err.contains(": 17 plug-ins found, 0 new, 0 changed, 17 unchanged, "
                                    "0 disabled after a crash, 5 not working\n"))
        << second.err.toStdString();
    EXPECT_EQ(Read(kResultFiles[0]), vst2);
    EXPECT_EQ(Read(kResultFiles[1]), vst3);

    // Jobs and memory restarts change how many scanners run, never what they
    // find; what the jobs of a killed scan left is taken over, not probed again.
    for (const QString& file : kResultFiles)
        TestSupport::WriteFile(Effects("left") + ".jobs/0/" + file, Read(file));
    const struct
    {
        const char* prefs;
        QStringList options;
    } others[] = {{"jobs", {"--jobs", "3"}},
                  {"memory", {"--memory-limit", "1"}},
                  {"both", {"--jobs", "2", "--memory-limit", "1"}},
                  {"left", {}}};
    for (const auto& other : others)
    {
        SCOPED_TRACE(other.prefs);
        const TestSupport::ProcessResult scan = Scan(other.options, folders, other.prefs);
        ASSERT_EQ(scan.exitCode, 0) << scan.err.toStdString();
        for (const QString& file : kResultFiles)
            EXPECT_EQ(Read(file, other.prefs), Read(file)) << file.toStdString();
        if (other.options.isEmpty())
            EXPECT_FALSE(scan.err.contains("probing")) << scan.err.toStdString();
        else
            EXPECT_GT(scan.err.count("Scanner run "), 5);
        EXPECT_FALSE(QFileInfo::exists(Effects(other.prefs) + ".jobs"));
        EXPECT_TRUE(QDir(Effects(other.prefs)).entryList({"*.scan", "*.scan3", "*.resume"}).isEmpty());
    }

    // A plug-in that cannot be run is refused with the reason.
    ASSERT_EQ(Plugcat({"disable", "FixtureInstrument:1002"}).exitCode, 0);
    for (const auto& [id, reason] :
         {std::pair<QString, QString>{"AbortInName", "vst:AbortInName is not working"},
          {"FixtureInstrument:1002", "is disabled"}})
    {
        const TestSupport::ProcessResult load = Plugcat({"load", id});
        EXPECT_EQ(load.exitCode, 1) << id.toStdString();
        EXPECT_TRUE(load.err.contains(reason)) << load.err.toStdString();
    }
}

// The probe under way when Ctrl-C came is not held against its plug-in; what
// was found before it is kept and not probed again.
TEST_F(ScanReliabilityTest, CtrlCEndsTheScanAndLosesNothing)
{
    Install(true);
    const QStringList folders{Folder("vst"), Folder("vst3")};
    QProcess plugcat;
    plugcat.setProcessEnvironment(Environment());
    plugcat.start(TestSupport::BinDir() + "/plugcat",
                  QStringList{"--prefs", root.filePath("prefs"), "scan"} + folders);
    ASSERT_TRUE(TestSupport::WaitUntil([this] { return Markers().contains("HangInEntry.scan"); }));
    const qint64 scanner = TestSupport::ChildOf(plugcat.processId());
    ASSERT_GT(scanner, 0);
    ::kill(pid_t(plugcat.processId()), SIGINT);
    ASSERT_TRUE(plugcat.waitForFinished(120000));

    EXPECT_EQ(plugcat.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(plugcat.exitCode(), 128 + SIGINT);
    EXPECT_TRUE(plugcat.readAllStandardError().contains("scan interrupted by SIGINT"));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/proc/%1").arg(scanner))) << "the scanner ended with it";
    EXPECT_TRUE(Markers().isEmpty());
    EXPECT_TRUE(Parses(Read(kResultFiles[0])));
    EXPECT_TRUE(Parses(Read(kResultFiles[1])));
    EXPECT_TRUE(Read(kResultFiles[0]).contains("<Name>Fixture Probe</Name>"));

    const TestSupport::ProcessResult again = Scan({"--probe-timeout", "1"}, folders);
    EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_TRUE(again.err.contains("probing HangInEntry")) << "probed again, not taken for a crash";
    // Each plug-in but the hanging one was loaded once, and the results say so.
    EXPECT_EQ(Loads("# entry Fixture Probe"), 1);
    EXPECT_EQ(Loads("ModuleEntry TwoEffects"), 1);
    const QByteArray vst2 = Read(kResultFiles[0]);
    EXPECT_TRUE(vst2.contains("<ID>HangInEntry</ID>")) << vst2.toStdString();
    EXPECT_EQ(vst2.count(kNotWorking), 1) << "only the hang";
    EXPECT_TRUE(vst2.contains("<Name>Fixture Probe</Name>"));
    EXPECT_TRUE(Read(kResultFiles[1]).contains("<Name>Fixture Delay</Name>"));
    EXPECT_TRUE(Markers().isEmpty());
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

    ASSERT_EQ(Scan({}, folders).exitCode, 0);
    const QByteArray results = Results();
    EXPECT_TRUE(results.contains("<Path>" + Folder("vst").toUtf8() + "/" + kProbe.toUtf8() + "</Path>"));
    EXPECT_TRUE(results.contains("<Name>Fixture Delay</Name>"));
    ASSERT_EQ(Scan({}, folders).exitCode, 0);
    EXPECT_EQ(Loads("# entry Fixture Probe"), 1) << "a copy was loaded";
    EXPECT_EQ(Loads("ModuleEntry TwoEffects"), 1) << "a copy was loaded";
    EXPECT_EQ(Results(), results);
}

// A folder that is gone, as when its disk is not mounted, keeps its results
// and the user's choices, while a file gone from a folder that is there loses
// its entry, and a folder taken off the list its entries.
TEST_F(ScanReliabilityTest, AFolderThatIsGoneKeepsItsResults)
{
    Install(false);
    TestSupport::CopyInto(TestSupport::Vst2FixtureDir() + "/good/FixtureEffect.so", Folder("vst"));
    TestSupport::CopyInto(TestSupport::Vst2FixtureDir() + "/good/FixtureLegacy.so", Folder("vst3"));
    const QStringList folders{Folder("vst"), Folder("vst3")};
    ASSERT_EQ(Scan({}, folders).exitCode, 0);
    ASSERT_EQ(Plugcat({"disable", "Fixture Delay"}).exitCode, 0);
    ASSERT_EQ(Plugcat({"disable", "Fixture Legacy:1004"}).exitCode, 0);
    const QByteArray vst3 = Read(kResultFiles[1]);

    ASSERT_TRUE(QDir().rename(Folder("vst3"), Folder("unmounted")));
    ASSERT_TRUE(QFile::remove(Folder("vst/FixtureEffect.so")));
    const TestSupport::ProcessResult unmounted = Scan({}, folders);
    EXPECT_EQ(unmounted.exitCode, 0) << unmounted.err.toStdString();
    EXPECT_TRUE(unmounted.err.contains("warning: folder " + Folder("vst3") + " does not exist"));
    EXPECT_FALSE(unmounted.err.contains("probing")) << unmounted.err.toStdString();
    const QByteArray vst2 = Read(kResultFiles[0]);
    EXPECT_FALSE(vst2.contains("Fixture Effect"));
    EXPECT_TRUE(vst2.contains("<ID>Fixture Legacy:1004</ID>"));
    EXPECT_EQ(vst2.count("<Enabled>0</Enabled>"), 1) << "the user's choice kept";
    EXPECT_EQ(Read(kResultFiles[1]), vst3) << "neither probed nor dropped, the user's choice kept";

    ASSERT_EQ(Scan({}, {Folder("vst")}).exitCode, 0);
    EXPECT_FALSE(Read(kResultFiles[0]).contains("Fixture Legacy"));
    EXPECT_FALSE(Read(kResultFiles[1]).contains("Fixture Delay"));
}
