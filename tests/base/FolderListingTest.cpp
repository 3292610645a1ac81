#include "Core/BaseLib/FolderListing.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
class FolderListingTest : public ::testing::Test
{
protected:
    QStringList Relative(const QStringList& paths) const
    {
        QStringList out;
        for (const QString& path : paths)
            out << path.mid(root.path().size() + 1);
        return out;
    }

    QTemporaryDir root;
};
} // namespace

TEST_F(FolderListingTest, MatchesComeBeforeSubfoldersInCaseInsensitiveOrder)
{
    for (const char* name : {"b.so", "A.so", "c.txt", "sub/z.so", "sub/deeper/y.so", "Other/x.so",
                             ".hidden.so", "Bundle.vst3/Contents/x86_64-linux/Bundle.so"})
        TestSupport::WriteFile(root.filePath(name), {});
    FolderListing listing(".vst3");
    EXPECT_EQ(Relative(listing.List(root.path(), {"*.so"}, true)),
              (QStringList{"A.so", "b.so", "Other/x.so", "sub/z.so", "sub/deeper/y.so"}));
    FolderListing flat;
    EXPECT_EQ(Relative(flat.List(root.path(), {"*.vst3"}, false)), QStringList{"Bundle.vst3"});
}

TEST_F(FolderListingTest, LinkedAndOverlappingFoldersAreVisitedOnce)
{
    TestSupport::WriteFile(root.filePath("real/a.so"), {});
    QFile::link(root.filePath("real"), root.filePath("link"));
    QFile::link(root.path(), root.filePath("real/loop"));
    FolderListing listing;
    QStringList found;
    listing.List(found, root.path(), {"*.so"}, true);
    listing.List(found, root.filePath("real"), {"*.so"}, true);
    EXPECT_EQ(found.size(), 1) << found.join(", ").toStdString();
    EXPECT_TRUE(listing.List(root.filePath("absent"), {"*.so"}, true).isEmpty());
}

// Both formats list through here, so both record the same absolute paths for
// a folder given relative to the working folder; an empty one names none.
TEST_F(FolderListingTest, RelativeFoldersAreListedAbsolutely)
{
    TestSupport::WriteFile(root.filePath("plugins/a.so"), {});
    TestSupport::WriteFile(root.filePath("b.so"), {});
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(root.path()));
    const QStringList relative = FolderListing().List("plugins", {"*.so"}, true);
    const QStringList empty = FolderListing().List("", {"*.so"}, true);
    QDir::setCurrent(previous);
    EXPECT_EQ(relative, QStringList{root.filePath("plugins/a.so")});
    EXPECT_TRUE(empty.isEmpty());
}
