#include "tools/plugcat/Plugcat.h"

#include "Core/BaseLib/AudioPlugins/AudioPlugin.h"
#include "Core/BaseLib/AudioPlugins/CategoryTable.h"
#include "Core/BaseLib/AudioPlugins/Isolation/IsolatedPlugin.h"
#include "Core/BaseLib/AudioPlugins/PluginHost.h"
#include "Core/BaseLib/AudioPlugins/PluginState.h"
#include "Core/BaseLib/AudioPlugins/PluginTypeTable.h"
#include "Core/BaseLib/ScanRequestFile.h"
#include "Interfaces/EngineContext.h"
#include "Main/StudioModel/ChannelFormat.h"
#include "Main/StudioModel/StudioModel.h"
#include "Platform/ProcessUsage.h"
#include "Platform/StandardStreams.h"
#include "Platform/StopRequests.h"
#include "tools/plugcat/CataloguePrinter.h"
#include "tools/plugcat/LoadAudio.h"
#include "tools/plugcat/LoadReport.h"
#include "tools/plugcat/PluginRunner.h"
#include "tools/plugcat/PresetFile.h"
#include "tools/plugcat/ScanProgress.h"
#include "tools/plugcat/ScanSummary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QThread>
#include <cstdio>
#include <vector>

namespace
{
constexpr unsigned long kProgressIntervalMs = 100;
} // namespace

Plugcat::Plugcat(PlugcatOptions options, std::FILE* out)
    : m_options(std::move(options)), m_out(out), m_err(stderr)
{
}

Plugcat::~Plugcat()
{
    if (m_host)
        m_host->Shutdown();
    EngineContext::Instance().SetInterface(nullptr);
}

int Plugcat::Run()
{
    switch (m_options.command)
    {
    case PlugcatOptions::Command::Scan:
        return Scan();
    case PlugcatOptions::Command::List:
        return List();
    case PlugcatOptions::Command::Menu:
        return Menu();
    case PlugcatOptions::Command::Enable:
        return SetEnabled(true);
    case PlugcatOptions::Command::Disable:
        return SetEnabled(false);
    case PlugcatOptions::Command::Favourite:
        return SetFavourite();
    case PlugcatOptions::Command::Load:
        return Load();
    case PlugcatOptions::Command::Isolate:
        return SetIsolated();
    case PlugcatOptions::Command::Help:
        m_out << PlugcatOptions::Usage();
        return kExitOk;
    case PlugcatOptions::Command::Version:
        m_out << PlugcatOptions::Version();
        return kExitOk;
    }
    return kExitUsage;
}

int Plugcat::Fail(const QString& message)
{
    m_err << "plugcat: " << message << '\n';
    m_err.flush();
    return kExitFailure;
}

bool Plugcat::Refuse(const QString& message)
{
    Fail(message);
    return false;
}

bool Plugcat::OpenCatalogue(const QStringList& pluginFolders)
{
    const QString root = QDir::cleanPath(QDir(m_options.preferencesRoot).absolutePath());
    const QString effects = root + QStringLiteral("/Effects");
    if (!QDir().mkpath(effects) || !QFileInfo(effects).isWritable())
    {
        Fail(QStringLiteral("cannot write to the preferences folder %1").arg(root));
        return false;
    }
    m_interface = std::make_unique<PlugcatInterface>(root.toStdWString(), pluginFolders, m_options.verbose);
    EngineContext::Instance().SetInterface(m_interface.get());
    m_host = PluginHost::GetInstance();
    AudioPluginHost::SetCurrent(m_host);
    m_host->Initialise(root.toStdWString(), std::wstring(), 48000, 1024);
    m_host->Scanner().SetLockWait([this, root](int waitedMs) { return WaitForLock(root, waitedMs); });
    return true;
}

