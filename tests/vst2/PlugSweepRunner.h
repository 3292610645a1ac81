#pragma once

#include "Main/AudioEngineController/Effects/VST/VstEffectRecord.h"

#include <QStringList>
#include <functional>
#include <vector>

// Runs the real scanner as the host does, again while crash markers remain, ten runs at most.
class PlugSweepRunner
{
public:
    static constexpr int kMaxRuns = 10;

    explicit PlugSweepRunner(QString preferencesRoot);

    // The number of runs it took; afterRun sees each run's result.
    int ScanUntilNoMarkers(const QStringList& folders, const std::function<void()>& afterRun = {});
    void RunOnce(const QStringList& folders);

    QString EffectsFolder() const { return m_root + QStringLiteral("/Effects"); }
    QString ConfigurationPath() const { return EffectsFolder() + QStringLiteral("/FXConfiguration.xml"); }
    QStringList Markers() const;
    std::vector<VstEffectRecord> Configuration() const { return ReadConfiguration(ConfigurationPath()); }
    // The entries of a configuration file, in the file's identifier order.
    static std::vector<VstEffectRecord> ReadConfiguration(const QString& path);

private:
    QString m_root;
};
