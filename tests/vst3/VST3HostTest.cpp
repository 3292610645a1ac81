#include "Main/AudioEngineController/Effects/VST3/VST3Host.h"
#include "Core/BaseLib/FileUtilities.h"
#include "support/TestSupport.h"
#include "vst3/Vst3TestSupport.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <gtest/gtest.h>

using namespace Vst3TestSupport;
using TestSupport::ReadFile;
using TestSupport::WriteFile;

namespace
{
const std::string kDelayId = "46575350010001004649585400000000";
const std::string kSplitterId = "030201000504070608090A0B0C0D0E0F";
const std::string kSynthId = "46575350020001004649585400000000";
const QByteArray kBareFile =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Effects version=\"1.1\">\n</Effects>\n";

class VST3HostTest : public ::testing::Test
{
protected:
    std::string FileTime(const QString& module) const
    {
        return FileUtilities::FileTimeText(Library(module)).toStdString();
    }

    QByteArray Marker(const QString& module, const std::string& created, const QString& name) const
    {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CrashedPlugin>\n\t<Path>" + module.toUtf8() +
               "</Path>\n\t<Created>" + QByteArray::fromStdString(created) + "</Created>\n\t<Name>" +
               name.toUtf8() + "</Name>\n</CrashedPlugin>\n";
    }

    // The results of a host that only loaded what is known, as the host application sees them.
    PluginTypeList Listed(VST3Host& host) const
    {
        host.LoadKnownPlugins();
        host.LaunchScanner(false, true);
        PluginTypeList list;
        host.FillPluginList(list);
        return list;
    }

    ScanSetup setup;
    ScopedUI ui;
    // Where a test puts the modules it scans.
    const QString folder = setup.Scratch("plugins");
};
} // namespace

TEST_F(VST3HostTest, FirstScanRecordsEveryClassAndEveryModuleThatFailed)
{
    const QString fixtures = TestSupport::Vst3FixtureDir();
    EXPECT_TRUE(setup.Run({fixtures + "/good", fixtures + "/broken"}));
    EXPECT_TRUE(setup.Markers().isEmpty());

    const auto entries = Entries(setup.Configuration());
    EXPECT_EQ(entries.size(), 22u + 3u) << "every audio class, and one entry per failed module";
    for (const char* failed : {"Garbage", "EntryFails", "NoAudioClasses"})
    {
        const Entry& entry = entries.at(failed);
        EXPECT_EQ(entry.at("Name"), failed);
        EXPECT_EQ(entry.at("Path"), Fixture("broken", failed).toStdString());
        EXPECT_EQ(entry.at("Enabled") + entry.at("Working") + entry.at("Inputs"), "00-1");
    }
    EXPECT_EQ(entries.count("NoFactory"), 0u) << "a library without a factory is no module";

    const QString plain = Fixture("good", "PlainFile");
    const QByteArray plainEntry =
        "\t<Effect>\n\t\t<Path>" + plain.toUtf8() + "</Path>\n\t\t<FileTime>" +
        QByteArray::fromStdString(FileTime(plain)) +
        "</FileTime>\n\t\t<Name>Fixture Plain File</Name>\n"
        "\t\t<ID>46575350030001004649585400000000</ID>\n"
        "\t\t<Categories>Fx|EQ</Categories>\n\t\t<CategoryMask>16</CategoryMask>\n"
        "\t\t<Favourite>0</Favourite>\n\t\t<Vendor>PlugSweep Fixture Labs</Vendor>\n"
        "\t\t<Inputs>2</Inputs>\n\t\t<Outputs>2</Outputs>\n\t\t<Enabled>1</Enabled>\n"
        "\t\t<Working>1</Working>\n\t</Effect>\n";
    EXPECT_TRUE(ReadFile(setup.Configuration()).contains(plainEntry));

    EXPECT_EQ(ui->progressMaximum, 13) << "nine good and four broken modules";
    EXPECT_EQ(ui->progressValues.back(), 13);
    EXPECT_NE(std::find(ui->messages.begin(), ui->messages.end(), L"Scanning: PlainFile"),
              ui->messages.end());
}

TEST_F(VST3HostTest, AScanThatFindsNothingStillWritesTheFile)
{
    EXPECT_TRUE(setup.Run({setup.Scratch("empty"), setup.Effects() + "/no such folder"}));
    EXPECT_EQ(ReadFile(setup.Configuration()), kBareFile);
    EXPECT_TRUE(ui->showRequests.empty());
}

