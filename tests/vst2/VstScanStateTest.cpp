#include "Core/BaseLib/FileUtilities.h"
#include "Main/AudioEngineController/Effects/VST/VSTHost.h"
#include "Main/AudioEngineController/Effects/VST/VSTPlugin.h"
#include "Main/AudioEngineController/Effects/VST/VstConfigurationFile.h"
#include "Main/AudioEngineController/Effects/VST/VstCrashMarker.h"
#include "Vst2TestBase.h"

#include <QDir>

namespace
{
class VstScanStateTest : public Vst2TestBase
{
protected:
    QStringList Markers() const
    {
        return QDir(EffectsFolder()).entryList({QStringLiteral("*.scan")}, QDir::Files);
    }
    int ProbeEntries() const { return ReportLines().filter(QStringLiteral("# entry")).size(); }
    // One catalogue edit as the host application makes it; answers whether anything changed.
    static bool Edit(const std::wstring& id, const wchar_t* name, PluginListEntry::State state,
                     bool& rescanNeeded, std::uint32_t mask = 0, bool favourite = false)
    {
        PluginListEntry entry;
        entry.name = name;
        entry.state = state;
        entry.categoryMask = mask;
        entry.favourite = favourite;
        return VSTHost::GetInstance()->ApplyCatalogueEdits({{id, entry}}, rescanNeeded);
    }
};

const QDateTime kMinute(QDate(2020, 1, 1), QTime(10, 0, 10));
} // namespace

TEST_F(VstScanStateTest, OnlyFilesTouchedSinceTheLastRunAreProbedAgainKeepingTheUsersChoices)
{
    EXPECT_TRUE(Scan({Folder("empty"), m_root.filePath(QStringLiteral("missing"))}));
    EXPECT_EQ(ConfigurationBytes(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Effects version=\"1.4\">\n</Effects>\n");

    const QString plugins = Folder("plugins");
    for (const char* fixture : {"probe/FixtureProbe.so", "good/FixtureEffect.so", "good/FixtureShell.so"})
        TestSupport::SetModified(Copy(fixture, plugins), kMinute);
    EXPECT_TRUE(Scan({plugins}));
    EXPECT_EQ(m_ui->Probed(), QStringList({"FixtureEffect.so", "FixtureProbe.so", "FixtureShell.so",
                                           "Shell ../Beta: A/B", "Shell Alpha", "Shell Gamma"}));
    const std::vector<VstEffectRecord> entries = Configuration();
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[2].id, L"Shell ../Beta: A/B:2002");
    EXPECT_TRUE(Markers().isEmpty());

    const QByteArray written = ConfigurationBytes();
    EXPECT_FALSE(Scan({plugins}));
    EXPECT_EQ(ProbeEntries(), 1);
    EXPECT_EQ(ConfigurationBytes(), written);

    bool rescanNeeded = false;
    const auto probe = PluginListEntry::State::Enabled;
    EXPECT_TRUE(Edit(L"Fixture Probe:1301", L"Fixture Probe [2.4]", probe, rescanNeeded, 0x80, true));
    EXPECT_FALSE(rescanNeeded);
    EXPECT_FALSE(Edit(L"Fixture Probe:1301", L"Fixture Probe", probe, rescanNeeded, 0x80, true));

    // A changed shell is listed again, but sub-plug-ins it had before are not loaded.
    TestSupport::SetModified(plugins + "/FixtureProbe.so", kMinute.addSecs(300));
    TestSupport::SetModified(plugins + "/FixtureShell.so", kMinute.addSecs(300));
    EXPECT_TRUE(Scan({plugins}));
    EXPECT_EQ(m_ui->Probed().mid(6), QStringList({"FixtureProbe.so", "FixtureShell.so"}));
    const VstEffectRecord* edited = Entry(L"Fixture Probe:1301");
    ASSERT_NE(edited, nullptr);
    EXPECT_EQ(edited->fileTime, L"2020-01-01 10:05");
    EXPECT_EQ(edited->categoryMask, 0x80u);
    EXPECT_TRUE(edited->favourite);
    EXPECT_EQ(Entry(L"Shell Alpha:2001")->fileTime, L"2020-01-01 10:05");
    EXPECT_EQ(Entry(L"Fixture Effect:1001")->fileTime, L"2020-01-01 10:00");
}

