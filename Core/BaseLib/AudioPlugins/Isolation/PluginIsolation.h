#pragma once

#include "Core/BaseLib/AudioPlugins/PluginList.h"
#include "Core/BaseLib/AudioPlugins/PluginPlacement.h"

#include <QString>
#include <set>
#include <string>

class AudioPlugin;

// Which plug-ins of the catalogue run in a process of their own, and which
// of them crashed there. Kept in a small file of our own beside the result
// files, which it never touches: a default for every plug-in, the choices
// made per plug-in, and the crashed ones. Plug-ins are named as the
// catalogue's "vst" list names them.
class PluginIsolation
{
public:
    static constexpr const char* kFileName = "Isolation.xml";
    static constexpr const char* kHostProgram = "PlugSweepHost";

    // Reads the file in the effects folder; a missing or unreadable file
    // isolates nothing.
    void Open(const QString& effectsFolder);
    bool Save() const;

    bool IsIsolated(const std::wstring& id) const;
    // The choice for one plug-in, which wins over the default either way.
    void SetIsolated(const std::wstring& id, bool on);
    bool IsolatesAll() const { return m_default; }
    void SetIsolatesAll(bool on) { m_default = on; }

    void SetCrashed(const std::wstring& id, bool crashed);
    bool HasCrashed(const std::wstring& id) const { return m_crashed.count(id) != 0; }
    // Shows the crashed plug-ins as not working in the catalogue's "vst" list.
    void MarkCrashed(PluginTypeList& list) const;
    // Crashed plug-ins that the list shows enabled again get another chance;
    // the file is saved when that changed anything.
    void ForgetReenabled(const PluginTypeList& list);

    // The host program beside the running one unless one was set (tests do).
    QString HostProgram() const;
    void SetHostProgram(const QString& path) { m_hostProgram = path; }
    // An isolated plug-in, initialised; null when it could not be created.
    // A plug-in that refused to open is returned, with its failure, for the
    // caller to report and release.
    AudioPlugin* Load(const std::wstring& id, float sampleRate, std::uint32_t blockSize,
                      const PluginPlacement& placement) const;

private:
    QString m_effectsFolder;
    QString m_hostProgram;
    bool m_default = false;
    std::set<std::wstring> m_isolated;
    std::set<std::wstring> m_inProcess;
    std::set<std::wstring> m_crashed;
};
