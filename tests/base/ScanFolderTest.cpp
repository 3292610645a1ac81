#include "Core/BaseLib/ScanFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(ScanFolderTest, AnUnavailableFolderHoldsWhatLayInIt)
{
    QTemporaryDir root;
    const QString present = root.filePath("present");
    ASSERT_TRUE(QDir().mkpath(present));
    EXPECT_FALSE(ScanFolder(present).Unavailable());
    EXPECT_FALSE(ScanFolder(QString()).Unavailable()) << "an empty entry names no folder";

    const ScanFolder gone(root.filePath("disk/vst/"));
    EXPECT_TRUE(gone.Unavailable());
    EXPECT_TRUE(gone.Holds(root.filePath("disk/vst/Foo.so")));
    EXPECT_TRUE(gone.Holds(root.filePath("disk/vst/deep/Foo.so")));
    EXPECT_FALSE(gone.Holds(root.filePath("disk/vst2/Foo.so"))) << "a sibling with a longer name";
    EXPECT_FALSE(gone.Holds(root.filePath("disk/Foo.so")));

    const QString file = root.filePath("plain");
    QFile(file).open(QIODevice::WriteOnly);
    EXPECT_TRUE(ScanFolder(file).Unavailable()) << "a file where the folder should be";

    // Entries recorded through a relative folder name match it as written.
    EXPECT_TRUE(ScanFolder("relative/vst").Holds("relative/vst/Foo.so"));
}
