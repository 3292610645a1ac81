#include "Core/BaseLib/AudioPlugins/PluginHost.h"
#include "CatalogueTestSupport.h"
#include "Core/BaseLib/AudioPlugins/FavouritesFile.h"
#include "Core/BaseLib/AudioPlugins/PluginMetadata.h"
#include "Core/BaseLib/AudioPlugins/TFDAudioPluginHost.h"
#include "Core/BaseLib/ScanRequestFile.h"
#include "Main/StudioModel/StudioModel.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <thread>

using namespace CatalogueTest;

namespace
{
class PluginHostTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        m_root = m_folder.filePath("Preferences");
        m_registry.plugins[L"Room:2"] = {L"Room", 2, false, kReverb, 0};
        m_registry.plugins[L"Plain:5"] = {L"Plain", 0, false, 0, 0};
        m_registry.plugins[L"Synth:9"] = {L"Synth", 2, false, kInstrument, 0};
        m_registry.plugins[PluginHost::kChainPluginKey] = {L"Chain", 0, false, 0, 0};
        m_host = PluginHost::GetInstance();
        AudioPluginHost::SetCurrent(m_host);
    }
    void TearDown() override
    {
        m_host->Shutdown();
        m_host->Scanner().SetPath({});
        AudioPluginHost::GetPluginList().clear();
        AudioPluginHost::SetCurrent(nullptr);
    }

    void Start(const std::wstring& legacyRoot = L"")
    {
        TFDAudioPluginHost::GetInstance()->AttachRegistry(&m_registry);
        ASSERT_TRUE(m_host->Initialise(m_root.toStdWString(), legacyRoot, 48000, 1024));
        m_host->RefreshPluginList();
    }
    QString Effects(const QString& name = QString()) const { return m_root + "/Effects/" + name; }

    QTemporaryDir m_folder;
    QString m_root;
    TestRegistry m_registry;
    PluginHost* m_host = nullptr;
};
} // namespace

TEST_F(PluginHostTest, InitialiseMovesTheLegacyConfigurationAndFavouritesReachTheMenuAndTheFile)
{
    const QString legacy = m_folder.filePath("Legacy");
    ASSERT_TRUE(QDir().mkpath(legacy + "/Effects/Old"));
    WriteFile(legacy + "/Effects/FXConfiguration.xml", "<Effects version=\"1.4\"/>\n");
    Start(legacy.toStdWString());

    EXPECT_EQ(ReadFile(Effects("FXConfiguration.xml")), "<Effects version=\"1.4\"/>\n");
    EXPECT_FALSE(QFileInfo::exists(legacy + "/Effects"));

    const QString favourites = Effects(FavouritesFile::kFileName);
    m_host->SetFavourite(L"tfd:Room:2", true);
    EXPECT_TRUE(ReadFile(favourites).contains("<ID>Room:2</ID>\n\t\t<Favourite>1</Favourite>"));
    const std::unique_ptr<QMenu> menu(m_host->BuildPluginMenu(0, 0, nullptr, true));
    EXPECT_EQ(DescribeMenu(*menu).mid(0, 2), QStringList({"Room = tfd:Room:2", "----"}));

    PluginList edits;
    edits["tfd"] = AudioPluginHost::GetPluginList()["tfd"];
    edits["tfd"][L"Room:2"].favourite = 0;
    edits["tfd"][L"Plain:5"].categoryMask = kEq;
    m_host->ApplyPluginListEdits(edits);
    EXPECT_EQ(AudioPluginHost::GetPluginList()["tfd"][L"Plain:5"].categoryMask, kEq);
    EXPECT_TRUE(m_host->MenuData().Favourites().empty());
    EXPECT_TRUE(ReadFile(favourites).contains("<ID>Room:2</ID>\n\t\t<Favourite>0</Favourite>"));

    // The browser's category filter lives as long as the catalogue.
    const StudioModel& model = StudioModel::Instance();
    EXPECT_EQ(model.IntParameterText(PluginHost::kCategoryFilterParameter, 0), L"Favourites");
    m_host->Shutdown();
    EXPECT_EQ(model.IntParameterValueCount(PluginHost::kCategoryFilterParameter), 0);
}

