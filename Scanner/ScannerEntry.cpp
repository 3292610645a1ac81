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
#include <QFile>
#include <QFileInfo>

int ScannerEntry::Main(int argc, char** argv)
{
    // A plug-in that crashes the process must end it without anything that
    // waits for a user.
    Platform::SystemServices& services = Platform::Services();
    services.SetErrorMode(services.GetErrorMode() | Platform::kNoGpFaultErrorBox);

    UseOffscreenPlatformWithoutDisplay();
    QApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const bool defaultPath = arguments.size() < 2;
    const QString argument = defaultPath ? DefaultRequestPath() : arguments[1];
    if (argument.toStdWString() == kReWireSwitch)
        return ReWireVersionCheck::Run();
    if (!QFileInfo::exists(argument))
        return 0;
    // A path relative to the working folder names the same file absolutely, so
    // its Effects folder is found wherever the scanner was started.
    const bool relative = QFileInfo(argument).isRelative() && !argument.contains(QLatin1Char('\\'));
    const std::wstring requestPath =
        (relative ? QFileInfo(argument).absoluteFilePath() : argument).toStdWString();

    ProcessFolders::PreferencesRoot() = PreferencesRootOf(requestPath);
    ProcessFolders::PluginFolders() = ScanRequestFile::Read(requestPath);

    CorvaneInterfaceImpl hostInterface;
    EngineContext::Instance().SetInterface(&hostInterface);
    {
        UiPlugSweep dialog(ProcessFolders::PreferencesRoot(), nullptr);
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

void ScannerEntry::UseOffscreenPlatformWithoutDisplay()
{
    const bool display =
        !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (!display && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}
