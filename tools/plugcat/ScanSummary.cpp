#include "tools/plugcat/ScanSummary.h"

#include "Core/BaseLib/XML/XMLException.h"
#include "Main/AudioEngineController/Effects/VST/VstConfigurationFile.h"
#include "Main/AudioEngineController/Effects/VST3/VST3ConfigurationFile.h"

#include <QFileInfo>

namespace
{
QString Plural(int count, const char* noun)
{
    return QStringLiteral("%1 %2%3").arg(count).arg(QLatin1String(noun)).arg(count == 1 ? "" : "s");
}
} // namespace

ScanSummary::ScanSummary(QString effectsFolder)
    : m_effectsFolder(std::move(effectsFolder)), m_before(Read(m_effectsFolder))
{
}

ScanSummary::Snapshot ScanSummary::Read(const QString& effectsFolder)
{
    Snapshot snapshot;
    VstKnownList vst2;
    bool rewriteNeeded = false;
    VstConfigurationFile(effectsFolder + QLatin1Char('/') + VstConfigurationFile::kFileName)
        .Read(vst2, rewriteNeeded);
    for (const auto& [fileName, record] : vst2)
        snapshot[QString::fromStdWString(record.path + L'\n' + record.id)] = {
            QString::fromStdWString(record.fileTime), record.working};
    const QString vst3Path = effectsFolder + QLatin1Char('/') + VST3ConfigurationFile::kFileName;
    if (!QFileInfo::exists(vst3Path))
        return snapshot;
    try
    {
        for (const VST3EffectRecord& record : VST3ConfigurationFile::Read(vst3Path).records)
            snapshot[QString::fromStdString(record.path) + QLatin1Char('\n') +
                     QString::fromStdWString(record.id)] = {QString::fromStdString(record.fileTime),
                                                            record.working};
    }
    catch (const XMLException&)
    {
    }
    return snapshot;
}

ScanSummary::Counts ScanSummary::Compare() const
{
    Counts counts;
    for (const auto& [key, state] : Read(m_effectsFolder))
    {
        ++counts.found;
        const auto before = m_before.find(key);
        if (before == m_before.end())
            ++counts.added;
        else if (before->second.fileTime != state.fileTime || before->second.working != state.working)
            ++counts.changed;
        else
            ++counts.unchanged;
        if (!state.working)
            ++counts.notWorking;
        if (!state.working && (before == m_before.end() || before->second.working))
            ++counts.crashed;
    }
    return counts;
}

QString ScanSummary::Text(double seconds) const
{
    const Counts counts = Compare();
    return QStringLiteral("Scan finished in %1 s: %2 found, %3 new, %4 changed, %5 unchanged, "
                          "%6 disabled after a crash, %7 not working\n")
        .arg(seconds, 0, 'f', 1)
        .arg(Plural(counts.found, "plug-in"))
        .arg(counts.added)
        .arg(counts.changed)
        .arg(counts.unchanged)
        .arg(counts.crashed)
        .arg(counts.notWorking);
}