// Two plug-ins of one name are told apart by their files' names.
TEST_F(VstScanStateTest, EachNameIsRecordedOnceAndTheNewerShellWins)
{
    const QString plugins = Folder("plugins");
    Copy("names/TwinA.so", plugins);
    Copy("names/TwinB.so", plugins);
    Scan({plugins});
    EXPECT_EQ(Entry(L"Fixture Twin:1101")->name, L"Fixture Twin");
    EXPECT_EQ(Entry(L"Fixture Twin:1102")->name, L"TwinB");

    // Shell files of one identifier: the higher version wins, whichever comes first.
    const QString rising = Folder("rising");
    Copy("names/Clone.so", rising, "WaveShell1-VST 9.3_x64.so");
    Copy("names/Clone.so", rising, "WaveShell2-VST 10.0_x64.so");
    Scan({rising});
    EXPECT_EQ(Entry(L"Fixture Clone:1103")->path, (rising + "/WaveShell2-VST 10.0_x64.so").toStdWString());
    const QString falling = Folder("falling");
    Copy("names/Clone.so", falling, "WaveShell1-VST 12.0_x64.so");
    Copy("names/Clone.so", falling, "WaveShell2-VST 11.0_x64.so");
    Scan({falling});
    EXPECT_EQ(Entry(L"Fixture Clone:1103")->path, (falling + "/WaveShell1-VST 12.0_x64.so").toStdWString());
}

// What runs that died inside a probe leave behind; the marker of a shell no longer there is dropped.
TEST_F(VstScanStateTest, LeftoverMarkersBecomeCrashedEntriesUntilTheUserEnablesThem)
{
    const QString plugins = Folder("plugins");
    const QString crashy = Copy("probe/FixtureProbe.so", plugins, "Crashy.so");
    const QString shell = Copy("good/FixtureShell.so", plugins);
    const QString time = FileUtilities::FileTimeText(crashy);
    VstCrashMarker(EffectsFolder(), crashy, time, "Crashy", 0);
    VstCrashMarker(EffectsFolder(), "/vst/WaveShell1-VST 9.3_x64.so", time, "WaveShell Sub", 5);
    const VstCrashMarker beta(EffectsFolder(), shell, time, "Shell ../Beta: A/B", 2002);
    EXPECT_EQ(QFileInfo(beta.FilePath()).absolutePath(), EffectsFolder()) << "never outside the folder";
    EXPECT_EQ(VstCrashMarker::Read(beta.FilePath()).id, L"Shell ../Beta: A/B:2002");
    EXPECT_EQ(Markers().size(), 3);

    VSTHost& host = StartHost({plugins});
    EXPECT_TRUE(host.LoadKnownPlugins());
    EXPECT_TRUE(Markers().isEmpty());
    EXPECT_EQ(Configuration().size(), 2u) << "written at once";
    host.LaunchScanner(true, true);
    EXPECT_EQ(m_ui->Probed(), QStringList({"FixtureShell.so", "Shell Alpha", "Shell Gamma"}));
    EXPECT_EQ(ProbeEntries(), 0);
    for (const wchar_t* id : {L"Crashy", L"Shell ../Beta: A/B"})
    {
        const VstEffectRecord* crashed = Entry(id);
        ASSERT_NE(crashed, nullptr);
        EXPECT_FALSE(crashed->enabled || crashed->working);
        EXPECT_EQ(crashed->fileTime, time.toStdWString());
    }
    EXPECT_FALSE(host.LoadKnownPlugins());
    host.LaunchScanner(false, false);

    bool rescanNeeded = false;
    EXPECT_TRUE(Edit(L"Crashy", L"Crashy", PluginListEntry::State::Enabled, rescanNeeded));
    EXPECT_TRUE(rescanNeeded);
    EXPECT_TRUE(Entry(L"Crashy")->working);
    EXPECT_TRUE(Entry(L"Crashy")->fileTime.empty());
    Scan({plugins});
    EXPECT_EQ(ProbeEntries(), 1);
    EXPECT_EQ(Entry(L"Crashy"), nullptr);
    EXPECT_TRUE(Entry(L"Fixture Probe:1301")->working);
}

// A run that died on B before it wrote A1 and A2 must not lose them again, whenever it dies.
TEST_F(VstScanStateTest, AfterACrashTheFindsAheadOfItAreWrittenOneByOne)
{
    const QString plugins = Folder("plugins");
    Copy("good/FixtureEffect.so", plugins, "A1.so");
    Copy("good/FixtureInstrument.so", plugins, "A2.so");
    const QString crashed = Copy("probe/FixtureProbe.so", plugins, "B.so");
    Copy("good/FixtureLegacy.so", plugins, "C.so");
    VstCrashMarker(EffectsFolder(), crashed, FileUtilities::FileTimeText(crashed), "B", 0);
    std::vector<std::size_t> writtenBefore;
    m_ui->onMessage = [this, &writtenBefore](const std::wstring&)
    { writtenBefore.push_back(Configuration().size()); };
    Scan({plugins});
    EXPECT_EQ(m_ui->Probed(), QStringList({"A1.so", "A2.so", "C.so"}));
    EXPECT_EQ(writtenBefore, (std::vector<std::size_t>{1, 2, 3}));
    EXPECT_EQ(Configuration().size(), 4u);
    EXPECT_FALSE(Entry(L"B")->working);
}

