#include "Main/AudioEngineController/Effects/VST3/VST3Host.h"
#include "Core/BaseLib/FileUtilities.h"
#include "Main/AudioEngineController/Effects/VST3/VST3CrashMarker.h"
#include "support/TestSupport.h"
#include "vst3/Vst3TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Vst3TestSupport;
using TestSupport::ReadFile;
using TestSupport::WriteFile;

namespace
{
// The library a bundle path stands for.
QString Library(const QString& bundle)
{
    const QFileInfo info(bundle);
    return info.isDir() ? bundle + "/Contents/x86_64-linux/" + info.completeBaseName() + ".so" : bundle;
}

// Copies a module into folder under a new name, renaming a bundle's library to match.
QString CopyModule(const QString& module, const QString& folder, const QString& newName)
{
    const QString copy = folder + "/" + newName + ".vst3";
    const QString library =
        QFileInfo(module).isDir() ? copy + "/Contents/x86_64-linux/" + newName + ".so" : copy;
    QDir().mkpath(QFileInfo(library).path());
    EXPECT_TRUE(QFile::copy(Library(module), library)) << library.toStdString();
    return copy;
}

// Moves a module's last-modified time by the given minutes.
void ShiftModuleTime(const QString& module, int minutes)
{
    const QString library = Library(module);
    TestSupport::SetModified(library, QFileInfo(library).lastModified().addSecs(60 * minutes));
}

// Changes when a file is replaced, even by one with the same bytes and time.
std::uint64_t FileIdentity(const QString& path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

const std::string kDelayId = "46575350010001004649585400000000";
const std::string kSplitterId = "030201000504070608090A0B0C0D0E0F";
const std::wstring kDelay(kDelayId.begin(), kDelayId.end());
const std::wstring kSplitter(kSplitterId.begin(), kSplitterId.end());

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

    // Applies one catalogue edit as the host application does; answers whether it asks for a rescan.
    bool Edit(const std::wstring& id, const std::function<void(PluginListEntry&)>& change)
    {
        const std::unique_ptr<VST3Host> host = setup.Host({folder});
        PluginTypeList edits = Listed(*host);
        change(edits.at(id));
        bool rescan = false;
        EXPECT_TRUE(host->ApplyCatalogueEdits(edits, rescan));
        return rescan;
    }

    ScanSetup setup;
    ScopedUI ui;
    // Where a test puts the modules it scans.
    const QString folder = setup.Scratch("plugins");
};
} // namespace

TEST_F(VST3HostTest, FirstScanRecordsEveryClassAndEveryModuleThatFailed)
{
    EXPECT_TRUE(setup.Run({setup.Scratch("empty"), setup.Effects() + "/no such folder"}));
    EXPECT_EQ(ReadFile(setup.Configuration()),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Effects version=\"1.1\">\n</Effects>\n");

    const QString fixtures = TestSupport::Vst3FixtureDir();
    EXPECT_TRUE(setup.Run({fixtures + "/good", fixtures + "/broken", fixtures + "/unicode"}));
    EXPECT_TRUE(setup.Markers().isEmpty());
    const auto entries = Entries(setup.Configuration());
    EXPECT_EQ(entries.size(), 23u + 3u) << "every audio class, and one entry per failed module";
    for (const std::string failed : {"Garbage", "EntryFails", "NoAudioClasses"})
    {
        const Entry& entry = entries.at(failed);
        EXPECT_EQ(entry.at("Name") + entry.at("Enabled") + entry.at("Working") + entry.at("Inputs"),
                  failed + "00-1");
        EXPECT_EQ(entry.at("Path"), Fixture("broken", failed.c_str()).toStdString());
    }
    EXPECT_EQ(entries.count("NoFactory"), 0u) << "a library without a factory is no module";
    // Described in UTF-16 only; the controller class is still passed over.
    const Entry& wide = entries.at("46575350120001004649585400000000");
    EXPECT_EQ(wide.at("Name"), "Fixture Ünïcode Delay 音 \xF0\x9D\x84\x9E");
    EXPECT_EQ(wide.at("Vendor") + " " + wide.at("Categories"), "Fixtures Ĳssel Ørsted Fx|Delay");

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
}

