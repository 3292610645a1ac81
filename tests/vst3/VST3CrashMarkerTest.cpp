#include "Main/AudioEngineController/Effects/VST3/VST3CrashMarker.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A marker must be found again by the next run whatever the module is called.
TEST(VST3CrashMarkerTest, LandsVisiblyInTheEffectsFolderAndKeepsTheTrueName)
{
    QTemporaryDir effects;
    const std::wstring longName(300, L'\u00e9');
    for (const std::wstring& name : {std::wstring(L"Comp "), std::wstring(), std::wstring(L".."),
                                     std::wstring(L".hidden"), std::wstring(L"a/../../b"), longName})
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
        EXPECT_EQ(read.path, "/vst3/a&b.vst3");
        EXPECT_EQ(read.fileTime, "2024-05-06 07:08");
        EXPECT_FALSE(read.enabled);
        EXPECT_FALSE(QFileInfo::exists(marker)) << "read markers are gone";
    }
    EXPECT_TRUE(VST3CrashMarker::PathFor(effects.path(), L"Comp ").endsWith("/Comp .scan3"));
}
