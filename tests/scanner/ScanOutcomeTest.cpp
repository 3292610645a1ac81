#include "Core/BaseLib/FileUtilities.h"
#include "Main/AudioEngineController/Effects/VST/VstConfigurationFile.h"
#include "support/TestSupport.h"
#include "vst2/PlugSweepRunner.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// What the real scanner writes for plug-in files that test its orderings and
// its crash bookkeeping, read from the files as they lie on disk.
namespace
{
// The file's ID lines in the order the file has them, as bytes.
QByteArrayList IdLines(const QByteArray& file)
{
    QByteArrayList lines;
    for (const QByteArray& line : file.split('\n'))
        if (line.startsWith("\t\t<ID>"))
            lines << line;
    return lines;
}

QByteArray Marker(const QString& path, const QByteArray& created, const QByteArray& name,
                  const QByteArray& subId = QByteArray())
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CrashedPlugin>\n\t<Path>" + path.toUtf8() +
           "</Path>\n\t<Created>" + created + "</Created>\n\t<Name>" + name + "</Name>\n" +
           (subId.isEmpty() ? QByteArray() : "\t<SubID>" + subId + "</SubID>\n") + "</CrashedPlugin>\n";
}
} // namespace

// U+00E9, U+1F600 and U+FF21: by UTF-16 code unit the surrogate pair of the
// second comes before the third, by code point (and in UTF-8 bytes) after it.
TEST(ScanOutcomeTest, NonAsciiIdentifiersAreWrittenInUtf16CodeUnitOrder)
{
    QTemporaryDir root;
    PlugSweepRunner runner(root.filePath("prefs"));
    for (const char* name : {"\xEF\xBC\xA1", "\xC3\xA9", "\xF0\x9F\x98\x80"})
        for (const char* suffix : {".so", ".vst3"})
            TestSupport::WriteFile(root.filePath("plugins/") + QString::fromUtf8(name) + suffix,
                                   "not a library");
    runner.RunOnce({root.filePath("plugins")});

    const QByteArrayList expected{"\t\t<ID>\xC3\xA9</ID>", "\t\t<ID>\xF0\x9F\x98\x80</ID>",
                                  "\t\t<ID>\xEF\xBC\xA1</ID>"};
    for (const char* file : {"/FXConfiguration.xml", "/VST3Configuration.xml"})
    {
        const QByteArray results = TestSupport::ReadFile(runner.EffectsFolder() + file);
        EXPECT_EQ(IdLines(results), expected) << results.toStdString();
    }
}

// What a scan of an earlier version of the shell wrote: only "Shell Alpha".
void WriteEarlierConfiguration(const PlugSweepRunner& runner, const QString& shell)
{
    VstEffectRecord alpha;
    alpha.path = shell.toStdWString();
    alpha.fileTime = L"2020-01-01 00:00";
    alpha.name = alpha.subName = L"Shell Alpha";
    alpha.id = L"Shell Alpha:2001";
    alpha.category = 1;
    alpha.subId = 2001;
    QDir().mkpath(runner.EffectsFolder());
    ASSERT_TRUE(VstConfigurationFile(runner.ConfigurationPath()).Write({{alpha.id, alpha}}));
}

// A shell whose sub-plug-in "Shell Crasher" kills the scanner: while a shell
// creates a sub-plug-in, the shell's marker and the sub-plug-in's lie side by
// side, and the next run, which reads them by name, the shell's first or last,
// must keep the sub-plug-in from being created again, whether or not an
// earlier version of the file left an entry for the shell's other sub-plug-in.
TEST(ScanOutcomeTest, ACrashingShellCostsOneRestartAndIsNotProbedAgain)
{
    QTemporaryDir root;
    for (const auto& [fileName, knownFromEarlierVersion] :
         {std::make_pair(QString("CrashingShell.so"), false),
          std::make_pair(QString("ZCrashingShell.so"), true)})
    {
        SCOPED_TRACE(fileName.toStdString());
        PlugSweepRunner runner(root.filePath(fileName + "/prefs"));
        const QString plugins = root.filePath(fileName + "/plugins");
        const QString shell = plugins + "/" + fileName;
        TestSupport::CopyInto(TestSupport::Vst2FixtureDir() + "/shellcrash/CrashingShell.so", plugins);
        if (fileName != "CrashingShell.so")
        {
            ASSERT_TRUE(QFile::rename(plugins + "/CrashingShell.so", shell));
        }
        const QByteArray created = FileUtilities::FileTimeText(shell).toUtf8();
        if (knownFromEarlierVersion)
            WriteEarlierConfiguration(runner, shell);
        QHash<QString, QByteArray> firstMarkers;
        const auto keepFirstMarkers = [&]
        {
            for (const QString& marker : firstMarkers.isEmpty() ? runner.Markers() : QStringList())
                firstMarkers[QFileInfo(marker).fileName()] = TestSupport::ReadFile(marker);
        };
        EXPECT_EQ(runner.ScanUntilNoMarkers({plugins}, keepFirstMarkers), 2)
            << "one restart, then the sub-plug-in is known as crashed";

        const QByteArray stem = QFileInfo(fileName).completeBaseName().toUtf8();
        ASSERT_EQ(firstMarkers.size(), 2) << QStringList(firstMarkers.keys()).join(", ").toStdString();
        EXPECT_EQ(firstMarkers[stem + ".scan"], Marker(shell, created, stem));
        // The identifier 0xF0000001 is written as a signed 32-bit number.
        EXPECT_EQ(firstMarkers["Shell Crasher.scan"], Marker(shell, created, "Shell Crasher", "-268435455"));
        EXPECT_EQ(runner.ScanUntilNoMarkers({plugins}), 1) << "the next scan does not create it again";
        EXPECT_TRUE(runner.Markers().isEmpty());
        const QByteArray results = TestSupport::ReadFile(runner.ConfigurationPath());
        EXPECT_TRUE(results.contains("\t\t<Path>" + shell.toUtf8() + "</Path>\n\t\t<FileTime>" + created +
                                     "</FileTime>"))
            << results.toStdString();
        EXPECT_TRUE(results.contains("<Enabled>0</Enabled>\n\t\t<Working>0</Working>"))
            << results.toStdString();
    }
}
