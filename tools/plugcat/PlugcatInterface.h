#pragma once

#include "Interfaces/ICorvaneInterface.h"

// The host interface plugcat gives the engine: its preferences root and the
// folders to scan, and, when asked for, the engine's trace on standard error.
class PlugcatInterface : public ICorvaneInterface
{
public:
    PlugcatInterface(std::wstring preferencesRoot, QStringList pluginFolders, bool traceToStderr);

    std::wstring GetPreferencesFolder() override { return m_preferencesRoot; }
    QStringList GetPluginFolders() override { return m_pluginFolders; }
    void Log(int level, const wchar_t* format, ...) override;
    void Log(int level, const char* format, ...) override;

private:
    const std::wstring m_preferencesRoot;
    const QStringList m_pluginFolders;
    const bool m_traceToStderr;
};