// Told while another scan or edit holds the preferences folder; a scan can
// be interrupted while it waits.
bool Plugcat::WaitForLock(const QString& root, int waitedMs)
{
    if (waitedMs == 0)
    {
        m_err << "plugcat: waiting for another scan or edit of " << root << " to finish\n";
        m_err.flush();
    }
    return !Platform::StopRequests::Received();
}

// Ends with the code the shell gives a program that the request ended.
int Plugcat::Interrupted(int request)
{
    m_err << "plugcat: scan interrupted by " << Platform::StopRequests::Name(request)
          << "; what it found so far is kept, and the next scan goes on from there\n";
    m_err.flush();
    return Platform::StopRequests::ExitCode(request);
}

bool Plugcat::LoadCatalogue(bool holdLock)
{
    const QString request =
        m_options.preferencesRoot + QStringLiteral("/Effects/") + ScanRequestFile::kFileName;
    if (!OpenCatalogue(ScanRequestFile::Read(request.toStdWString())))
        return false;
    if (holdLock && !m_host->Scanner().HoldLock(m_host->EffectsFolder()))
        return false;
    m_host->LaunchScanner(false, false);
    m_host->RefreshPluginList();
    return true;
}

int Plugcat::Scan()
{
    const QStringList folders =
        m_options.arguments.isEmpty() ? PlugcatOptions::DefaultPluginFolders() : m_options.arguments;
    const QString scanner = PluginHost::GetInstance()->Scanner().Path();
    if (!QFileInfo(scanner).isExecutable())
        return Fail(QStringLiteral("the scanner %1 is missing; it must lie beside plugcat").arg(scanner));
    if (!CheckFolders(m_options.arguments))
        return kExitFailure;
    const Platform::StopRequests stopRequests;
    if (!OpenCatalogue(folders))
        return kExitFailure;
    m_host->Scanner().SetProbeTimeout(int(m_options.probeTimeoutSeconds) * 1000);
    m_host->Scanner().SetJobs(int(m_options.jobs));
    m_host->Scanner().SetMemoryLimit(m_options.memoryLimitMiB);
    m_err << "Scanning "
          << (folders.isEmpty() ? QStringLiteral("no folders") : folders.join(QStringLiteral(", "))) << '\n';
    const ScanSummary summary(m_host->EffectsFolder());
    if (!m_host->LaunchScanner(true, false))
        return Interrupted(Platform::StopRequests::Received());
    ScanProgress progress(m_host->Scanner().MarkerFolders(m_host->EffectsFolder()), folders, m_err,
                          Platform::TerminalColumns(stderr));
    while (m_host->Scanner().IsRunning())
    {
        if (Platform::StopRequests::Received())
            m_host->Scanner().Interrupt();
        progress.Update(m_host->Scanner().Runs());
        QThread::msleep(kProgressIntervalMs);
    }
    progress.Update(m_host->Scanner().Runs());
    progress.Finish();
    if (const int request = Platform::StopRequests::Received())
        return Interrupted(request);
    if (m_host->Scanner().Runs() == 0)
        return Fail(QStringLiteral("the scanner %1 could not be started").arg(scanner));
    if (const std::optional<ScannerWorker::Failure> failure = m_host->Scanner().LastFailure())
        return Fail(QString::fromLatin1(failure->signalled ? "the scanner failed: killed by signal %1"
                                                           : "the scanner failed: exit %1")
                        .arg(failure->code));
    m_err << summary.Text(progress.Seconds());
    // The largest scanner process of the scan, which is what a memory limit bounds.
    m_err << QStringLiteral("Peak scanner memory: %1 MiB\n")
                 .arg(double(Platform::PeakChildResidentKiB()) / 1024.0, 0, 'f', 1);
    m_err.flush();
    m_host->RefreshPluginList();
    PrintCatalogue();
    return kExitOk;
}

