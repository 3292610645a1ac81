#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using TestSupport::ProcessResult;

// The installed plugcat must find its own scanner and its own data, not the
// build's: the fixture folder is scanned from the installed tree alone.
TEST(Install, InstalledPlugcatScansWithTheInstalledScannerAndMetadata)
{
    QTemporaryDir dir;
    const QString prefix = dir.filePath("prefix");
    const ProcessResult install =
        TestSupport::RunProcess(CMAKE_COMMAND, {"--install", BUILD_DIR, "--prefix", prefix});
    ASSERT_EQ(install.exitCode, 0) << install.out.toStdString() << install.err.toStdString();
    for (const char* file :
         {"bin/plugcat", "bin/PlugSweep", "bin/PlugSweepHost", "share/man/man1/plugcat.1.gz",
          "share/man/man1/PlugSweep.1.gz", "share/plugsweep/Plugin Metadata/ZAM Plugins.xml"})
        EXPECT_TRUE(QFileInfo::exists(dir.filePath("prefix/" + QString(file)))) << file;

    // An installed metadata file gives the fixture a category of its own.
    TestSupport::WriteFile(
        prefix + "/share/plugsweep/Plugin Metadata/Fixtures.xml",
        "<Effects type=\"vst\"><Effect id=\"Fixture Effect:1001\" category=\"rvb\"/></Effects>");
    const QStringList prefs{"--prefs", dir.filePath("prefs")};
    const ProcessResult scan = TestSupport::RunProcess(
        prefix + "/bin/plugcat",
        prefs + QStringList{"scan", "--json", TestSupport::Vst2FixtureDir() + "/good"});
    ASSERT_EQ(scan.exitCode, 0) << scan.err.toStdString();
    const QJsonObject effect = TestSupport::CatalogueById(scan.out)["Fixture Effect:1001"];
    EXPECT_EQ(effect["state"].toString(), "enabled");
    EXPECT_EQ(effect["categories"].toArray(), QJsonArray({"Reverb"}));

    // An isolated plug-in runs in the installed host process.
    const ProcessResult load = TestSupport::RunProcess(
        prefix + "/bin/plugcat",
        prefs + QStringList{"load", "Fixture Effect:1001", "--isolated", "--seconds", "0.1", "--json"});
    ASSERT_EQ(load.exitCode, 0) << load.err.toStdString();
    EXPECT_TRUE(QJsonDocument::fromJson(load.out.toUtf8())["isolated"].toBool()) << load.out.toStdString();
}

TEST(Install, DebianPackageHoldsTheProgramsPagesAndMetadataWithScannedDependencies)
{
    if (QStandardPaths::findExecutable("dpkg-deb").isEmpty() ||
        QStandardPaths::findExecutable("dpkg-shlibdeps").isEmpty())
        GTEST_SKIP() << "dpkg-dev is not installed";
    QTemporaryDir dir;
    const ProcessResult pack =
        TestSupport::RunProcess(CPACK_COMMAND, {"-G", "DEB", "--config",
                                                QString(BUILD_DIR) + "/CPackConfig.cmake", "-B", dir.path()});
    ASSERT_EQ(pack.exitCode, 0) << pack.out.toStdString() << pack.err.toStdString();
    const QStringList packages = QDir(dir.path()).entryList({"*.deb"}, QDir::Files);
    ASSERT_EQ(packages.size(), 1) << packages.join(' ').toStdString();
    const QString deb = dir.filePath(packages[0]);

    const ProcessResult contents = TestSupport::RunProcess("dpkg-deb", {"--contents", deb});
    for (const char* file : {"./usr/bin/plugcat", "./usr/bin/PlugSweep", "./usr/bin/PlugSweepHost",
                             "./usr/share/man/man1/plugcat.1.gz", "./usr/share/man/man1/PlugSweep.1.gz",
                             "./usr/share/plugsweep/Plugin Metadata/Dragonfly Reverb.xml"})
        EXPECT_TRUE(contents.out.contains(file)) << file;
    EXPECT_FALSE(contents.out.contains("fixtures")) << "test plug-ins stay out of the package";

    // dpkg-shlibdeps names the packages of the libraries the programs link.
    const QString depends = TestSupport::RunProcess("dpkg-deb", {"--field", deb, "Depends"}).out;
    for (const char* package : {"libc6", "libqt5widgets5", "libpugixml1v5", "libsndfile1", "libsmf0"})
        EXPECT_TRUE(depends.contains(package)) << package << " in " << depends.toStdString();
    EXPECT_EQ(TestSupport::RunProcess("dpkg-deb", {"--field", deb, "Package"}).out, "plugsweep\n");
}
