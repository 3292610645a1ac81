#include "Interfaces/CorvaneInterfaceImpl.h"

#include "Interfaces/ProcessFolders.h"

std::wstring CorvaneInterfaceImpl::GetPreferencesFolder()
{
    return ProcessFolders::PreferencesRoot();
}

QStringList CorvaneInterfaceImpl::GetPluginFolders()
{
    return ProcessFolders::PluginFolders();
}

// The scanner has no log of its own; its results are its files.
void CorvaneInterfaceImpl::Log(int, const wchar_t*, ...) {}

void CorvaneInterfaceImpl::Log(int, const char*, ...) {}
