#pragma once

#include <QString>
#include <string>

// The scanner process: decides the mode from the command line, loads the scan
// request and runs the progress dialog whose worker performs the scan.
class ScannerEntry
{
public:
    static constexpr const wchar_t* kReWireSwitch = L"-rewire_version";

    static int Main(int argc, char** argv);

    // Where the host writes its request when it names none.
    static QString DefaultRequestPath();
    // The preferences root is the request path cut before its Effects folder;
    // empty when the request lies in no Effects folder.
    static std::wstring PreferencesRootOf(const std::wstring& requestPath);

private:
    static void UseOffscreenPlatformWithoutDisplay();
};
