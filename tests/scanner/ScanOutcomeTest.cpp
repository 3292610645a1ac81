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
class ScanOutcomeTest : public ::testing::Test
{
protected:
    QString Plugins(const QString& name = QString()) const
    {
        return m_root.filePath(name.isEmpty() ? QStringLiteral("plugins") : "plugins/" + name);
    }
    QString Effects(const QString& name) const { return m_runner.EffectsFolder() + "/" + name; }
    QByteArray Read(const QString& name) const { return TestSupport::ReadFile(Effects(name)); }
    QByteArray FileTime(const QString& path) const { return FileUtilities::FileTimeText(path).toUtf8(); }

    QTemporaryDir m_root;
    PlugSweepRunner m_runner{m_root.filePath("prefs")};
};

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
TEST_F(ScanOutcomeTest, NonAsciiIdentifiersAreWrittenInUtf16CodeUnitOrder)
{
    const QStringList names{QString::fromUtf8("\xEF\xBC\xA1"), QString::fromUtf8("\xC3\xA9"),
                            QString::fromUtf8("\xF0\x9F\x98\x80")};
    for (const QString& name : names)
        for (const QString suffix : {".so", ".vst3"})
            TestSupport::WriteFile(Plugins(name + suffix), "not a library");
    m_runner.RunOnce({Plugins()});

    const QByteArrayList expected{"\t\t<ID>\xC3\xA9</ID>", "\t\t<ID>\xF0\x9F\x98\x80</ID>",
                                  "\t\t<ID>\xEF\xBC\xA1</ID>"};
    EXPECT_EQ(IdLines(Read("FXConfiguration.xml")), expected) << Read("FXConfiguration.xml").toStdString();
    EXPECT_EQ(IdLines(Read("VST3Configuration.xml")), expected)
        << Read("VST3Configuration.xml").toStdString();
}

// A shell whose sub-plug-in "Shell Crasher" kills the scanner, under a file
// name whose marker the next run reads before or after the sub-plug-in's
// (markers are read by name), and with or without an entry for its other
// sub-plug-in from an earlier version of the file.
struct CrashingShellCase
{
    const char* fileName;
    bool knownFromEarlierVersion;
};

class CrashingShellTest : public ScanOutcomeTest, public ::testing::WithParamInterface<CrashingShellCase>
{
protected:
    // What a scan of the earlier version wrote: only "Shell Alpha".
    void WriteEarlierConfiguration(const QString& shell)
    {
        VstEffectRecord alpha;
        alpha.path = shell.toStdWString();
        alpha.fileTime = L"2020-01-01 00:00";
        alpha.name = alpha.subName = L"Shell Alpha";
        alpha.id = L"Shell Alpha:2001";
        alpha.category = 1;
        alpha.subId = 2001;
        QDir().mkpath(m_runner.EffectsFolder());
        ASSERT_TRUE(VstConfigurationFile(m_runner.ConfigurationPath()).Write({{alpha.id, alpha}}));
    }
};

// While a shell creates a sub-plug-in, the shell's marker and the
// sub-plug-in's lie side by side; a crash leaves both for the next run, which
// must keep the sub-plug-in from being created again.
TEST_P(CrashingShellTest, CostsOneRestartAndIsNotProbedAgain)
{
    const QString fileName = GetParam().fileName;
    TestSupport::CopyInto(TestSupport::Vst2FixtureDir() + "/shellcrash/CrashingShell.so", Plugins());
    if (fileName != "CrashingShell.so")
    {
        ASSERT_TRUE(QFile::rename(Plugins("CrashingShell.so"), Plugins(fileName)));
    }
    const QString shell = Plugins(fileName);
    const QByteArray created = FileTime(shell);
    if (GetParam().knownFromEarlierVersion)
        WriteEarlierConfiguration(shell);
    QHash<QString, QByteArray> firstMarkers;
    const int runs = m_runner.ScanUntilNoMarkers({Plugins()},
                                                 [&]
                                                 {
                                                     if (firstMarkers.isEmpty())
                                                         for (const QString& marker : m_runner.Markers())
                                                             firstMarkers[QFileInfo(marker).fileName()] =
                                                                 TestSupport::ReadFile(marker);
                                                 });

    const QByteArray stem = QFileInfo(fileName).completeBaseName().toUtf8();
    ASSERT_EQ(firstMarkers.keys().size(), 2) << QStringList(firstMarkers.keys()).join(", ").toStdString();
    EXPECT_EQ(firstMarkers[stem + ".scan"], Marker(shell, created, stem));
    // The identifier 0xF0000001 is written as a signed 32-bit number.
    EXPECT_EQ(firstMarkers["Shell Crasher.scan"], Marker(shell, created, "Shell Crasher", "-268435455"));
    EXPECT_EQ(runs, 2) << "one restart, then the sub-plug-in is known as crashed";
    EXPECT_EQ(m_runner.ScanUntilNoMarkers({Plugins()}), 1) << "the next scan creates it again";
    EXPECT_TRUE(m_runner.Markers().isEmpty());
    const QByteArray results = Read("FXConfiguration.xml");
    EXPECT_TRUE(
        results.contains("\t\t<Path>" + shell.toUtf8() + "</Path>\n\t\t<FileTime>" + created + "</FileTime>"))
        << results.toStdString();
    EXPECT_TRUE(results.contains("<Enabled>0</Enabled>\n\t\t<Working>0</Working>")) << results.toStdString();
}

INSTANTIATE_TEST_SUITE_P(MarkerOrders, CrashingShellTest,
                         ::testing::Values(CrashingShellCase{"CrashingShell.so", false},
                                           CrashingShellCase{"ZCrashingShell.so", false},
                                           CrashingShellCase{"CrashingShell.so", true},
                                           CrashingShellCase{"ZCrashingShell.so", true}),
                         [](const ::testing::TestParamInfo<CrashingShellCase>& info)
                         {
                             return std::string(info.param.fileName[0] == 'Z' ? "ShellMarkerLast"
                                                                              : "ShellMarkerFirst") +
                                    (info.param.knownFromEarlierVersion ? "WithEarlierEntry" : "Fresh");
                         });
