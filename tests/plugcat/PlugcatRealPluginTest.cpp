#include "support/TestSupport.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Scans what the Debian packages install, with the real scanner, and checks
// that the catalogue gives the plug-ins the categories our metadata ships.
TEST(PlugcatRealPlugins, ShippedMetadataCategorisesTheDebianReverbs)
{
    const QString folder = QStringLiteral("/usr/lib/lxvst");
    if (!QFileInfo::exists(folder + "/DragonflyHallReverb-vst.so"))
        GTEST_SKIP() << "dragonfly-reverb-vst is not installed";
    QTemporaryDir prefs;
    QProcess scan;
    scan.start(TestSupport::BinDir() + "/plugcat", {"--prefs", prefs.path(), "scan", "--json", folder});
    ASSERT_TRUE(scan.waitForFinished(300000));
    ASSERT_EQ(scan.exitCode(), 0) << scan.readAllStandardError().toStdString();

    std::map<QString, QJsonObject> byId;
    for (const QJsonValue& plugin : QJsonDocument::fromJson(scan.readAllStandardOutput()).array())
        byId[plugin.toObject()["id"].toString()] = plugin.toObject();
    ASSERT_EQ(byId.count("Dragonfly Hall Reverb:1684435505"), 1u);
    const QJsonObject hall = byId["Dragonfly Hall Reverb:1684435505"];
    EXPECT_EQ(hall["categories"].toArray(), QJsonArray({"Reverb"}));
    EXPECT_EQ(hall["name"].toString(), "Dragonfly Hall Reverb [2.4]");
    EXPECT_EQ(byId["Dragonfly Early Reflections:1684432242"]["categories"].toArray(),
              QJsonArray({"Reverb", "Spatial"}));
}