TEST_F(VST3HostTest, UnchangedModulesAreTakenFromTheFileWithoutLoadingThem)
{
    const QString two = CopyModule(Fixture("good", "TwoEffects"), folder, "TwoEffects");
    ASSERT_TRUE(setup.Run({folder}));
    const QByteArray first = ReadFile(setup.Configuration());
    const std::uint64_t written = FileIdentity(setup.Configuration());
    ui->showRequests.clear();
    {
        FixtureReport report;
        EXPECT_FALSE(setup.Run({folder}));
        EXPECT_TRUE(report.Lines().empty());
    }
    EXPECT_EQ(FileIdentity(setup.Configuration()), written) << "not rewritten";
    EXPECT_TRUE(ui->showRequests.empty());

    // The user's choices survive when a changed module is probed again.
    {
        const std::unique_ptr<VST3Host> host = setup.Host({folder});
        PluginTypeList edits = Listed(*host);
        edits.at(QString::fromStdString(kDelayId).toStdWString()).favourite = 1;
        edits.at(QString::fromStdString(kDelayId).toStdWString()).categoryMask = 0x400;
        bool rescan = false;
        EXPECT_TRUE(host->ApplyCatalogueEdits(edits, rescan));
        EXPECT_FALSE(rescan);
    }
    ShiftModuleTime(two, 3);
    FixtureReport report;
    EXPECT_TRUE(setup.Run({folder}));
    EXPECT_EQ(report.Lines("ModuleEntry"), std::vector<std::string>{"ModuleEntry TwoEffects"});
    const Entry delay = Entries(setup.Configuration()).at(kDelayId);
    EXPECT_EQ(delay.at("FileTime"), FileTime(two));
    EXPECT_EQ(delay.at("Favourite") + "/" + delay.at("CategoryMask"), "1/8")
        << "Dynamics, in the file's form";
    EXPECT_EQ(ui->showRequests.size(), 1u) << "a known module of one class shows the window once, when added";
}

TEST_F(VST3HostTest, AModuleThatCrashedStaysDisabledUntilTheUserEnablesIt)
{
    const QString two = CopyModule(Fixture("good", "TwoEffects"), folder, "TwoEffects");
    // What a run that died inside the probe leaves behind.
    WriteFile(setup.Effects() + "/TwoEffects.scan3", Marker(two, FileTime(two), "TwoEffects"));
    {
        FixtureReport report;
        setup.Run({folder});
        ShiftModuleTime(two, 5);
        setup.Run({folder});
        EXPECT_TRUE(report.Lines().empty()) << "not probed again, even once the file changed";
    }
    EXPECT_TRUE(setup.Markers().isEmpty());
    Entry crashed = Entries(setup.Configuration()).at("TwoEffects");
    EXPECT_EQ(crashed.at("Enabled") + crashed.at("Working"), "00");

    {
        const std::unique_ptr<VST3Host> host = setup.Host({folder});
        PluginTypeList edits = Listed(*host);
        EXPECT_EQ(edits.at(L"TwoEffects").state, PluginListEntry::State::NotWorking) << "not working";
        edits.at(L"TwoEffects").state = PluginListEntry::State::Enabled;
        edits.at(L"TwoEffects").name = L"Renamed";
        bool rescan = false;
        EXPECT_TRUE(host->ApplyCatalogueEdits(edits, rescan));
        EXPECT_TRUE(rescan);
    }
    crashed = Entries(setup.Configuration()).at("TwoEffects");
    EXPECT_EQ(crashed.at("Enabled") + crashed.at("Working") + crashed.at("FileTime"), "11");
    EXPECT_EQ(crashed.at("Name"), "TwoEffects") << "names are not taken over";

    FixtureReport report;
    EXPECT_TRUE(setup.Run({folder}));
    EXPECT_EQ(report.Lines("ModuleEntry"), std::vector<std::string>{"ModuleEntry TwoEffects"});
    const auto entries = Entries(setup.Configuration());
    EXPECT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries.count(kDelayId) + entries.count(kSplitterId), 2u);
}

