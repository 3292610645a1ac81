#include "Core/BaseLib/ScanRequestFile.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using TestSupport::ReadFile;
using TestSupport::WriteFile;

TEST(ScanRequestFileTest, WritesTheExactLayoutAndReadsOnlyDirectPathChildrenOfAWholeScan)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("FXScan.xml");
    const std::wstring request = path.toStdWString();
    ASSERT_TRUE(ScanRequestFile::Write(request, {"/usr/lib/vst", "/a & <b>"}));
    EXPECT_EQ(ReadFile(path), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Scan>\n"
                              "\t<Path>/usr/lib/vst</Path>\n\t<Path>/a &amp; &lt;b></Path>\n</Scan>\n");
    EXPECT_FALSE(ScanRequestFile::Write(dir.filePath("missing/FXScan.xml").toStdWString(), {"/a"}));

    const QStringList folders{"/plug ins/A&B", "/x<y", "/Ünïcødé/☃", " spaced ", "", "/dup", "/dup"};
    ASSERT_TRUE(ScanRequestFile::Write(request, folders));
    EXPECT_EQ(ScanRequestFile::Read(request), folders);

    EXPECT_TRUE(ScanRequestFile::Read(dir.filePath("absent.xml").toStdWString()).isEmpty());
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
        WriteFile(path, bytes);
        EXPECT_EQ(ScanRequestFile::Read(request), folders);
    }
}
