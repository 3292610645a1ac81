#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
using TestSupport::ProcessResult;

const QString kMetadata = QStringLiteral("share/plugsweep/Plugin Metadata");

QJsonObject ById(const QString& json, const QString& id)
{
    for (const QJsonValue& entry : QJsonDocument::fromJson(json.toUtf8()).array())
        if (entry["id"].toString() == id)
            return entry.toObject();
    return {};
}
} // namespace

// The installed plugcat must find its own scanner and its own data, not the
// build's: the fixture folder is scanned from the installed tree alone.
TEST(Install, InstalledPlugcatScansWithTheInstalledScannerAndMetadata)
{
    QTemporaryDir dir;
    const QString prefix = dir.filePath("prefix");
    const ProcessResult install =
        TestSupport::RunProcess(CMAKE_COMMAND, {"--install", BUILD_DIR, "--prefix", prefix});
    ASSERT_EQ(install.exitCode, 0) << install.out.toStdString() << install.err.toStdString();
    for (const char* file : {"bin/plugcat", "bin/PlugSweep", "share/man/man1/plugcat.1.gz",
                             "share/man/man1/PlugSweep.1.gz", "share/plugsweep/Plugin Metadata/ZAM Plugins.xml"})
        EXPECT_TRUE(QFileInfo::exists(dir.filePath("prefix/" + QString(file)))) << file;

    // An installed metadata file gives the fixture a category of its own.
    TestSupport::WriteFile(
        prefix + "/" + kMetadata + "/Fixtures.xml",
        "<Effects type=\"vst\"><Effect id=\"Fixture Effect:1001\" category=\"rvb\"/></Effects>");
    const ProcessResult scan =
        TestSupport::RunProcess(prefix + "/bin/plugcat", {"--prefs", dir.filePath("prefs"), "scan", "--json",
                                                          TestSupport::Vst2FixtureDir() + "/good"});
    ASSERT_EQ(scan.exitCode, 0) << scan.err.toStdString();
    const QJsonObject effect = ById(scan.out, "Fixture Effect:1001");
    EXPECT_EQ(effect["state"].toString(), "enabled");
    EXPECT_EQ(effect["categories"].toArray(), QJsonArray({"Reverb"}));
    EXPECT_EQ(ById(scan.out, "FixtureInstrument:1002")["state"].toString(), "enabled");
}
