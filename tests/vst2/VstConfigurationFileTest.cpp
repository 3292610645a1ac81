#include "Main/AudioEngineController/Effects/VST/VstConfigurationFile.h"
#include "Core/BaseLib/AudioPlugins/AudioPluginHost.h"
#include "support/TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
class VstConfigurationFileTest : public ::testing::Test
{
protected:
    VstKnownList Read(const QByteArray& text, bool& rewriteNeeded)
    {
        QFile file(Path());
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(text);
        file.close();
        VstKnownList known;
        VstConfigurationFile(Path()).Read(known, rewriteNeeded);
        return known;
    }
    QString Path() const { return m_folder.filePath(QStringLiteral("FXConfiguration.xml")); }
    QByteArray Bytes() const
    {
        QFile file(Path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_folder;
};

QByteArray Effects(const QByteArray& version, const QByteArray& effects)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Effects" + version + ">" + effects + "</Effects>\n";
}
} // namespace

TEST_F(VstConfigurationFileTest, WritesEveryEntryInIdentifierOrderByteForByte)
{
    VstEffectRecord plain;
    plain.path = L"/vst/Tom & Jerry.so";
    plain.fileTime = L"2024-03-01 09:05";
    plain.name = L"Tom <Jerry>";
    plain.id = L"Tom:-7";
    plain.vendor = L"Tom & Jerry";
    plain.category = 1;
    plain.categoryMask = 0x800; // "EQ", file bit value 0x10
    plain.favourite = true;
    plain.working = false;
    VstEffectRecord sub = plain;
    sub.path = L"/vst/Shell.so";
    sub.id = L"Sub:7";
    sub.category = 0xFFFFFFFF;
    sub.categoryMask = 0;
    sub.favourite = false;
    sub.width = 2;
    sub.enabled = false;
    sub.subName = L"Sub";
    sub.subId = 3000000000u;
    const VstActiveList active = {{sub.id, sub}, {plain.id, plain}};

    VstConfigurationFile configuration(Path());
    ASSERT_TRUE(configuration.Write(active));
    EXPECT_EQ(Bytes().toStdString(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                     "<Effects version=\"1.4\">\n"
                                     "\t<Effect>\n"
                                     "\t\t<Path>/vst/Shell.so</Path>\n"
                                     "\t\t<FileTime>2024-03-01 09:05</FileTime>\n"
                                     "\t\t<Name>Tom &lt;Jerry></Name>\n"
                                     "\t\t<ID>Sub:7</ID>\n"
                                     "\t\t<Category>-1</Category>\n"
                                     "\t\t<CategoryMask>0</CategoryMask>\n"
                                     "\t\t<Favourite>0</Favourite>\n"
                                     "\t\t<Vendor>Tom &amp; Jerry</Vendor>\n"
                                     "\t\t<Width>2</Width>\n"
                                     "\t\t<Enabled>0</Enabled>\n"
                                     "\t\t<Working>0</Working>\n"
                                     "\t\t<SubEffect>\n"
                                     "\t\t\t<Name>Sub</Name>\n"
                                     "\t\t\t<ID>3000000000</ID>\n"
                                     "\t\t</SubEffect>\n"
                                     "\t</Effect>\n"
                                     "\t<Effect>\n"
                                     "\t\t<Path>/vst/Tom &amp; Jerry.so</Path>\n"
                                     "\t\t<FileTime>2024-03-01 09:05</FileTime>\n"
                                     "\t\t<Name>Tom &lt;Jerry></Name>\n"
                                     "\t\t<ID>Tom:-7</ID>\n"
                                     "\t\t<Category>1</Category>\n"
                                     "\t\t<CategoryMask>16</CategoryMask>\n"
                                     "\t\t<Favourite>1</Favourite>\n"
                                     "\t\t<Vendor>Tom &amp; Jerry</Vendor>\n"
                                     "\t\t<Width>-1</Width>\n"
                                     "\t\t<Enabled>1</Enabled>\n"
                                     "\t\t<Working>0</Working>\n"
                                     "\t</Effect>\n"
                                     "</Effects>\n");

    // Read back, the unsigned sub-plug-in id and the mask survive.
    bool rewriteNeeded = false;
    VstKnownList known;
    configuration.Read(known, rewriteNeeded);
    EXPECT_FALSE(rewriteNeeded);
    ASSERT_EQ(known.size(), 2u);
    EXPECT_EQ(known.find(QStringLiteral("Shell.so"))->second.subId, 3000000000u);
    EXPECT_EQ(known.find(QStringLiteral("Tom & Jerry.so"))->second.categoryMask, 0x800u);

    // An empty list still makes a valid file; a place that cannot be written
    // is skipped, leaving nothing behind.
    ASSERT_TRUE(configuration.Write({}));
    EXPECT_EQ(Bytes(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Effects version=\"1.4\">\n</Effects>\n");
    EXPECT_FALSE(VstConfigurationFile(m_folder.filePath(QStringLiteral("missing/FX.xml"))).Write(active));
    EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::Files), QStringList({"FXConfiguration.xml"}));
}

TEST_F(VstConfigurationFileTest, OlderVersionsLoseTheirFileTimesAndEarlyOnesTheirMasks)
{
    const QString plugin = m_folder.filePath(QStringLiteral("Foo.so"));
    TestSupport::WriteFile(plugin, {});
    TestSupport::SetModified(plugin, QDateTime(QDate(2021, 6, 7), QTime(8, 9, 10)));
    const QByteArray effect =
        "<Effect><Path>" + plugin.toUtf8() +
        "</Path><FileTime>1999-01-01 00:00</FileTime><CategoryMask>5</CategoryMask></Effect>";

    const std::uint32_t mask = AudioPluginHost::FileMaskToRuntime(5);
    bool rewriteNeeded = false;
    for (const auto& [version, rewrite, expectedMask, time] :
         {std::make_tuple("1.2", true, 0u, L"2021-06-07 08:09"),
          std::make_tuple("1.3", true, mask, L"2021-06-07 08:09"),
          std::make_tuple("1.4", false, mask, L"1999-01-01 00:00")})
    {
        SCOPED_TRACE(version);
        rewriteNeeded = false;
        const VstKnownList known =
            Read(Effects(" version=\"" + QByteArray(version) + "\"", effect), rewriteNeeded);
        ASSERT_EQ(known.size(), 1u);
        EXPECT_EQ(rewriteNeeded, rewrite);
        EXPECT_EQ(known.begin()->second.categoryMask, expectedMask);
        EXPECT_EQ(known.begin()->second.fileTime, time);
    }
    EXPECT_TRUE(Read(Effects("", effect), rewriteNeeded).empty()) << "no version, nothing trusted";
    EXPECT_TRUE(Read("<Effects version=\"1.4\"><Effect><Path>/a.so</Path>", rewriteNeeded).empty());
}
