#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The host side and the scanner together: plugcat runs PlugSweep with
// restarts over folders that mix VST 2 and VST 3 plug-ins, good ones and ones
// that kill the scanner.
namespace
{
class PlugcatEndToEndTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!QFileInfo::exists("/usr/lib/vst3/ZamComp.vst3"))
            GTEST_SKIP() << "zam-plugins is not installed";
        for (const char* name : {"good/FixtureEffect.so", "good/FixtureInstrument.so", "crash/AbortInName.so",
                                 "crash/ExitInCategory.so", "crash/SegvInVendor.so"})
            TestSupport::CopyInto(TestSupport::Vst2FixtureDir() + "/" + name, Vst2Folder());
        for (const char* name : {"good/TwoEffects.vst3", "crash/CreateAbort.vst3"})
            TestSupport::CopyInto(TestSupport::Vst3FixtureDir() + "/" + name, Vst3Folder());
        // A plug-in that ships in both formats: the VST 3 one wins the merged list.
        TestSupport::CopyInto("/usr/lib/vst/ZamComp-vst.so", Vst2Folder());
        TestSupport::CopyInto("/usr/lib/vst3/ZamComp.vst3", Vst3Folder());
    }

    QString Vst2Folder() const { return root.filePath("vst"); }
    QString Vst3Folder() const { return root.filePath("vst3"); }
    QString Effects() const { return root.filePath("prefs/Effects"); }

    TestSupport::ProcessResult Plugcat(const QStringList& arguments)
    {
        return TestSupport::RunProcess(TestSupport::BinDir() + "/plugcat",
                                       QStringList{"--prefs", root.filePath("prefs")} + arguments);
    }
    QByteArray Read(const QString& name) const { return TestSupport::ReadFile(Effects() + "/" + name); }

    // The "vst" list by display name.
    std::map<QString, QJsonObject> VstList()
    {
        std::map<QString, QJsonObject> byName;
        const TestSupport::ProcessResult list = Plugcat({"list", "--json"});
        for (const QJsonValue& value : QJsonDocument::fromJson(list.out.toUtf8()).array())
            if (value["type"].toString() == "vst")
                byName[value["name"].toString()] = value.toObject();
        return byName;
    }

    QTemporaryDir root;
};
} // namespace

TEST_F(PlugcatEndToEndTest, CrashesCostOneRunEachAndLoseNothing)
{
    const TestSupport::ProcessResult first = Plugcat({"scan", Vst2Folder(), Vst3Folder()});
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    // Three plug-ins end the process (abort, exit, abort); the fault in the
    // vendor query is caught in process and costs no run.
    EXPECT_EQ(first.err.count("Scanner run "), 4) << first.err.toStdString();
    EXPECT_TRUE(QDir(Effects()).entryList({"*.scan", "*.scan3"}, QDir::Files).isEmpty());

    const QByteArray vst2 = Read("FXConfiguration.xml");
    for (const char* killer : {"AbortInName", "ExitInCategory"})
        EXPECT_TRUE(vst2.contains("<ID>" + QByteArray(killer) + "</ID>\n\t\t<Category>0</Category>"))
            << killer << "\n"
            << vst2.toStdString();
    EXPECT_EQ(vst2.count("<Enabled>0</Enabled>\n\t\t<Working>0</Working>"), 2);
    EXPECT_TRUE(vst2.contains("<Name>Fixture Effect</Name>"));
    EXPECT_TRUE(vst2.contains("<Name>Fixture Segv Vendor</Name>"));

    const QByteArray vst3 = Read("VST3Configuration.xml");
    EXPECT_TRUE(vst3.contains("<Name>Fixture Delay</Name>"));
    EXPECT_TRUE(vst3.contains("<Name>Fixture Mono Splitter</Name>"));
    EXPECT_TRUE(vst3.contains("<Name>ZamComp</Name>"));
    EXPECT_TRUE(vst3.contains("<Name>CreateAbort</Name>\n\t\t<ID>CreateAbort</ID>"));

    auto list = VstList();
    EXPECT_TRUE(list.count("Fixture Effect [2.4]"));
    EXPECT_TRUE(list.count("Fixture Delay"));
    ASSERT_TRUE(list.count("ZamComp"));
    EXPECT_FALSE(list.count("ZamComp [2.4]")) << "a VST 3 plug-in of the same name hides the VST 2 one";
    EXPECT_EQ(list["ZamComp"]["id"].toString().size(), 32) << "the VST 3 class id";
    EXPECT_EQ(list["AbortInName [2.4]"]["state"].toString(), "not working");

    // Nothing changed: one run, no probe, the same results.
    const TestSupport::ProcessResult second = Plugcat({"scan", Vst2Folder(), Vst3Folder()});
    EXPECT_EQ(second.err.count("Scanner run "), 1);
    EXPECT_FALSE(second.err.contains("probing")) << second.err.toStdString();
    EXPECT_EQ(Read("FXConfiguration.xml"), vst2);
    EXPECT_EQ(Read("VST3Configuration.xml"), vst3);
}

TEST_F(PlugcatEndToEndTest, AFolderThatIsGoneKeepsItsResultsAndAMistypedOneChangesNothing)
{
    ASSERT_EQ(Plugcat({"scan", Vst2Folder(), Vst3Folder()}).exitCode, 0);
    ASSERT_EQ(Plugcat({"disable", "Fixture Delay"}).exitCode, 0);
    const QByteArray vst2 = Read("FXConfiguration.xml");
    const QByteArray vst3 = Read("VST3Configuration.xml");

    const TestSupport::ProcessResult mistyped = Plugcat({"scan", root.filePath("nonexistent")});
    EXPECT_EQ(mistyped.exitCode, 1);
    EXPECT_TRUE(mistyped.err.contains("does not exist")) << mistyped.err.toStdString();
    EXPECT_EQ(Read("FXConfiguration.xml"), vst2);
    EXPECT_EQ(Read("VST3Configuration.xml"), vst3);

    // As if the disk that holds the VST 3 folder were not mounted.
    ASSERT_TRUE(QDir().rename(Vst3Folder(), root.filePath("unmounted")));
    const TestSupport::ProcessResult unmounted = Plugcat({"scan", Vst2Folder(), Vst3Folder()});
    EXPECT_EQ(unmounted.exitCode, 0) << unmounted.err.toStdString();
    EXPECT_TRUE(unmounted.err.contains("warning: folder " + Vst3Folder() + " does not exist"));
    EXPECT_FALSE(unmounted.err.contains("probing")) << unmounted.err.toStdString();
    EXPECT_EQ(Read("FXConfiguration.xml"), vst2);
    EXPECT_EQ(Read("VST3Configuration.xml"), vst3) << "neither probed nor dropped, the user's choice kept";
}
