#include "Interfaces/ProcessFolders.h"

std::wstring& ProcessFolders::PreferencesRoot()
{
    static std::wstring root;
    return root;
}

QStringList& ProcessFolders::PluginFolders()
{
    static QStringList folders;
    return folders;
}
