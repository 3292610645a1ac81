#pragma once

#include "Core/BaseLib/AudioPlugins/PluginPlacement.h"

#include <QString>
#include <QTemporaryDir>
#include <string>

class AudioPlugin;
class AudioPluginHost;

// Creates the isolated plug-in through the format hosts, as the catalogue
// would, from a private copy of the result files: whatever the hosts write
// while they read them lands in the copy, so this process never writes the
// catalogue's files, holds its lock or scans.
class IsolationLoader
{
public:
    IsolationLoader() = default;
    ~IsolationLoader();
    IsolationLoader(const IsolationLoader&) = delete;
    IsolationLoader& operator=(const IsolationLoader&) = delete;

    // Null, with failure saying why, when the plug-in cannot be created.
    AudioPlugin* Load(const std::wstring& identifier, const QString& effectsFolder, float sampleRate,
                      std::uint32_t blockSize, const PluginPlacement& placement, std::wstring& failure);

    // The format host that created the plug-in; null before.
    AudioPluginHost* Host() const { return m_host; }

private:
    bool CopyResults(const QString& effectsFolder);

    QTemporaryDir m_folder;
    AudioPlugin* m_plugin = nullptr;
    AudioPluginHost* m_host = nullptr;
};