TEST_F(VST3HostTest, OnlyChangedModulesAreProbedAgainKeepingTheUsersChoices)
{
    const QString two = CopyModule(Fixture("good", "TwoEffects"), folder, "TwoEffects");
    ASSERT_TRUE(setup.Run({folder}));
    const std::uint64_t written = FileIdentity(setup.Configuration());
    {
        FixtureReport report;
        EXPECT_FALSE(setup.Run({folder}));
        EXPECT_TRUE(report.Lines().empty());
    }
    EXPECT_EQ(FileIdentity(setup.Configuration()), written) << "not rewritten";

    EXPECT_FALSE(Edit(kDelay,
                      [](PluginListEntry& delay)
                      {
                          delay.favourite = 1;
                          delay.categoryMask = 0x400;
                      }));
    ShiftModuleTime(two, 3);
    FixtureReport report;
    EXPECT_TRUE(setup.Run({folder}));
    EXPECT_EQ(report.Lines("ModuleEntry"), std::vector<std::string>{"ModuleEntry TwoEffects"});
    const Entry delay = Entries(setup.Configuration()).at(kDelayId);
    EXPECT_EQ(delay.at("FileTime"), FileTime(two));
    EXPECT_EQ(delay.at("Favourite") + "/" + delay.at("CategoryMask"), "1/8")
        << "Dynamics, in the file's form";
}

// What runs that died inside a probe leave behind; a shell's marker and a broken one are dropped.
TEST_F(VST3HostTest, LeftoverMarkersBecomeDisabledEntriesUntilTheUserEnablesThem)
{
    const QString two = CopyModule(Fixture("good", "TwoEffects"), folder, "TwoEffects");
    const QString lost = setup.Effects() + "/nowhere/Lost x64.vst3";
    WriteFile(setup.Effects() + "/TwoEffects.scan3", Marker(two, FileTime(two), "TwoEffects"));
    WriteFile(setup.Effects() + "/Lost .scan3", Marker(lost, "2021-02-03 04:05", "Lost &amp; Found"));
    WriteFile(setup.Effects() + "/old/Shell.scan3",
              Marker("/vst3/WaveShell1-VST3 9.0_x64.vst3", "2020-01-01 00:00", "WaveShell1-VST3 9.0_"));
    WriteFile(setup.Effects() + "/Broken.scan3", "<CrashedPlugin><Path>/x/Broken.vst3</Path>");
    EXPECT_TRUE(setup.Host({folder})->LoadKnownPlugins());
    EXPECT_TRUE(setup.Markers().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(setup.Effects() + "/old/Shell.scan3"));
    auto entries = Entries(setup.Configuration());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries.at("TwoEffects").at("Enabled") + entries.at("TwoEffects").at("Working"), "00");
    const Entry& entry = entries.at("Lost & Found");
    EXPECT_EQ(entry.at("Path"), lost.toStdString());
    EXPECT_EQ(entry.at("FileTime") + entry.at("Enabled") + entry.at("Working"), "2021-02-03 04:0500");
    EXPECT_TRUE(ReadFile(setup.Configuration()).contains("<Name>Lost &amp; Found</Name>"));
    {
        FixtureReport report;
        ShiftModuleTime(two, 5);
        setup.Run({folder});
        EXPECT_TRUE(report.Lines().empty()) << "not probed again, even once the file changed";
    }

    EXPECT_TRUE(Edit(L"TwoEffects",
                     [](PluginListEntry& crashed)
                     {
                         EXPECT_EQ(crashed.state, PluginListEntry::State::NotWorking);
                         crashed.state = PluginListEntry::State::Enabled;
                         crashed.name = L"Renamed";
                     }));
    const Entry enabled = Entries(setup.Configuration()).at("TwoEffects");
    EXPECT_EQ(enabled.at("Enabled") + enabled.at("Working") + enabled.at("FileTime"), "11");
    EXPECT_EQ(enabled.at("Name"), "TwoEffects") << "names are not taken over";
    FixtureReport report;
    EXPECT_TRUE(setup.Run({folder}));
    EXPECT_EQ(report.Lines("ModuleEntry"), std::vector<std::string>{"ModuleEntry TwoEffects"});
    entries = Entries(setup.Configuration());
    EXPECT_EQ(entries.count("TwoEffects"), 0u);
    EXPECT_EQ(entries.count(kDelayId) + entries.count(kSplitterId), 2u);
}

// A marker must be found again by the next run whatever the module is called.
TEST(VST3CrashMarkerTest, LandsVisiblyInTheEffectsFolderAndKeepsTheTrueName)
{
    QTemporaryDir effects;
    for (const std::wstring& name :
         {std::wstring(L"Comp "), std::wstring(), std::wstring(L".."), std::wstring(L".hidden"),
          std::wstring(L"a/../../b"), std::wstring(300, L'é')})
    {
        const QString marker = VST3CrashMarker::PathFor(effects.path(), name);
        VST3CrashMarker::Write(marker, "/vst3/a&b.vst3", "2024-05-06 07:08", name);
        const QFileInfo info(marker);
        EXPECT_EQ(info.absolutePath(), effects.path());
        EXPECT_FALSE(info.fileName().startsWith('.'));
        EXPECT_TRUE(info.fileName().endsWith(".scan3"));
        EXPECT_LE(info.fileName().toUtf8().size(), 255);
        ASSERT_EQ(QDir(effects.path()).entryList({"*.scan3"}, QDir::Files).size(), 1);
        const VST3EffectRecord read = VST3CrashMarker::Read(marker);
        EXPECT_EQ(read.name, name);
        EXPECT_EQ(read.path + " " + read.fileTime, "/vst3/a&b.vst3 2024-05-06 07:08");
        EXPECT_FALSE(read.enabled);
        EXPECT_FALSE(QFileInfo::exists(marker)) << "read markers are gone";
    }
    EXPECT_TRUE(VST3CrashMarker::PathFor(effects.path(), L"Comp ").endsWith("/Comp .scan3"));
}

