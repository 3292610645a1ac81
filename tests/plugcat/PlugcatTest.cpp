#include "support/TestSupport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
using TestSupport::ProcessResult;
using TestSupport::WriteFile;

// plugcat starts the PlugSweep that lies beside it: each test gets a folder
// with a copy of plugcat and, as its PlugSweep, the stand-in scanner whose
// runs the test controls.
class PlugcatTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        TestSupport::CopyInto(TestSupport::BinDir() + "/plugcat", Bin());
        ASSERT_TRUE(QFile::copy(QStringLiteral(TEST_SCANNER), Bin("PlugSweep")));
        ASSERT_TRUE(QDir().mkpath(Empty()));
    }

    QString Bin(const QString& name = QString()) const { return m_dir.filePath("bin/" + name); }
    QString Empty() const { return m_dir.filePath("empty"); }
    QString Prefs(const QString& path = QString()) const { return m_dir.filePath("prefs/" + path); }

    ProcessResult Run(const QStringList& arguments) const
    {
        return TestSupport::RunProcess(Bin("plugcat"), arguments);
    }
    ProcessResult RunWithPrefs(const QStringList& arguments) const
    {
        return Run(QStringList{"--prefs", Prefs()} + arguments);
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(PlugcatTest, BadArgumentsPrintTheUsageAndExitWith2)
{
    for (const char* line : {"", "bogus", "--frob list", "list extra", "enable", "disable a b", "favourite x",
                             "favourite x maybe", "menu --channels abc", "menu --rate", "list --channels 2",
                             "menu --json", "--prefs", "load", "load x --seconds 0", "load x --block -5",
                             "load x --set 1=2", "load x --store", "list --bypass"})
    {
        const ProcessResult result = Run(QString(line).split(' ', Qt::SkipEmptyParts));
        EXPECT_EQ(result.exitCode, 2) << line;
        EXPECT_TRUE(result.err.contains("Usage: plugcat")) << line;
        EXPECT_TRUE(result.out.isEmpty()) << line;
    }
    // The audio file options belong to load alone, and each needs a file.
    for (const char* line :
         {"load x --input", "load x --output=", "list --midi a.mid", "scan --output a.wav"})
        EXPECT_EQ(Run(QString(line).split(' ')).exitCode, 2) << line;
    // Words are read from the left: the first problem is the one reported, and
    // help wins only over what follows it.
    for (const auto& [line, message] :
         std::map<QString, QString>{{"-json list", "unknown option '-json'"},
                                    {"scan -- x", "unknown option '--'"},
                                    {"--json=1 list", "unknown option '--json=1'"},
                                    {"bogus --rate x", "unknown command 'bogus'"},
                                    {"--rate x --help", "--rate needs a sample rate in Hz, not 'x'"}})
        EXPECT_TRUE(Run(line.split(' ')).err.contains(message)) << line.toStdString();
    EXPECT_EQ(Run({"--help", "--bogus"}).exitCode, 0);
    const ProcessResult noLayout = RunWithPrefs({"menu", "--channels", "12"});
    EXPECT_EQ(noLayout.exitCode, 2);
    EXPECT_TRUE(noLayout.err.contains("no track layout has 12 channels"));
    EXPECT_TRUE(Run({"--help"}).out.contains("Usage: plugcat"));
    EXPECT_EQ(Run({"list", "--version"}).out, "plugcat (PlugSweep) " + QString(PLUGSWEEP_VERSION) + "\n");
}

TEST_F(PlugcatTest, MissingFoldersScannerOrUnwritablePreferencesExitWith1)
{
    const ProcessResult mistyped = RunWithPrefs({"scan", Empty() + "/a", Empty() + "/b"});
    EXPECT_EQ(mistyped.exitCode, 1);
    // A sanitizer build may append its leak summary.
    EXPECT_TRUE(mistyped.err.startsWith("plugcat: folder " + Empty() + "/a does not exist\nplugcat: folder " +
                                        Empty() + "/b does not exist\n"))
        << mistyped.err.toStdString();
    ASSERT_TRUE(QFile::remove(Bin("PlugSweep")));
    const ProcessResult noScanner = RunWithPrefs({"scan", Empty()});
    EXPECT_EQ(noScanner.exitCode, 1);
    EXPECT_TRUE(noScanner.err.contains("PlugSweep")) << noScanner.err.toStdString();
    EXPECT_FALSE(noScanner.err.contains("Usage"));

    // A file where a folder must be: no permission bits make root fail this way.
    WriteFile(m_dir.filePath("file"), "");
    const ProcessResult unwritable = Run({"--prefs", m_dir.filePath("file/prefs"), "list"});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_TRUE(unwritable.err.contains("cannot write to the preferences folder"))
        << unwritable.err.toStdString();
}

TEST_F(PlugcatTest, ListMenuAndEditsWorkOnTheCatalogue)
{
    WriteFile(Prefs("Presets/PLUGIN/Chain FX_1413890920/Warm Vocal.dat"), "x");
    const ProcessResult list = RunWithPrefs({"list"});
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_TRUE(list.out.contains(
        QRegularExpression("chain +Chain FX:1413890920@Warm Vocal +Warm Vocal +tfd +enabled")))
        << list.out.toStdString();

    const QJsonArray json = QJsonDocument::fromJson(RunWithPrefs({"list", "--json"}).out.toUtf8()).array();
    ASSERT_EQ(json.size(), 1);
    EXPECT_EQ(json[0].toObject()["type"].toString(), "chain");
    EXPECT_EQ(json[0].toObject()["categories"].toArray(), QJsonArray({"Chain FX"}));

    const ProcessResult menu = RunWithPrefs({"menu", "--channels", "2", "--rate", "96000"});
    EXPECT_EQ(menu.exitCode, 0);
    EXPECT_EQ(menu.out, "Chain FX/\n  Warm Vocal  [chain:Chain FX:1413890920@Warm Vocal]\n");

    const ProcessResult favourite = RunWithPrefs({"favourite", "chain:Chain FX:1413890920@Warm Vocal", "on"});
    EXPECT_EQ(favourite.exitCode, 1);
    EXPECT_TRUE(favourite.err.contains("chain presets cannot be favourites"));
    const ProcessResult unknown = RunWithPrefs({"disable", "vst:Nothing:1"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.err.contains("no plug-in vst:Nothing:1 in the catalogue"));
}

// A scanner that dies without a crash marker blames no plug-in and proves
// nothing: plugcat says so, and the results and the catalogue stay.
TEST_F(PlugcatTest, AFailedScannerIsReportedAndChangesNothing)
{
    const QByteArray results = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Effects version=\"1.4\">\n"
                               "\t<Effect>\n\t\t<Path>/vst/Kept.so</Path>\n\t\t<Name>Kept</Name>\n"
                               "\t\t<ID>Kept:1</ID>\n\t\t<Category>1</Category>\n\t</Effect>\n</Effects>\n";
    WriteFile(Prefs("Effects/FXConfiguration.xml"), results);
    const ProcessResult before = RunWithPrefs({"list"});
    ASSERT_TRUE(before.out.contains("Kept:1")) << before.out.toStdString();
    for (const auto& [control, message] :
         {std::pair{"0 exit=3 scribble", "plugcat: the scanner failed: exit 3\n"},
          {"0 signal=9 scribble", "plugcat: the scanner failed: killed by signal 9\n"}})
    {
        SCOPED_TRACE(control);
        WriteFile(Prefs("Effects/testscanner.txt"), control);
        const ProcessResult scan = RunWithPrefs({"scan", Empty()});
        EXPECT_EQ(scan.exitCode, 1);
        EXPECT_TRUE(scan.err.contains(message)) << scan.err.toStdString();
        EXPECT_TRUE(scan.out.isEmpty()) << scan.out.toStdString();
        EXPECT_EQ(TestSupport::ReadFile(Prefs("Effects/FXConfiguration.xml")), results);
        EXPECT_EQ(RunWithPrefs({"list"}).out, before.out);
    }
}
