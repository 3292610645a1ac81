#pragma once

#include <QString>
#include <QStringList>
#include <string>

// The scanner process: decides the mode from the command line, loads the scan
// request and runs the progress dialog whose worker performs the scan.
class ScannerEntry
{
public:
    static constexpr const wchar_t* kReWireSwitch = L"-rewire_version";
    // The effects folder cannot be written, so nothing is scanned.
    static constexpr int kExitUnwritable = 1;
    // An option of a parallel scan that makes no sense.
    static constexpr int kExitUsage = 2;

    static int Main(int argc, char** argv);

    // Where the host writes its request when it names none.
    static QString DefaultRequestPath();
    // The preferences root is the request path cut before its Effects folder;
    // empty when the request lies in no Effects folder.
    static std::wstring PreferencesRootOf(const std::wstring& requestPath);
    // Where the results and crash markers go: the preferences root's Effects
    // folder, or the request's own folder when there is no root.
    static std::wstring EffectsFolderOf(const std::wstring& requestPath);

private:
    // Takes the options of a parallel scan off the front of the arguments;
    // false, with the reason printed, for a value that makes no sense.
    static bool TakeJobOptions(QStringList& arguments);
    // A job's results and markers go to a folder of its own.
    static std::wstring JobFolderOf(const std::wstring& effectsFolder);
    static std::wstring AbsoluteRequestPath(const QString& argument);
    // Makes the folder if need be; false, with the reason printed, when it
    // cannot be written.
    static bool CanWriteFolder(const QString& folder);
    static void ChooseWindowingPlatform();
};
