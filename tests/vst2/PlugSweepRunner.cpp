#include "PlugSweepRunner.h"

#include "Core/BaseLib/FolderListing.h"
#include "Core/BaseLib/ScanRequestFile.h"
#include "Main/AudioEngineController/Effects/VST/VstConfigurationFile.h"
#include "support/TestSupport.h"

#include <QDir>
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

void PlugSweepRunner::RunOnce(const QStringList& folders)
{
    const QString request = EffectsFolder() + QLatin1Char('/') + QLatin1String(ScanRequestFile::kFileName);
    ScanRequestFile::Write(request.toStdWString(), folders);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // A plug-in may take the run down: what counts is what it left behind.
    TestSupport::RunProcess(TestSupport::BinDir() + QStringLiteral("/PlugSweep"), {request}, environment);
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
