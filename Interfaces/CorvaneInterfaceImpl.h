#pragma once

#include "Interfaces/ICorvaneInterface.h"

// The host interface of the scanner process, where no host application runs:
// it hands out the preferences root and the requested plug-in folders and
// answers everything else neutrally.
class CorvaneInterfaceImpl : public ICorvaneInterface
{
public:
    std::wstring GetPreferencesFolder() override;
    QStringList GetPluginFolders() override;
    void Log(int level, const wchar_t* format, ...) override;
    void Log(int level, const char* format, ...) override;
};
