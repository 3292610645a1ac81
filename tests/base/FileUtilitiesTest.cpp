#include "Core/BaseLib/FileUtilities.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <clocale>
#include <gtest/gtest.h>

TEST(FileUtilitiesTest, AtomicWritesReplaceAndLeaveNothingBehind)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("FXConfiguration.xml");
    ASSERT_TRUE(FileUtilities::WriteAtomically(path, "old contents"));
    ASSERT_TRUE(FileUtilities::WriteAtomically(path, "new"));
    EXPECT_EQ(TestSupport::ReadFile(path), "new");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"FXConfiguration.xml"});
    EXPECT_TRUE(QFileInfo(path).permissions() & QFileDevice::ReadOther);
    EXPECT_FALSE(FileUtilities::WriteAtomically(dir.filePath("missing/file.xml"), "x"));
}

TEST(FileUtilitiesTest, ShellVersionsReadTheSameInEveryLocale)
{
    // Qt applications take the user's locale, where a comma may be the decimal point.
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_FLOAT_EQ(FileUtilities::ShellFileVersion("WaveShell1-VST 9.7_x64.so", "VST"), 9.7f);
    EXPECT_LT(FileUtilities::ShellFileVersion("WaveShell1-VST3 9.2_x64.vst3", "VST3"),
              FileUtilities::ShellFileVersion("WaveShell1-VST3 9.7_x64.vst3", "VST3"));
    EXPECT_EQ(FileUtilities::ShellFileVersion("WaveShell-VST 9.7_x64.so", "VST"), 0.0f) << "no shell number";
    EXPECT_EQ(FileUtilities::ShellFileVersion("Other.so", "VST"), 0.0f);
    std::setlocale(LC_NUMERIC, "C");
}

TEST(FileUtilitiesTest, PluginNamesComeFromTheFileName)
{
    QString name = "unchanged";
    EXPECT_FALSE(FileUtilities::PluginNameFromPath("/plugins/NoDot", name));
    EXPECT_EQ(name, "unchanged");
    // A dot in a folder name leaves the file name whole; each noise is removed once.
    const std::vector<std::pair<QString, QString>> cases = {{"C:/VST/Foo x64.dll", "Foo "},
                                                            {"/p/Comp_64 64bit.so", "Comp"},
                                                            {"/p/Foo.Bar.so", "Foo.Bar"},
                                                            {"/dot.ted/Plain", "Plain"},
                                                            {"x64 x64.vst3", " x64"}};
    for (const auto& [path, expected] : cases)
    {
        SCOPED_TRACE(path.toStdString());
        ASSERT_TRUE(FileUtilities::PluginNameFromPath(path, name));
        EXPECT_EQ(name, expected);
    }
}
