#pragma once

#include <QStringList>
#include <string>

// The scanner process's two pieces of host data: the preferences root cut
// from the request path and the folders the request names. Written once at
// start-up on the main thread, before the worker starts; read-only after.
class ProcessFolders
{
public:
    static std::wstring& PreferencesRoot();
    static QStringList& PluginFolders();
};