// A file that does not parse is the user's data still: nothing is written over it.
TEST_F(VST3HostTest, ABrokenFileIsLeftAsItIsWithTheMarkersBesideIt)
{
    const QByteArray malformed = "<Effects version=\"1.1\"><Effect>";
    WriteFile(setup.Configuration(), malformed);
    WriteFile(setup.Effects() + "/Kept.scan3", Marker("/vst3/Kept.vst3", "2000-01-01 00:00", "Kept"));
    EXPECT_FALSE(setup.Host({})->LoadKnownPlugins());
    EXPECT_EQ(setup.Markers(), QStringList{"Kept.scan3"});
    EXPECT_EQ(ReadFile(setup.Configuration()), malformed);
}

// Two shells deliver the same class: the newer version stays, whichever comes first.
TEST_F(VST3HostTest, ACancelledOrStoppedScanEndsAfterTheModuleUnderWayAndTheNewerShellWins)
{
    const QString older = setup.Scratch("older");
    const QString newer = setup.Scratch("newer");
    CopyModule(Fixture("good", "Instrument"), older, "WaveShell1-VST3 9.0_x64");
    CopyModule(Fixture("good", "Instrument"), newer, "WaveShell1-VST3 10.0_x64");
    CopyModule(Fixture("good", "PlainFile"), newer, "Plain");
    ui->cancelled = true; // as a user closes the scanner's window
    EXPECT_TRUE(setup.Run({older, newer}));
    EXPECT_EQ(Entries(setup.Configuration()).size(), 1u) << "ended after the module under way";
    ui->cancelled = false;
    for (const QStringList& folders : {QStringList{older, newer}, QStringList{newer, older}})
    {
        QFile::remove(setup.Configuration());
        setup.Run(folders);
        EXPECT_EQ(Entries(setup.Configuration()).at("46575350020001004649585400000000").at("Path"),
                  (newer + "/WaveShell1-VST3 10.0_x64.vst3").toStdString());
    }
    // Another thread's StopScan ends the scan the same way.
    QFile::remove(setup.Configuration());
    const std::unique_ptr<VST3Host> host = setup.Host({older, newer});
    ui->onMessage = [&host](const std::wstring&) { host->StopScan(); };
    host->LoadKnownPlugins();
    EXPECT_TRUE(host->LaunchScanner(true, true));
    ui->onMessage = nullptr;
    EXPECT_EQ(Entries(setup.Configuration()).size(), 1u);
}

TEST_F(VST3HostTest, CatalogueSeesStatesWidthsAndItsOwnEdits)
{
    CopyModule(Fixture("good", "TwoEffects"), folder, "TwoEffects");
    setup.Run({folder});
    const std::unique_ptr<VST3Host> host = setup.Host({folder});
    EXPECT_FALSE(host->ConfigurationChanged()) << "Initialise noted the file's time";
    PluginTypeList list = Listed(*host);
    EXPECT_EQ(list.at(kDelay).state, PluginListEntry::State::Enabled);
    EXPECT_EQ(list.at(kSplitter).width, 2) << "the outputs";

    list.at(kDelay).state = PluginListEntry::State::Disabled;
    bool rescan = false;
    EXPECT_TRUE(host->ApplyCatalogueEdits(list, rescan));
    EXPECT_FALSE(host->ApplyCatalogueEdits(list, rescan)) << "nothing left to change";
    EXPECT_EQ(Entries(setup.Configuration()).at(kDelayId).at("Enabled"), "0");
    // As when a scanner process rewrote the file.
    TestSupport::SetModified(setup.Configuration(), QDateTime::currentDateTime().addSecs(60));
    EXPECT_TRUE(host->ConfigurationChanged());
    EXPECT_FALSE(host->ConfigurationChanged());

    host->SetMetadataWidth(kSplitter, 6);
    PluginTypeList again;
    host->FillPluginList(again);
    EXPECT_EQ(again.at(kDelay).state, PluginListEntry::State::Disabled);
    EXPECT_EQ(again.at(kSplitter).width, 6);
}
