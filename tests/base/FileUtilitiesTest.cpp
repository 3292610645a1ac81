#include "Core/BaseLib/FileUtilities.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <clocale>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
using Permissions = QFileDevice::Permissions;

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

Permissions OwnerReadWrite()
{
    return QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser;
}
} // namespace

// Result files kept elsewhere and linked into the effects folder, relatively
// and through a second link, stay linked; the file keeps its mode and owner.
TEST(FileUtilitiesTest, AtomicWritesGoThroughLinksAndKeepModeAndOwner)
{
    QTemporaryDir dir;
    const QString real = dir.filePath("shared/FXConfiguration.xml");
    TestSupport::WriteFile(real, "old");
    ASSERT_TRUE(QFile::setPermissions(real, OwnerReadWrite() | QFileDevice::ReadGroup));
    ASSERT_TRUE(QDir().mkpath(dir.filePath("Effects")));
    ASSERT_EQ(::symlink("shared/FXConfiguration.xml", QFile::encodeName(dir.filePath("link")).constData()),
              0);
    const QString path = dir.filePath("Effects/FXConfiguration.xml");
    ASSERT_EQ(::symlink("../link", QFile::encodeName(path).constData()), 0);

    ASSERT_TRUE(FileUtilities::WriteAtomically(path, "new"));
    EXPECT_EQ(QFileInfo(path).symLinkTarget(), dir.filePath("link"));
    EXPECT_EQ(QFileInfo(dir.filePath("link")).symLinkTarget(), real);
    EXPECT_EQ(TestSupport::ReadFile(real), "new");
    EXPECT_EQ(QFileInfo(real).permissions(), OwnerReadWrite() | QFileDevice::ReadGroup);
    EXPECT_EQ(Entries(dir.filePath("shared")), QStringList{"FXConfiguration.xml"})
        << "no temporary file left";
    EXPECT_FALSE(FileUtilities::WriteAtomically(dir.filePath("missing/file.xml"), "x"));

    // A link whose file does not exist yet gets it, with the umask's mode.
    const mode_t previous = ::umask(027);
    ASSERT_TRUE(QFile::remove(real));
    const bool written = FileUtilities::WriteAtomically(path, "first");
    ::umask(previous);
    ASSERT_TRUE(written);
    EXPECT_TRUE(QFileInfo(path).isSymLink());
    EXPECT_EQ(TestSupport::ReadFile(real), "first");
    EXPECT_EQ(QFileInfo(real).permissions(), OwnerReadWrite() | QFileDevice::ReadGroup);

    if (::geteuid() != 0) // only root can give a file to another user
        return;
    constexpr uid_t kNobody = 65534;
    ASSERT_EQ(::chown(QFile::encodeName(real).constData(), kNobody, kNobody), 0);
    ASSERT_TRUE(FileUtilities::WriteAtomically(path, "again"));
    EXPECT_EQ(QFileInfo(real).ownerId(), kNobody);
    EXPECT_EQ(QFileInfo(real).groupId(), kNobody);
}

// What is not a regular file is never renamed away or written into.
TEST(FileUtilitiesTest, AtomicWritesRefuseWhatIsNotAFile)
{
    QTemporaryDir dir;
    TestSupport::WriteFile(dir.filePath("folder/inside.txt"), "kept");
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("pipe")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(dir.filePath("folder"), dir.filePath("folder link")));
    for (const char* name : {"folder", "folder link", "pipe"})
        EXPECT_FALSE(FileUtilities::WriteAtomically(dir.filePath(name), "x")) << name;
    EXPECT_EQ(TestSupport::ReadFile(dir.filePath("folder/inside.txt")), "kept");
    EXPECT_TRUE(QFileInfo(dir.filePath("folder link")).isSymLink());
    EXPECT_EQ(Entries(dir.path()), QStringList({"folder", "folder link", "pipe"}));
}

// Qt applications take the user's locale, where a comma may be the decimal point.
TEST(FileUtilitiesTest, PluginNamesAndShellVersionsComeFromTheFileNameInEveryLocale)
{
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_FLOAT_EQ(FileUtilities::ShellFileVersion("WaveShell1-VST 9.7_x64.so", "VST"), 9.7f);
    EXPECT_LT(FileUtilities::ShellFileVersion("WaveShell1-VST3 9.2_x64.vst3", "VST3"),
              FileUtilities::ShellFileVersion("WaveShell1-VST3 9.7_x64.vst3", "VST3"));
    EXPECT_EQ(FileUtilities::ShellFileVersion("WaveShell-VST 9.7_x64.so", "VST"), 0.0f) << "no shell number";
    EXPECT_EQ(FileUtilities::ShellFileVersion("Other.so", "VST"), 0.0f);
    std::setlocale(LC_NUMERIC, "C");

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
