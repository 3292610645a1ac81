#include "Core/BaseLib/ScanRequestFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
class ScanRequestFileTest : public ::testing::Test
{
protected:
    std::wstring Path() const { return dir.filePath("FXScan.xml").toStdWString(); }
    void WriteRaw(const QByteArray& bytes)
    {
        QFile file(QString::fromStdWString(Path()));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    }
    QByteArray ReadRaw() const
    {
        QFile file(QString::fromStdWString(Path()));
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }

    QTemporaryDir dir;
};
} // namespace

TEST_F(ScanRequestFileTest, WritesTheExactLayout)
{
    ASSERT_TRUE(ScanRequestFile::Write(Path(), {"/usr/lib/vst", "/a & <b>"}));
    EXPECT_EQ(ReadRaw(), QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Scan>\n"
                                    "\t<Path>/usr/lib/vst</Path>\n\t<Path>/a &amp; &lt;b></Path>\n</Scan>\n"));
    ASSERT_TRUE(ScanRequestFile::Write(Path(), {}));
    EXPECT_EQ(ReadRaw(), QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Scan>\n</Scan>\n"));
}

TEST_F(ScanRequestFileTest, RoundTripKeepsEveryFolderAsWritten)
{
    const QStringList folders{"/plug ins/A&B", "/x<y", "/Ünïcødé/☃", " spaced ", "", "/dup", "/dup"};
    ASSERT_TRUE(ScanRequestFile::Write(Path(), folders));
    EXPECT_EQ(ScanRequestFile::Read(Path()), folders);
}

TEST_F(ScanRequestFileTest, UnusableFilesGiveAnEmptyList)
{
    EXPECT_TRUE(ScanRequestFile::Read(Path()).isEmpty()) << "missing file";
    for (const QByteArray& bytes : {QByteArray(""), QByteArray("<Scan><Path>/a</Path>"),
                                    QByteArray("<Other><Path>/a</Path></Other>"), QByteArray("<Scan/>"),
                                    QByteArray("\x01\x02 not xml")})
    {
        WriteRaw(bytes);
        EXPECT_TRUE(ScanRequestFile::Read(Path()).isEmpty()) << bytes.constData();
    }
}

TEST_F(ScanRequestFileTest, OnlyDirectPathChildrenAreRead)
{
    WriteRaw("<?xml version=\"1.0\"?><Scan><Path>/top</Path><Deep><Path>/nested</Path></Deep></Scan>");
    EXPECT_EQ(ScanRequestFile::Read(Path()), QStringList{"/top"});
}

TEST_F(ScanRequestFileTest, UnwritableFolderIsReportedNotThrown)
{
    EXPECT_FALSE(ScanRequestFile::Write(dir.filePath("missing/folder/FXScan.xml").toStdWString(), {"/a"}));
}