bool Plugcat::CheckFolders(const QStringList& folders)
{
    QStringList missing;
    for (const QString& folder : folders)
        if (!QFileInfo(folder).isDir())
            missing << folder;
    if (!folders.isEmpty() && missing.size() == folders.size())
    {
        for (const QString& folder : missing)
            Fail(QStringLiteral("folder %1 does not exist").arg(folder));
        return false;
    }
    for (const QString& folder : missing)
        m_err << "plugcat: warning: folder " << folder
              << " does not exist; what the last scan found there is kept\n";
    m_err.flush();
    return true;
}

int Plugcat::List()
{
    if (!LoadCatalogue(false))
        return kExitFailure;
    PrintCatalogue();
    return kExitOk;
}

void Plugcat::PrintCatalogue()
{
    const PluginList& list = AudioPluginHost::GetPluginList();
    if (m_options.json)
        m_out << CataloguePrinter::Json(list);
    else
        m_out << CataloguePrinter::Table(list);
    m_out.flush();
}

int Plugcat::Menu()
{
    StudioModel& model = StudioModel::Instance();
    if (m_options.channels > 0)
    {
        if (!ChannelFormat::Find(std::uint32_t(m_options.channels)))
        {
            m_err << "plugcat: no track layout has " << m_options.channels << " channels\n\n"
                  << PlugcatOptions::Usage();
            return kExitUsage;
        }
        // Formats 1 to 8 are the layouts of that many channels.
        model.SetTrackSetting(StudioModel::kTrackChannelFormat, m_options.channels);
        model.SetGlobalSetting(StudioModel::kPluginWidthFiltering, 1);
    }
    model.SetSampleRate(m_options.sampleRate);
    if (!LoadCatalogue(false))
        return kExitFailure;
    const std::unique_ptr<QMenu> menu(m_host->BuildPluginMenu(0, 0, nullptr, true));
    const QString tree = CataloguePrinter::MenuTree(*menu);
    m_out << (tree.isEmpty() ? QStringLiteral("(the menu is empty)\n") : tree);
    m_out.flush();
    return kExitOk;
}

bool Plugcat::FindPlugin(const QString& text, PluginRef& found) const
{
    const PluginList& list = AudioPluginHost::GetPluginList();
    const auto has = [&list](const std::string& typeKey, const std::wstring& id)
    {
        const auto type = list.find(typeKey);
        return type != list.end() && type->second.count(id);
    };
    const int colon = text.indexOf(QLatin1Char(':'));
    if (colon > 0)
    {
        // Both formats share the "vst" list.
        const QString scheme = text.left(colon);
        const bool format = scheme == QLatin1String("vst2") || scheme == QLatin1String("vst3");
        const PluginRef qualified{format ? "vst" : scheme.toStdString(), text.mid(colon + 1).toStdWString()};
        if (has(qualified.typeKey, qualified.id))
        {
            found = qualified;
            return true;
        }
    }
    for (const PluginTypeTable::Row& type : PluginTypeTable::kRows)
        if (has(type.typeKey, text.toStdWString()))
        {
            found = {type.typeKey, text.toStdWString()};
            return true;
        }
    // Last, a display name that only one plug-in has.
    std::vector<PluginRef> named;
    for (const auto& [typeKey, entries] : list)
        for (const auto& [id, entry] : entries)
            if (entry.name == text.toStdWString())
                named.push_back({typeKey, id});
    if (named.size() == 1)
        found = named.front();
    return named.size() == 1;
}

// The plug-in an edit names, with the catalogue loaded; false after
// reporting why it cannot be edited.
bool Plugcat::FindEditablePlugin(PluginRef& plugin, const QString& chainRefusal)
{
    if (!LoadCatalogue(true))
        return false;
    if (!FindPlugin(m_options.arguments[0], plugin))
    {
        Fail(QStringLiteral("no plug-in %1 in the catalogue").arg(m_options.arguments[0]));
        return false;
    }
    if (plugin.typeKey == "chain")
    {
        Fail(chainRefusal);
        return false;
    }
    return true;
}

