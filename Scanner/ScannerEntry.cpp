#include "Scanner/ScannerEntry.h"

#include "Core/BaseLib/ScanRequestFile.h"
#include "Interfaces/CorvaneInterfaceImpl.h"
#include "Interfaces/EngineContext.h"
#include "Interfaces/ProcessFolders.h"
#include "Platform/SystemServices.h"
#include "ReWire/ReWireVersionCheck.h"
#include "Scanner/UiPlugSweep.h"

#include <QApplication>
#include <QDir>
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
    const std::wstring requestPath = (defaultPath ? DefaultRequestPath() : arguments[1]).toStdWString();

    if (requestPath == kReWireSwitch)
        return ReWireVersionCheck::Run();
    if (!QFileInfo::exists(QString::fromStdWString(requestPath)))
        return 0;

    ProcessFolders::PreferencesRoot() = PreferencesRootOf(requestPath);
    ProcessFolders::PluginFolders() = ScanRequestFile::Read(requestPath);

    CorvaneInterfaceImpl hostInterface;
    EngineContext::Instance().SetInterface(&hostInterface);
    UiPlugSweep dialog(ProcessFolders::PreferencesRoot(), nullptr);
    dialog.Run(application, defaultPath);
    return 0;
}

QString ScannerEntry::DefaultRequestPath()
{
    return QDir::homePath() +
           QStringLiteral("/AppData/Roaming/Thornfield Design/Orvella Corvane/Preferences/Quillmore/Effects/FXScan.xml");
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
    const bool display = qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
    if (!display && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}
