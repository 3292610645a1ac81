#include "Vst2TestBase.h"

#include "Core/BaseLib/AudioPlugins/PluginHost.h"
#include "Interfaces/EngineContext.h"
#include "Interfaces/ProcessFolders.h"
#include "Main/AudioEngineController/Effects/VST/VSTHost.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

void Vst2TestBase::SetUp()
{
    ASSERT_TRUE(m_root.isValid());
    QDir().mkpath(EffectsFolder());
    EngineContext::Instance().SetInterface(&m_interface);
    AudioPluginHost::SetCurrent(PluginHost::GetInstance());
    qputenv("PLUGSWEEP_FIXTURE_REPORT", m_root.filePath(QStringLiteral("report.txt")).toLocal8Bit());
}

void Vst2TestBase::TearDown()
{
    if (VSTHost* host = VSTHost::Existing())
        host->Shutdown();
    qunsetenv("PLUGSWEEP_FIXTURE_REPORT");
    EngineContext::Instance().SetInterface(nullptr);
}

VSTHost& Vst2TestBase::StartHost(const QStringList& folders)
{
    if (VSTHost* host = VSTHost::Existing())
        host->Shutdown();
    ProcessFolders::PluginFolders() = folders;
    VSTHost* host = VSTHost::GetInstance();
    host->Initialise(EffectsFolder().toStdWString(), std::wstring(), 48000, 1024);
    return *host;
}

bool Vst2TestBase::Scan(const QStringList& folders)
{
    VSTHost& host = StartHost(folders);
    host.LoadKnownPlugins();
    return host.LaunchScanner(true, true);
}

const VstEffectRecord* Vst2TestBase::Entry(const std::wstring& id) const
{
    m_entries = Configuration();
    const auto found = std::find_if(m_entries.begin(), m_entries.end(),
                                    [&](const VstEffectRecord& entry) { return entry.id == id; });
    return found == m_entries.end() ? nullptr : &*found;
}

QString Vst2TestBase::Folder(const QString& relative) const
{
    const QString path = m_root.filePath(relative);
    QDir().mkpath(path);
    return path;
}

QString Vst2TestBase::Copy(const QString& fixture, const QString& folder, const QString& name)
{
    const QString source = TestSupport::Vst2FixtureDir() + QLatin1Char('/') + fixture;
    const QString target = folder + QLatin1Char('/') + (name.isEmpty() ? QFileInfo(source).fileName() : name);
    QFile::copy(source, target);
    return target;
}

QStringList Vst2TestBase::ReportLines() const
{
    return QString::fromUtf8(TestSupport::ReadFile(m_root.filePath(QStringLiteral("report.txt"))))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