int Plugcat::SetEnabled(bool enabled)
{
    PluginRef plugin;
    if (!FindEditablePlugin(plugin, QStringLiteral("chain presets are always enabled")))
        return kExitFailure;
    PluginList edits;
    PluginTypeList& list = edits[plugin.typeKey] = AudioPluginHost::GetPluginList()[plugin.typeKey];
    list[plugin.id].state = enabled ? PluginListEntry::State::Enabled : PluginListEntry::State::Disabled;
    m_host->ApplyPluginListEdits(edits);
    m_out << (enabled ? "Enabled " : "Disabled ") << QString::fromStdString(plugin.typeKey) << ':'
          << QString::fromStdWString(plugin.id) << '\n';
    if (m_host->RescanNeeded())
        m_out << "Run 'plugcat scan' to probe it again.\n";
    m_out.flush();
    return kExitOk;
}

int Plugcat::SetFavourite()
{
    PluginRef plugin;
    if (!FindEditablePlugin(plugin, QStringLiteral("chain presets cannot be favourites")))
        return kExitFailure;
    const bool on = m_options.arguments[1] == QLatin1String("on");
    const QString identifier =
        QString::fromStdString(plugin.typeKey) + QLatin1Char(':') + QString::fromStdWString(plugin.id);
    m_host->SetFavourite(identifier.toStdWString(), on);
    m_out << (on ? "Marked " : "Unmarked ") << identifier << " as a favourite\n";
    m_out.flush();
    return kExitOk;
}

int Plugcat::Load()
{
    PluginRef found;
    if (!FindEditablePlugin(found, QStringLiteral("chain presets cannot be loaded on their own")))
        return kExitFailure;
    const QString name =
        QString::fromStdString(found.typeKey) + QLatin1Char(':') + QString::fromStdWString(found.id);
    const PluginListEntry& entry = AudioPluginHost::GetPluginList()[found.typeKey][found.id];
    if (entry.state == PluginListEntry::State::NotWorking)
        return Fail(QStringLiteral("%1 is not working: it crashed or hung the scanner").arg(name));
    if (entry.state == PluginListEntry::State::Disabled)
        return Fail(QStringLiteral("%1 is disabled; 'plugcat enable %1' turns it on").arg(name));

    LoadAudio audio(m_options);
    if (const QString error = audio.Prepare(); !error.isEmpty())
        return Fail(error);
    StudioModel::Instance().SetSampleRate(audio.SampleRate());
    m_host->SetSampleRate(audio.SampleRate());
    m_host->SetBlockSize(m_options.blockSize);
    // An input file's channels are the track's, which the wrapper maps onto
    // the plug-in's own.
    PluginPlacement placement;
    const std::int32_t width = audio.TrackChannels() ? audio.TrackChannels() : entry.width;
    if (width >= 1 && width <= 8)
        placement.channelFormat = std::uint32_t(width);
    AudioPlugin* plugin =
        m_options.isolated ? m_host->LoadIsolatedPlugin(name.toStdWString(), m_options.blockSize, placement)
                           : m_host->LoadPlugin(name.toStdWString(), m_options.blockSize, placement);
    if (!plugin)
        return Fail(QStringLiteral("%1 could not be opened").arg(name));
    const auto* isolated = dynamic_cast<IsolatedPlugin*>(plugin);
    int result = kExitFailure;
    if (const std::wstring failure = plugin->GetFailure(); !failure.empty())
        Fail(QStringLiteral("%1 could not be opened: %2").arg(name, QString::fromStdWString(failure)));
    else if (PrepareInstance(*plugin))
    {
        LoadReport report;
        report.blockSize = m_options.blockSize;
        report.isolated = isolated != nullptr;
        const bool instrument =
            CategoryTable::Instance().IsInstrumentMask(entry.categoryMask) || plugin->GetNumInputs() == 0;
        if (const QString error = audio.Run(*plugin, instrument, report); !error.isEmpty())
            Fail(error);
        else
        {
            report.Describe(*plugin);
            m_out << (m_options.json ? report.Json() : report.Text());
            m_out.flush();
            if (!isolated || !isolated->ProcessFailed())
                result = StoreInstance(*plugin) ? kExitOk : kExitFailure;
        }
    }
    if (isolated && isolated->ProcessFailed())
        result = ReportIsolatedFailure(name, *isolated);
    m_host->ReleasePlugin(plugin);
    return result;
}