TEST_F(PluginHostTest, ListsAndLoadsInHousePluginsChainPresetsAndPlaceholders)
{
    const QString presets = m_root + "/Presets/PLUGIN/Chain FX_1413890920";
    WriteFile(presets + "/Warm Vocal.dat", "x");
    WriteFile(presets + "/notes.txt", "x");
    Start();

    const PluginList& list = AudioPluginHost::GetPluginList();
    EXPECT_EQ(list.at("tfd").size(), 4u);
    EXPECT_EQ(list.at("chain").size(), 1u);
    EXPECT_EQ(list.at("chain").at(L"Chain FX:1413890920@Warm Vocal").name, L"Warm Vocal");
    EXPECT_EQ(m_host->CategoryMaskOf("tfd", L"Room:2"), kReverb);

    // Instruments are refused where a channel format is asked.
    std::wstring message;
    PluginPlacement placement;
    placement.channelFormat = 2;
    EXPECT_FALSE(m_host->CanInsertPlugin(L"tfd:Synth:9", placement, message));
    EXPECT_TRUE(m_host->CanInsertPlugin(L"tfd:Room:2", placement, message));
    placement.channelFormat = 0;
    EXPECT_TRUE(m_host->CanInsertPlugin(L"tfd:Synth:9", placement, message));

    // Loading routes by scheme.
    AudioPlugin* room = m_host->LoadPlugin(L"tfd:Room:2", 256, placement);
    ASSERT_NE(room, nullptr);
    EXPECT_EQ(static_cast<TestPlugin*>(room)->blockSize, 256u);
    auto* chain =
        static_cast<TestPlugin*>(m_host->LoadPlugin(L"chain:Chain FX:1413890920@Warm Vocal", 0, placement));
    ASSERT_NE(chain, nullptr);
    EXPECT_EQ(chain->GetIdentifierKey(), PluginHost::kChainPluginKey);
    EXPECT_EQ(chain->presetName, L"Warm Vocal");
    EXPECT_EQ(QString::fromStdWString(chain->presetFolder), presets);
    EXPECT_EQ(m_host->LoadPlugin(L"chain:Chain FX:1413890920", 0, placement), nullptr);
    EXPECT_EQ(m_host->LoadPlugin(L"vst3:0123456789ABCDEF0123456789ABCDEF", 0, placement), nullptr);
    EXPECT_TRUE(m_host->ReleasePlugin(room));
    EXPECT_TRUE(m_host->ReleasePlugin(chain));
    EXPECT_EQ(m_registry.destroyed, 2);

    // A missing plug-in's placeholder keeps its state, and is handed out once.
    PluginState missing;
    missing.identifier = L"vst2:Lost Verb:77";
    missing.data = "state";
    const std::wstring id = m_host->MakePlaceholder(L"#3", 2, missing, 128, L"text", 0);
    EXPECT_EQ(id, L"placeholder:Lost Verb:77#3");
    AudioPlugin* placeholder = m_host->LoadPlugin(id, 512, {});
    ASSERT_NE(placeholder, nullptr);
    PluginState stored;
    placeholder->StorePreset(stored);
    EXPECT_EQ(stored.data, "state");
    EXPECT_EQ(m_host->LoadPlugin(id, 512, {}), nullptr);
    EXPECT_TRUE(m_host->ReleasePlugin(placeholder));

    // An in-process scan, or a reload, writes the request and starts no scanner, though one is there.
    ScopedUI ui;
    m_host->Scanner().SetPath(QStringLiteral(TEST_SCANNER));
    EXPECT_TRUE(m_host->LaunchScanner(true, true));
    EXPECT_TRUE(m_host->LaunchScanner(false, false));
    EXPECT_FALSE(m_host->Scanner().IsRunning());
    EXPECT_EQ(ui->messages, std::vector<std::wstring>(2, L"Plugin Scan Complete"));
    EXPECT_FALSE(QFileInfo::exists(Effects("runs.log")));
    EXPECT_EQ(ReadFile(m_host->ScanRequestPath()), ScanRequestFile::Format({}));
}