TEST_F(VstScanStateTest, UnloadableFilesAreRecordedDisabledAndSupportLibrariesTriedAgain)
{
    const QString plugins = Folder("plugins");
    for (const char* fixture :
         {"broken/NoEntryPoint.so", "broken/NotElf.so", "broken/BadMagic.so", "broken/NullEffect.so"})
        Copy(fixture, plugins);
    Scan({plugins});
    for (const wchar_t* id : {L"NotElf", L"BadMagic", L"NullEffect"})
    {
        const VstEffectRecord* broken = Entry(id);
        ASSERT_NE(broken, nullptr) << QString::fromWCharArray(id).toStdString();
        EXPECT_FALSE(broken->enabled || broken->working);
    }
    EXPECT_EQ(Entry(L"NoEntryPoint"), nullptr);
    EXPECT_EQ(Configuration().size(), 3u);
    EXPECT_TRUE(Markers().isEmpty());
    Scan({plugins});
    EXPECT_EQ(m_ui->Probed().mid(4), QStringList({"NoEntryPoint.so"}));
}

TEST_F(VstScanStateTest, CancellingOrStoppingKeepsWhatWasFound)
{
    const QString plugins = Folder("plugins");
    for (const char* fixture :
         {"good/FixtureEffect.so", "good/FixtureInstrument.so", "good/FixtureLegacy.so"})
        Copy(fixture, plugins);
    // As a user closes the scanner's window once the first probe started.
    m_ui->onMessage = [this](const std::wstring&) { m_ui->cancelled = !m_ui->Probed().isEmpty(); };
    EXPECT_TRUE(Scan({plugins}));
    EXPECT_EQ(m_ui->Probed().size(), 1);
    EXPECT_EQ(Configuration().size(), 1u);
    m_ui->cancelled = false;
    m_ui->onMessage = [](const std::wstring&) { VSTHost::GetInstance()->StopScan(); };
    Scan({plugins});
    EXPECT_EQ(m_ui->Probed().size(), 2);
    EXPECT_EQ(Configuration().size(), 2u);
}

TEST_F(VstScanStateTest, TheCatalogueSeesOfferablePluginsAndCreatesThemByIdentifier)
{
    VstActiveList known;
    for (const auto& [id, category, enabled, working] :
         {std::make_tuple(L"Off", 9u, true, true), std::make_tuple(L"Sh", 10u, true, true),
          std::make_tuple(L"DSh", 10u, false, true), std::make_tuple(L"Br", 1u, false, false)})
    {
        VstEffectRecord& record = known[id];
        record.path = std::wstring(L"/vst/") + id + L".so";
        record.id = record.name = id;
        record.category = category;
        record.enabled = enabled;
        record.working = working;
    }
    VstConfigurationFile(ConfigurationPath()).Write(known);
    VSTHost& host = StartHost();
    EXPECT_FALSE(host.ConfigurationChanged());
    TestSupport::SetModified(ConfigurationPath(), kMinute);
    EXPECT_TRUE(host.ConfigurationChanged());
    EXPECT_FALSE(host.ConfigurationChanged());
    host.LoadKnownPlugins();
    EXPECT_FALSE(host.LaunchScanner(false, false));
    PluginTypeList list;
    ASSERT_TRUE(host.FillPluginList(list));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[L"Br"].state, PluginListEntry::State::NotWorking);
    EXPECT_EQ(list[L"DSh"].state, PluginListEntry::State::Disabled);

    const QString plugins = Folder("plugins");
    Copy("good/FixtureShell.so", plugins);
    Copy("good/FixtureEffect.so", plugins);
    Scan({plugins});
    bool rescanNeeded = false;
    Edit(L"Fixture Effect:1001", L"Fixture Effect", PluginListEntry::State::Disabled, rescanNeeded);
    VSTHost& scanned = *VSTHost::GetInstance();
    EXPECT_EQ(scanned.LoadPlugin(L"Fixture Effect:1001", 0, PluginPlacement()), nullptr) << "disabled";
    AudioPlugin* sub = scanned.LoadPlugin(L"Waves Shell Alpha:2001", 128, PluginPlacement());
    ASSERT_NE(sub, nullptr) << "found again without the vendor of old identifiers";
    EXPECT_EQ(sub->GetIdentifierKey(), L"Shell Alpha:2001");
    EXPECT_EQ(sub->GetBlockSize(), 128u);
    EXPECT_TRUE(scanned.ReleasePlugin(sub));
}
