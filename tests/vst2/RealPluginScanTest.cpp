#include "Core/BaseLib/FolderListing.h"
#include "PlugSweepRunner.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <set>

// What lsp-plugins-vst, dragonfly-reverb-vst and zam-plugins install (tools/install-deps.sh).
TEST(Vst2RealPluginTest, ScansTheInstalledPackages)
{
    QTemporaryDir root;
    const QStringList folders = {TestSupport::LinkPackaged("/usr/lib/vst", root.filePath("vst")),
                                 TestSupport::LinkPackaged("/usr/lib/lxvst", root.filePath("lxvst"))};
    const QStringList files = FolderListing(QStringLiteral(".vst3")).List(folders[0], {"*.so"}, true) +
                              FolderListing(QStringLiteral(".vst3")).List(folders[1], {"*.so"}, true);
    if (files.isEmpty())
        GTEST_SKIP() << "no VST 2 plug-in packages installed";
    // The plug-ins of one package share a library that is no plug-in itself.
    const QRegularExpression sharedLibrary(QStringLiteral("/lsp-plugins-vst2-[0-9.]+\\.so$"));

    PlugSweepRunner runner(root.filePath(QStringLiteral("prefs")));
    EXPECT_EQ(runner.ScanUntilNoMarkers(folders), 1);
    // By the file itself: a package may install its folder under one plug-in
    // folder and link it from another, and the scan records such a plug-in
    // under the first folder's path only.
    const auto identity = [](const QString& path) { return QFileInfo(path).canonicalFilePath(); };
    std::multiset<QString> recorded;
    std::set<QString> recordedNames;
    for (const VstEffectRecord& entry : runner.Configuration())
    {
        const QString path = QString::fromStdWString(entry.path);
        recorded.insert(identity(path));
        recordedNames.insert(QFileInfo(path).fileName());
        EXPECT_FALSE(entry.name.empty()) << path.toStdString();
        EXPECT_FALSE(entry.vendor.empty()) << path.toStdString();
        EXPECT_NE(entry.category, 0u) << path.toStdString();
        EXPECT_GT(entry.width, 0) << path.toStdString();
        EXPECT_TRUE(entry.enabled) << path.toStdString();
        EXPECT_TRUE(entry.working) << path.toStdString();
    }
    for (const QString& file : files)
    {
        const std::size_t times = recorded.count(identity(file));
        if (file.contains(sharedLibrary))
            EXPECT_EQ(times, 0u) << file.toStdString();
        else
            // Another file of the same name in an earlier folder wins over it.
            EXPECT_TRUE(times == 1 || (times == 0 && recordedNames.count(QFileInfo(file).fileName())))
                << file.toStdString();
    }
}
