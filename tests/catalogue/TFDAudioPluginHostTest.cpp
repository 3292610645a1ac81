#include "Core/BaseLib/AudioPlugins/TFDAudioPluginHost.h"
#include "CatalogueTestSupport.h"
#include "Core/BaseLib/AudioPlugins/FavouritesFile.h"
#include "Main/StudioModel/StudioModel.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <tuple>
#include <vector>

using namespace CatalogueTest;

namespace
{
class TFDAudioPluginHostTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        m_registry.plugins[L"Equaliser:1"] = {L"Equaliser", 2, true, kEq, 0};
        m_registry.plugins[L"Room:2"] = {L"Room", 2, false, kReverb, 0};
        m_registry.plugins[L"Optional:3"] = {L"Optional", 2, false, 0, TFDRegisteredPlugin::kOptional};
    }
    void TearDown() override
    {
        if (m_host)
            m_host->Shutdown();
        StudioModel::Instance().SetGlobalSetting(StudioModel::kPluginVisibility, 0);
    }

    TFDAudioPluginHost* Start()
    {
        m_host = TFDAudioPluginHost::GetInstance();
        m_host->AttachRegistry(&m_registry);
        m_host->Initialise(m_folder.path().toStdWString(), L"", 44100, 512);
        return m_host;
    }
    QString FavouritesPath() const { return m_folder.filePath(FavouritesFile::kFileName); }

    QTemporaryDir m_folder;
    TestRegistry m_registry;
    TFDAudioPluginHost* m_host = nullptr;
};
} // namespace

TEST_F(TFDAudioPluginHostTest, FavouritesFileIsWrittenLineByLineWithFileMasks)
{
    const QByteArray expected = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                "<Effects version=\"1.2\">\n"
                                "\t<Effect>\n\t\t<ID>Equaliser:1</ID>\n\t\t<Favourite>1</Favourite>\n"
                                "\t\t<CategoryMask>16</CategoryMask>\n\t</Effect>\n"
                                "\t<Effect>\n\t\t<ID>Optional:3</ID>\n\t\t<Favourite>0</Favourite>\n"
                                "\t\t<CategoryMask>0</CategoryMask>\n\t</Effect>\n"
                                "\t<Effect>\n\t\t<ID>Room:2</ID>\n\t\t<Favourite>0</Favourite>\n"
                                "\t\t<CategoryMask>16384</CategoryMask>\n\t</Effect>\n"
                                "</Effects>\n";
    ASSERT_TRUE(FavouritesFile::Write(FavouritesPath(), m_registry.plugins));
    EXPECT_EQ(ReadFile(FavouritesPath()), expected);
    EXPECT_TRUE(FavouritesFile::Format({{L"A&B<C", {}}}).contains("<ID>A&amp;B&lt;C</ID>"));
    EXPECT_FALSE(FavouritesFile::Write(m_folder.filePath("missing/x.xml"), m_registry.plugins));
}

TEST_F(TFDAudioPluginHostTest, ReadingFavouritesSetsFlagsClearsCategoriesAndStopsAtTheFirstFault)
{
    // The file, then Room's and Equaliser's favourite mark and category mask after reading it.
    const std::vector<std::tuple<QByteArray, bool, std::uint32_t, bool, std::uint32_t>> cases = {
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Effects version=\"9\">\n"
         "<Effect><ID>Room:2</ID><Favourite>1</Favourite><CategoryMask>16</CategoryMask></Effect>\n"
         "<Effect><ID>Unknown:9</ID><Favourite>1</Favourite></Effect>\n"
         "<Effect><ID>Equaliser:1</ID><Favourite>0</Favourite></Effect>\n</Effects>\n",
         true, 0, false, 0},
        // The second Effect lacks its Favourite: reading stops there.
        {"<Effects><Effect><ID>Room:2</ID><Favourite>1</Favourite></Effect>"
         "<Effect><ID>Equaliser:1</ID></Effect></Effects>",
         true, 0, true, kEq},
        {"<Effects><Effect>", false, kReverb, true, kEq},
    };
    for (const auto& [file, roomFavourite, roomMask, equaliserFavourite, equaliserMask] : cases)
    {
        SCOPED_TRACE(file.constData());
        WriteFile(FavouritesPath(), file);
        TFDRegisteredPlugins plugins = m_registry.plugins;
        FavouritesFile::Read(FavouritesPath(), plugins);
        EXPECT_EQ(plugins.size(), m_registry.plugins.size());
        const TFDRegisteredPlugin &room = plugins.at(L"Room:2"), &equaliser = plugins.at(L"Equaliser:1");
        EXPECT_EQ(std::make_pair(room.favourite, room.categoryMask), std::make_pair(roomFavourite, roomMask));
        EXPECT_EQ(std::make_pair(equaliser.favourite, equaliser.categoryMask),
                  std::make_pair(equaliserFavourite, equaliserMask));
    }
}

TEST_F(TFDAudioPluginHostTest, ListsWhatIsOfferedAndWritesEditsBackOnlyWhenSomethingChanged)
{
    m_registry.plugins[L"Hidden:4"] = {L"Hidden", 2, false, 0, 4};
    PluginTypeList list{{L"stale", PluginListEntry()}};
    EXPECT_TRUE(Start()->FillPluginList(list));
    EXPECT_EQ(list.count(L"stale"), 0u);
    EXPECT_EQ(list.count(L"Optional:3"), 0u);
    EXPECT_EQ(list.at(L"Equaliser:1").categoryMask, kEq);
    EXPECT_EQ(list.at(L"Equaliser:1").favourite, 1u);
    EXPECT_EQ(list.at(L"Hidden:4").state, PluginListEntry::State::Disabled);
    EXPECT_FALSE(m_host->ApplyCatalogueEdits(list));
    EXPECT_FALSE(QFileInfo::exists(FavouritesPath()));

    list[L"Room:2"].favourite = 1;
    list[L"Equaliser:1"].categoryMask = kEq | kReverb;
    EXPECT_TRUE(m_host->ApplyCatalogueEdits(list));
    EXPECT_TRUE(ReadFile(FavouritesPath()).contains("<CategoryMask>16400</CategoryMask>"));

    // Read back by a fresh host: the marks survive, the categories are the catalogue's to give.
    m_host->Shutdown();
    StudioModel::Instance().SetGlobalSetting(StudioModel::kPluginVisibility,
                                             StudioModel::kShowOptionalPlugins);
    const TFDRegisteredPlugins& reread = Start()->RegisteredPlugins();
    EXPECT_TRUE(reread.at(L"Room:2").favourite);
    EXPECT_TRUE(reread.at(L"Equaliser:1").favourite);
    EXPECT_EQ(reread.at(L"Equaliser:1").categoryMask, 0u);
    m_host->FillPluginList(list);
    EXPECT_EQ(list.count(L"Optional:3"), 1u) << "shown when the studio asks for optional plug-ins";
}
