#include "Core/BaseLib/ScanRequestFile.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using TestSupport::ReadFile;
using TestSupport::WriteFile;

namespace
{
class ScanRequestFileTest : public ::testing::Test
{
protected:
    QString Path() const { return dir.filePath("FXScan.xml"); }

    QTemporaryDir dir;
};
} // namespace

TEST_F(ScanRequestFileTest, WritesTheExactLayout)
{
    ASSERT_TRUE(ScanRequestFile::Write(Path().toStdWString(), {"/usr/lib/vst", "/a & <b>"}));
    EXPECT_EQ(ReadFile(Path()), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Scan>\n"
                                "\t<Path>/usr/lib/vst</Path>\n\t<Path>/a &amp; &lt;b></Path>\n</Scan>\n");
    EXPECT_FALSE(ScanRequestFile::Write(dir.filePath("missing/FXScan.xml").toStdWString(), {"/a"}));

    const QStringList folders{"/plug ins/A&B", "/x<y", "/Ünïcødé/☃", " spaced ", "", "/dup", "/dup"};
    ASSERT_TRUE(ScanRequestFile::Write(Path().toStdWString(), folders));
    EXPECT_EQ(ScanRequestFile::Read(Path().toStdWString()), folders);
}

TEST_F(ScanRequestFileTest, OnlyDirectPathChildrenOfAWholeScanAreRead)
{
    EXPECT_TRUE(ScanRequestFile::Read(Path().toStdWString()).isEmpty()) << "missing file";
    const std::vector<std::pair<QByteArray, QStringList>> cases = {
        {"", {}},
        {"<Scan><Path>/a</Path>", {}},
        {"<Other><Path>/a</Path></Other>", {}},
        {"<Scan/>", {}},
        {"\x01\x02 not xml", {}},
        {"<?xml version=\"1.0\"?><Scan><Path>/top</Path><Deep><Path>/nested</Path></Deep></Scan>", {"/top"}}};
    for (const auto& [bytes, folders] : cases)
    {
        SCOPED_TRACE(bytes.constData());
        WriteFile(Path(), bytes);
        EXPECT_EQ(ScanRequestFile::Read(Path().toStdWString()), folders);
    }
}
