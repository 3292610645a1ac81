#pragma once

#include <QStringList>
#include <string>

// The one way engine code reaches the host application. Only the operations
// the engine calls are declared; their order is the interface's.
class ICorvaneInterface
{
public:
    virtual ~ICorvaneInterface() = default;

    // The host's preferences folder, as the host spells it.
    virtual std::wstring GetPreferencesFolder() = 0;
    // The plug-in folders to scan, in the order they are to be scanned.
    virtual QStringList GetPluginFolders() = 0;
    // The host's log; the trace facility hands every line to these.
    virtual void Log(int level, const wchar_t* format, ...) = 0;
    virtual void Log(int level, const char* format, ...) = 0;
};
