#include "Scanner/ScannerEntry.h"

#include "Core/BaseLib/AudioPlugins/PluginHost.h"
#include "Core/BaseLib/ScanJob.h"
#include "Core/BaseLib/ScanRequestFile.h"
#include "Interfaces/CorvaneInterfaceImpl.h"
#include "Interfaces/EngineContext.h"
#include "Interfaces/ProcessFolders.h"
#include "Platform/SystemServices.h"
#include "Platform/UserFolders.h"
#include "ReWire/ReWireVersionCheck.h"
#include "Scanner/UiPlugSweep.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace
{
// The scan of the scanner process: the catalogue initialised on the
// preferences root with its results in the effects folder, then told to scan
// in this process.
UiPlugSweep::ScanJob CatalogueScan(std::wstring effectsFolder)
{
    return [effectsFolder = std::move(effectsFolder)](const std::wstring& preferencesRoot)
    {
        PluginHost* catalogue = PluginHost::GetInstance();
        AudioPluginHost::SetCurrent(catalogue);
        catalogue->InitialiseIn(effectsFolder, preferencesRoot, std::wstring(), 48000, 1024);
        catalogue->LaunchScanner(true, true);
    };
}
} // namespace

int ScannerEntry::Main(int argc, char** argv)
{
    // A plug-in that crashes the process must end it without anything that
    // waits for a user.
    Platform::SystemServices& services = Platform::Services();
    services.SetErrorMode(services.GetErrorMode() | Platform::kNoGpFaultErrorBox);

    ChooseWindowingPlatform();
    QApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (!TakeJobOptions(arguments))
        return kExitUsage;
    const bool defaultPath = arguments.isEmpty();
    const QString argument = defaultPath ? DefaultRequestPath() : arguments[0];
    if (argument.toStdWString() == kReWireSwitch)
        return ReWireVersionCheck::Run();
    // A folder or a pipe at the path is no request file: reading it finds no
    // folders, and the scan would then drop every result it knew.
    if (!QFileInfo(argument).isFile())
        return 0;
    const std::wstring requestPath = AbsoluteRequestPath(argument);
    ProcessFolders::PreferencesRoot() = PreferencesRootOf(requestPath);
    const std::wstring effectsFolder = JobFolderOf(EffectsFolderOf(requestPath));
    if (!CanWriteFolder(QString::fromStdWString(effectsFolder)))
        return kExitUnwritable;
    ProcessFolders::PluginFolders() = ScanRequestFile::Read(requestPath);
    ScanJob& job = ScanJob::Current();
    job.TakeResume(QString::fromStdWString(effectsFolder));

    CorvaneInterfaceImpl hostInterface;
    EngineContext::Instance().SetInterface(&hostInterface);
    {
        UiPlugSweep dialog(ProcessFolders::PreferencesRoot(), nullptr, CatalogueScan(effectsFolder));
        dialog.Run(application, defaultPath);
    } // joins the worker
    // The interface dies with this function; Qt's own teardown may still trace.
    EngineContext::Instance().SetInterface(nullptr);
    if (!job.MemoryLimitReached())
        return 0;
    job.KeepResume(QString::fromStdWString(effectsFolder));
    return ScanJob::kExitMemoryLimit;
}

