#include "Scanner/ScannerEntry.h"

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

int ScannerEntry::Main(int argc, char** argv)
{
    // A plug-in that crashes the process must end it without anything that
    // waits for a user.
    Platform::SystemServices& services = Platform::Services();
    services.SetErrorMode(services.GetErrorMode() | Platform::kNoGpFaultErrorBox);

    ChooseWindowingPlatform();
    QApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const bool defaultPath = arguments.size() < 2;
    const QString argument = defaultPath ? DefaultRequestPath() : arguments[1];
    if (argument.toStdWString() == kReWireSwitch)
        return ReWireVersionCheck::Run();
    // A folder or a pipe at the path is no request file: reading it finds no
    // folders, and the scan would then drop every result it knew.
    if (!QFileInfo(argument).isFile())
        return 0;
    const std::wstring requestPath = AbsoluteRequestPath(argument);
    ProcessFolders::PreferencesRoot() = PreferencesRootOf(requestPath);
    const std::wstring effectsFolder = EffectsFolderOf(requestPath);
    if (!CanWriteFolder(QString::fromStdWString(effectsFolder)))
        return kExitUnwritable;
    ProcessFolders::PluginFolders() = ScanRequestFile::Read(requestPath);

    CorvaneInterfaceImpl hostInterface;
    EngineContext::Instance().SetInterface(&hostInterface);
    {
        UiPlugSweep dialog(ProcessFolders::PreferencesRoot(), nullptr,
                           UiPlugSweep::CatalogueScan(effectsFolder));
        dialog.Run(application, defaultPath);
    } // joins the worker
    // The interface dies with this function; Qt's own teardown may still trace.
    EngineContext::Instance().SetInterface(nullptr);
    return 0;
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
