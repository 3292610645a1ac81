#include "Core/BaseLib/FolderListing.h"
#include "Core/BaseLib/ScanFolder.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Matches come before subfolders, in case-insensitive order; linked and
// overlapping folders are visited once; a folder given relative to the working
// folder is listed absolutely (both formats list through here, so both record
// the same paths), and an empty one names none.
TEST(FolderListingTest, ListsEachFileOnceInOneOrderWithAbsolutePaths)
{
    QTemporaryDir root;
    const auto relative = [&root](const QStringList& paths)
    {
        QStringList out;
        for (const QString& path : paths)
            out << path.mid(root.path().size() + 1);
        return out;
    };
    for (const char* name : {"b.so", "A.so", "c.txt", "sub/z.so", "sub/deeper/y.so", "Other/x.so",
                             ".hidden.so", "Bundle.vst3/Contents/x86_64-linux/Bundle.so"})
        TestSupport::WriteFile(root.filePath(name), {});
    EXPECT_EQ(relative(FolderListing(".vst3").List(root.path(), {"*.so"}, true)),
              (QStringList{"A.so", "b.so", "Other/x.so", "sub/z.so", "sub/deeper/y.so"}));
    EXPECT_EQ(relative(FolderListing().List(root.path(), {"*.vst3"}, false)), QStringList{"Bundle.vst3"});

    QFile::link(root.filePath("sub"), root.filePath("link"));
    QFile::link(root.path(), root.filePath("sub/loop"));
    FolderListing listing;
    QStringList found;
    listing.List(found, root.filePath("sub"), {"y.so"}, true);
    listing.List(found, root.path(), {"y.so"}, true);
    EXPECT_EQ(relative(found), QStringList{"sub/deeper/y.so"});
    EXPECT_TRUE(listing.List(root.filePath("absent"), {"*.so"}, true).isEmpty());

    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(root.path()));
    const QStringList fromRelative = FolderListing().List("sub/deeper", {"*.so"}, true);
    const QStringList empty = FolderListing().List("", {"*.so"}, true);
    QDir::setCurrent(previous);
    EXPECT_EQ(fromRelative, QStringList{root.filePath("sub/deeper/y.so")});
    EXPECT_TRUE(empty.isEmpty());
}

TEST(ScanFolderTest, AnUnavailableFolderHoldsWhatLayInIt)
{
    QTemporaryDir root;
    EXPECT_FALSE(ScanFolder(root.path()).Unavailable());
    EXPECT_FALSE(ScanFolder(QString()).Unavailable()) << "an empty entry names no folder";

    const ScanFolder gone(root.filePath("disk/vst/"));
    EXPECT_TRUE(gone.Unavailable());
    EXPECT_TRUE(gone.Holds(root.filePath("disk/vst/Foo.so")));
    EXPECT_TRUE(gone.Holds(root.filePath("disk/vst/deep/Foo.so")));
    EXPECT_FALSE(gone.Holds(root.filePath("disk/vst2/Foo.so"))) << "a sibling with a longer name";
    EXPECT_FALSE(gone.Holds(root.filePath("disk/Foo.so")));

    TestSupport::WriteFile(root.filePath("plain"), {});
    EXPECT_TRUE(ScanFolder(root.filePath("plain")).Unavailable()) << "a file where the folder should be";
    // Entries recorded through a relative folder name match it as written.
    EXPECT_TRUE(ScanFolder("relative/vst").Holds("relative/vst/Foo.so"));
}