// "-job K/N" probes the K-th of every N plug-in files, in a folder of the
// job's own; "-merge N" takes over what N jobs found; "-memory_limit MIB"
// (0: none) ends the scan after the probe that took the process past it.
bool ScannerEntry::TakeJobOptions(QStringList& arguments)
{
    ScanJob& job = ScanJob::Current();
    while (arguments.size() >= 2 && arguments[0].startsWith(QLatin1Char('-')))
    {
        const QString option = arguments.takeFirst();
        const QString value = arguments.takeFirst();
        const QStringList share = value.split(QLatin1Char('/'));
        bool ok = false;
        bool countOk = false;
        if (option == QLatin1String("-job") && share.size() == 2)
        {
            const int index = share[0].toInt(&ok);
            const int count = share[1].toInt(&countOk);
            ok = ok && countOk && index >= 0 && index < count;
            job.SetShare(index, count);
        }
        else if (option == QLatin1String("-merge"))
        {
            const int jobs = value.toInt(&ok);
            ok = ok && jobs > 0;
            job.SetMerged(jobs);
        }
        else if (option == QLatin1String("-memory_limit"))
        {
            const qint64 mebibytes = value.toLongLong(&ok);
            ok = ok && mebibytes >= 0;
            job.SetMemoryLimitMiB(mebibytes);
        }
        else
        {
            // Not one of ours: the request path, or the ReWire switch.
            arguments.prepend(value);
            arguments.prepend(option);
            return true;
        }
        if (!ok)
        {
            QTextStream(stderr) << "PlugSweep: bad value for " << option << ": " << value << '\n';
            return false;
        }
    }
    return true;
}

std::wstring ScannerEntry::JobFolderOf(const std::wstring& effectsFolder)
{
    const ScanJob& job = ScanJob::Current();
    if (!job.IsShare())
        return effectsFolder;
    return ScanJob::Folder(QString::fromStdWString(effectsFolder), job.Index()).toStdWString();
}

QString ScannerEntry::DefaultRequestPath()
{
    return QFile::decodeName(Platform::RoamingAppDataFolder().c_str()) +
           QStringLiteral("/Thornfield Design/Orvella Corvane/Preferences/Quillmore/Effects/FXScan.xml");
}

std::wstring ScannerEntry::PreferencesRootOf(const std::wstring& requestPath)
{
    size_t at = requestPath.find(L"/Effects/");
    if (at == std::wstring::npos)
        at = requestPath.find(L"\\Effects\\");
    return at == std::wstring::npos ? std::wstring() : requestPath.substr(0, at);
}

// A path relative to the working folder names the same file absolutely, so
// its Effects folder is found wherever the scanner was started.
std::wstring ScannerEntry::AbsoluteRequestPath(const QString& argument)
{
    const bool relative = QFileInfo(argument).isRelative() && !argument.contains(QLatin1Char('\\'));
    return (relative ? QFileInfo(argument).absoluteFilePath() : argument).toStdWString();
}

std::wstring ScannerEntry::EffectsFolderOf(const std::wstring& requestPath)
{
    const std::wstring root = PreferencesRootOf(requestPath);
    if (!root.empty())
        return root + L"/Effects";
    // Never the file system's own /Effects: the results go where the request is.
    return QFileInfo(QString::fromStdWString(requestPath)).absolutePath().toStdWString();
}

// Results that cannot be kept, and crash markers that cannot be left, would
// make a scan that loads every plug-in again on every run.
bool ScannerEntry::CanWriteFolder(const QString& folder)
{
    if (QDir().mkpath(folder) && QFileInfo(folder).isWritable())
        return true;
    QTextStream(stderr) << "PlugSweep: cannot write to the effects folder " << folder
                        << ", which holds the results and the crash markers; nothing was scanned\n";
    return false;
}

// Qt ends the process when the platform it was told to use cannot be reached,
// as when DISPLAY names a closed X server. Offscreen, as the last of the
// platforms to try, always starts; the window is then merely not seen.
void ScannerEntry::ChooseWindowingPlatform()
{
    QByteArray platforms = qgetenv("QT_QPA_PLATFORM");
    if (platforms.isEmpty())
        platforms = !qEnvironmentVariableIsEmpty("DISPLAY")           ? "xcb"
                    : !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ? "wayland"
                                                                      : "";
    if (!platforms.split(';').contains("offscreen"))
        platforms += platforms.isEmpty() ? "offscreen" : ";offscreen";
    qputenv("QT_QPA_PLATFORM", platforms);
}