TEST_F(VST3HostTest, LeftoverMarkersBecomeEntriesExceptForShells)
{
    const QString lost = setup.Effects() + "/nowhere/Lost x64.vst3";
    WriteFile(setup.Effects() + "/Lost .scan3", Marker(lost, "2021-02-03 04:05", "Lost &amp; Found"));
    WriteFile(setup.Effects() + "/old/Shell.scan3",
              Marker("/vst3/WaveShell1-VST3 9.0_x64.vst3", "2020-01-01 00:00", "WaveShell1-VST3 9.0_"));
    WriteFile(setup.Effects() + "/Broken.scan3", "<CrashedPlugin><Path>/x/Broken.vst3</Path>");
    const std::unique_ptr<VST3Host> host = setup.Host({});
    EXPECT_TRUE(host->LoadKnownPlugins());

    EXPECT_TRUE(setup.Markers().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(setup.Effects() + "/old/Shell.scan3"));
    const auto entries = Entries(setup.Configuration());
    ASSERT_EQ(entries.size(), 1u);
    const Entry& entry = entries.at("Lost & Found");
    EXPECT_EQ(entry.at("Path"), lost.toStdString());
    EXPECT_EQ(entry.at("FileTime"), "2021-02-03 04:05");
    EXPECT_EQ(entry.at("Enabled") + entry.at("Working"), "00");
    EXPECT_TRUE(ReadFile(setup.Configuration()).contains("<Name>Lost &amp; Found</Name>"));
}

TEST_F(VST3HostTest, FilesOfOtherVersionsOrBrokenFilesAreReadAsFarAsTheyGo)
{
    const QString plain = CopyModule(Fixture("good", "PlainFile"), folder, "PlainFile");
    WriteFile(setup.Configuration(), "<Effects version=\"1.0\"><Effect><Path>" + plain.toUtf8() +
                                         "</Path><FileTime>1999-12-31 23:59</FileTime><Name>Old</Name>"
                                         "<Category>Fx|Filter</Category><ID>OLD</ID></Effect></Effects>");
    {
        FixtureReport report;
        EXPECT_FALSE(setup.Run({folder})) << "the times were brought up to date at load";
        EXPECT_TRUE(report.Lines().empty());
    }
    const Entry old = Entries(setup.Configuration()).at("OLD");
    EXPECT_EQ(old.at("FileTime"), FileTime(plain));
    EXPECT_EQ(old.at("Categories") + old.at("Inputs") + old.at("Enabled"), "Fx|Filter-11");

    const QByteArray malformed = "<Effects version=\"1.1\"><Effect>";
    WriteFile(setup.Configuration(), malformed);
    WriteFile(setup.Effects() + "/Kept.scan3", Marker(plain, "2000-01-01 00:00", "Kept"));
    EXPECT_FALSE(setup.Host({})->LoadKnownPlugins());
    EXPECT_EQ(setup.Markers(), QStringList{"Kept.scan3"});
    EXPECT_EQ(ReadFile(setup.Configuration()), malformed);
}

TEST_F(VST3HostTest, ClashingNamesAndIdentifiersAreResolved)
{
    WriteFile(setup.Configuration(),
              "<Effects version=\"1.1\">"
              "<Effect><Path>/a/One.vst3</Path><ID>A</ID><Name>Twin</Name></Effect>"
              "<Effect><Path>/b/Two x64.vst3</Path><ID>B</ID><Name>Twin</Name></Effect>"
              "<Effect><Path>/b/Two x64.vst3</Path><ID>B</ID><Name>Again</Name></Effect>"
              "</Effects>");
    const std::unique_ptr<VST3Host> host = setup.Host({});
    const PluginTypeList list = Listed(*host);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list.at(L"A").name, L"Twin");
    EXPECT_EQ(list.at(L"B").name, L"Two ") << "the second class of a name takes its module's";
    EXPECT_TRUE(host->IsNameKnown(L"Twin"));
    EXPECT_FALSE(host->IsNameKnown(L"Two "));
    EXPECT_TRUE(host->KnowsPlugin(L"B"));

    // Two shells deliver the same class: the newer version stays, whichever comes first.
    const QString older = setup.Scratch("older");
    const QString newer = setup.Scratch("newer");
    CopyModule(Fixture("good", "Instrument"), older, "WaveShell1-VST3 9.0_x64");
    CopyModule(Fixture("good", "Instrument"), newer, "WaveShell1-VST3 10.0_x64");
    for (const QStringList& folders : {QStringList{older, newer}, QStringList{newer, older}})
    {
        QFile::remove(setup.Configuration());
        setup.Run(folders);
        EXPECT_EQ(Entries(setup.Configuration()).at(kSynthId).at("Path"),
                  (newer + "/WaveShell1-VST3 10.0_x64.vst3").toStdString());
    }
}