TEST_F(PluginHostTest, FixedDevicesOutliveReleasesAndOtherThreadsReleaseThroughTheOwner)
{
    Start();
    const int before = TestPlugin::live;
    auto* click = new TestPlugin(L"Click");
    m_host->AddFixedDevice(L"fixed:Click", click);
    EXPECT_EQ(m_host->LoadPlugin(L"fixed:Click", 0, {}), click);
    EXPECT_FALSE(m_host->ReleasePlugin(click));
    m_host->SetBlockSize(333);
    EXPECT_EQ(click->blockSize, 333u);

    auto* plugin = new TestPlugin;
    std::thread([this, plugin] { EXPECT_TRUE(m_host->ReleasePlugin(plugin)); }).join();
    std::thread([this] { m_host->ReleaseDeferredPlugins(); }).join();
    EXPECT_EQ(TestPlugin::live, before + 2);
    m_host->ReleaseDeferredPlugins();
    EXPECT_EQ(TestPlugin::live, before + 1);

    EXPECT_TRUE(m_host->Start());
    EXPECT_TRUE(m_host->End());
    EXPECT_EQ(TestPlugin::live, before);
    EXPECT_EQ(m_host->FindFixedDevice(L"fixed:Click"), nullptr);
}

// Files of all folders are read in one sorted order, installed ones before the
// compiled-in ones, so that an installed file can correct what the program
// ships; the first file naming an id wins.
TEST(PluginMetadata, FirstFileNamingAnIdWins)
{
    PluginHost::GetInstance();
    QTemporaryDir folder;
    WriteFile(folder.filePath("a.xml"),
              "<Effects type=\"tfd\"><Effect id=\"One\" category=\"eq\" width=\"2\"/>"
              "<Effect id=\"Two\"/><Effect id=\"Three\" category=\"rvb\"/></Effects>");
    WriteFile(folder.filePath("b/c.xml"), "<Effects type=\"tfd\"><Effect id=\"One\" category=\"rvb\"/>"
                                          "<Effect id=\"Three\" category=\"dummy|rvb\"/></Effects>");
    WriteFile(folder.filePath("broken.xml"), "<Effects type=\"lv2\"><Effect");
    WriteFile(
        folder.filePath("z.xml"),
        "<Effects type=\"vst\"><Effect id=\"Dragonfly Hall Reverb:1684435505\" category=\"eq\"/></Effects>");
    PluginMetadata metadata;
    metadata.Load({PluginMetadata::kResourceFolder, folder.path()});

    const PluginMetadata::TypeEntries* tfd = metadata.Find("tfd");
    ASSERT_NE(tfd, nullptr);
    EXPECT_EQ(tfd->at(L"One").categoryMask, kEq);
    EXPECT_EQ(tfd->at(L"One").width, 2);
    // The Effect without a category ended its file: Three comes from the next one.
    EXPECT_EQ(tfd->at(L"Three").categoryMask, 1u | kReverb);
    EXPECT_EQ(tfd->count(L"Two"), 0u);
    EXPECT_EQ(metadata.Find("lv2"), nullptr);
    const PluginMetadata::TypeEntries* vst = metadata.Find("vst");
    ASSERT_NE(vst, nullptr);
    EXPECT_EQ(vst->at(L"Dragonfly Hall Reverb:1684435505").categoryMask, kEq);
    EXPECT_EQ(vst->count(L"ZamComp:1514360144"), 1u);

    // Metadata fills in where a plug-in names no category of its own.
    PluginList list{{"tfd", {{L"One", {}}, {L"Three", {}}}}};
    list["tfd"][L"Three"].categoryMask = 0x4;
    metadata.ApplyCategories(list);
    EXPECT_EQ(list["tfd"][L"One"].categoryMask, kEq);
    EXPECT_EQ(list["tfd"][L"Three"].categoryMask, 0x4u);
}
