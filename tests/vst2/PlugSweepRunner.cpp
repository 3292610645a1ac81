#include "PlugSweepRunner.h"

#include "Core/BaseLib/FolderListing.h"
#include "Core/BaseLib/ScanRequestFile.h"
#include "Main/AudioEngineController/Effects/VST/VstConfigurationFile.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QProcess>
#include <algorithm>
#include <gtest/gtest.h>

PlugSweepRunner::PlugSweepRunner(QString preferencesRoot) : m_root(std::move(preferencesRoot))
{
    QDir().mkpath(EffectsFolder());
}

int PlugSweepRunner::ScanUntilNoMarkers(const QStringList& folders, const std::function<void()>& afterRun)
{
    int runs = 0;
    do
    {
        RunOnce(folders);
        ++runs;
        if (afterRun)
            afterRun();
    } while (!Markers().isEmpty() && runs < kMaxRuns);
    return runs;
}

QByteArray PlugSweepRunner::RunOnce(const QStringList& folders, const QProcessEnvironment& extra)
{
    const QString request = EffectsFolder() + QLatin1Char('/') + QLatin1String(ScanRequestFile::kFileName);
    ScanRequestFile::Write(request.toStdWString(), folders);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(extra);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(TestSupport::BinDir() + QStringLiteral("/PlugSweep"), {request});
    EXPECT_TRUE(process.waitForFinished(300000)) << "the scanner did not finish";
    return process.readAllStandardError();
}

// The markers of both plug-in formats, as the host looks for them.
QStringList PlugSweepRunner::Markers() const
{
    return FolderListing().List(EffectsFolder(), {QStringLiteral("*.scan"), QStringLiteral("*.scan3")}, true);
}

std::vector<VstEffectRecord> PlugSweepRunner::ReadConfiguration(const QString& path)
{
    VstKnownList known;
    bool rewriteNeeded = false;
    VstConfigurationFile(path).Read(known, rewriteNeeded);
    std::vector<VstEffectRecord> entries;
    for (const auto& entry : known)
        entries.push_back(entry.second);
    std::sort(entries.begin(), entries.end(),
              [](const VstEffectRecord& a, const VstEffectRecord& b) { return Utf16Order()(a.id, b.id); });
    return entries;
}