// The plug-in took its own process down or hung it; ours lives on to say so.
int Plugcat::ReportIsolatedFailure(const QString& name, const IsolatedPlugin& plugin)
{
    m_host->ReportIsolatedCrash(name.toStdWString());
    return Fail(QStringLiteral("%1 failed in its own process: %2; it is now disabled and marked not working, "
                               "and 'plugcat enable %1' turns it on again")
                    .arg(name, QString::fromStdWString(plugin.GetFailure())));
}

int Plugcat::SetIsolated()
{
    const bool on = m_options.arguments[1] == QLatin1String("on");
    if (m_options.arguments[0] == QLatin1String("all"))
    {
        if (!LoadCatalogue(true))
            return kExitFailure;
        m_host->Isolation().SetIsolatesAll(on);
        if (!m_host->Isolation().Save())
            return Fail(QStringLiteral("cannot write %1").arg(QLatin1String(PluginIsolation::kFileName)));
        m_out << (on ? "Every VST plug-in now runs isolated, unless chosen otherwise\n"
                     : "VST plug-ins now run in process, unless chosen otherwise\n");
        m_out.flush();
        return kExitOk;
    }
    PluginRef plugin;
    if (!FindEditablePlugin(plugin, QStringLiteral("chain presets run in process")))
        return kExitFailure;
    const QString identifier =
        QString::fromStdString(plugin.typeKey) + QLatin1Char(':') + QString::fromStdWString(plugin.id);
    if (plugin.typeKey != "vst")
        return Fail(QStringLiteral("%1 is not a VST plug-in; only those run isolated").arg(identifier));
    m_host->Isolation().SetIsolated(plugin.id, on);
    if (!m_host->Isolation().Save())
        return Fail(QStringLiteral("cannot write %1").arg(QLatin1String(PluginIsolation::kFileName)));
    m_out << identifier << (on ? " now runs isolated\n" : " now runs in process\n");
    m_out.flush();
    return kExitOk;
}

bool Plugcat::PrepareInstance(AudioPlugin& plugin)
{
    if (!m_options.restorePath.isEmpty())
    {
        PluginState state;
        const QString error = PresetFile::Read(m_options.restorePath, state);
        if (!error.isEmpty())
            return Refuse(error);
        const std::wstring identifier = plugin.GetIdentifierPrefix() + plugin.GetIdentifierKey();
        if (state.identifier != identifier)
            return Refuse(QStringLiteral("the preset in %1 belongs to %2, not to %3")
                              .arg(m_options.restorePath, QString::fromStdWString(state.identifier),
                                   QString::fromStdWString(identifier)));
        if (!plugin.LoadPreset(state))
            return Refuse(QStringLiteral("the plug-in refused the preset in %1").arg(m_options.restorePath));
    }
    for (const auto& [index, value] : m_options.parameterSettings)
    {
        if (index >= plugin.GetNumParameters())
            return Refuse(QStringLiteral("the plug-in has no parameter %1").arg(index));
        plugin.SetParameter(index, value);
    }
    if (m_options.bypass)
        plugin.SetBypassed(true);
    return true;
}

bool Plugcat::StoreInstance(AudioPlugin& plugin)
{
    if (m_options.storePath.isEmpty())
        return true;
    PluginState state;
    if (!plugin.StorePreset(state))
        return Refuse(QStringLiteral("the plug-in gave no preset to store"));
    const QString error = PresetFile::Write(m_options.storePath, state);
    return error.isEmpty() || Refuse(error);
}