TEST_F(VST3HostTest, ACancelledOrStoppedScanEndsAfterTheModuleUnderWay)
{
    CopyModule(Fixture("good", "Instrument"), folder, "A");
    CopyModule(Fixture("good", "PlainFile"), folder, "B");
    ui->cancelled = true;
    EXPECT_TRUE(setup.Run({folder}));
    EXPECT_EQ(Entries(setup.Configuration()).size(), 1u);

    ui->cancelled = false;
    QFile::remove(setup.Configuration());
    const std::unique_ptr<VST3Host> host = setup.Host({folder});
    ui->onMessage = [&host](const std::wstring& text)
    {
        if (text == L"Scanning: A")
            host->StopScan();
    };
    host->LoadKnownPlugins();
    EXPECT_TRUE(host->LaunchScanner(true, true));
    ui->onMessage = nullptr;
    EXPECT_EQ(Entries(setup.Configuration()).size(), 1u);
}

TEST_F(VST3HostTest, CatalogueSeesStatesWidthsAndItsOwnEdits)
{
    CopyModule(Fixture("good", "TwoEffects"), folder, "TwoEffects");
    CopyModule(Fixture("broken", "Garbage"), folder, "Garbage");
    setup.Run({folder});
    const std::unique_ptr<VST3Host> host = setup.Host({folder});
    EXPECT_FALSE(host->ConfigurationChanged()) << "Initialise noted the file's time";
    PluginTypeList list = Listed(*host);
    const std::wstring delay = QString::fromStdString(kDelayId).toStdWString();
    const std::wstring splitter = QString::fromStdString(kSplitterId).toStdWString();
    EXPECT_EQ(list.at(L"Garbage").state, PluginListEntry::State::NotWorking);
    EXPECT_EQ(list.at(delay).state, PluginListEntry::State::Enabled);
    EXPECT_EQ(list.at(delay).vendor, L"PlugSweep Fixtures");
    EXPECT_EQ(list.at(splitter).width, 2) << "the outputs";

    list.at(delay).state = PluginListEntry::State::Disabled;
    bool rescan = false;
    EXPECT_TRUE(host->ApplyCatalogueEdits(list, rescan));
    EXPECT_FALSE(rescan);
    EXPECT_FALSE(host->ApplyCatalogueEdits(list, rescan)) << "nothing left to change";
    // As when a scanner process rewrote the file.
    QFile configuration(setup.Configuration());
    ASSERT_TRUE(configuration.open(QIODevice::ReadWrite));
    ASSERT_TRUE(configuration.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                          QFileDevice::FileModificationTime));
    EXPECT_TRUE(host->ConfigurationChanged());
    EXPECT_FALSE(host->ConfigurationChanged());

    host->SetMetadataWidth(splitter, 6);
    PluginTypeList again;
    host->FillPluginList(again);
    EXPECT_EQ(again.at(delay).state, PluginListEntry::State::Disabled);
    EXPECT_EQ(again.at(splitter).width, 6);
    EXPECT_EQ(Entries(setup.Configuration()).at(kDelayId).at("Enabled"), "0");
}

// Probed from the wide class record; the controller class is still passed over.
TEST_F(VST3HostTest, AClassNamedOnlyInUtf16IsRecordedInUtf8)
{
    EXPECT_TRUE(setup.Run({TestSupport::Vst3FixtureDir() + "/unicode"}));
    const std::map<std::string, Entry> entries = Entries(setup.Configuration());
    ASSERT_EQ(entries.size(), 1u) << "the module is not recorded as failed";
    const Entry& delay = entries.begin()->second;
    EXPECT_EQ(delay.at("Name"), "Fixture Ünïcode Delay 音 \xF0\x9D\x84\x9E");
    EXPECT_EQ(delay.at("Vendor"), "Fixtures Ĳssel Ørsted");
    EXPECT_EQ(entries.begin()->first, "46575350120001004649585400000000");
    EXPECT_EQ(delay.at("Categories"), "Fx|Delay");
    EXPECT_EQ(delay.at("Inputs") + delay.at("Outputs") + delay.at("Enabled") + delay.at("Working"), "2211");
}
