#pragma once

#include "tools/plugcat/PlugcatInterface.h"
#include "tools/plugcat/PlugcatOptions.h"

#include <QTextStream>
#include <memory>
#include <string>

class AudioPlugin;
class IsolatedPlugin;
class PluginHost;

namespace Platform
{
class FileLock;
}

// The host-side catalogue tool: runs one command of its command line against
// the catalogue kept in a preferences root.
class Plugcat
{
public:
    static constexpr int kExitOk = 0;
    static constexpr int kExitFailure = 1;
    static constexpr int kExitUsage = 2;

    explicit Plugcat(PlugcatOptions options);
    ~Plugcat();

    int Run();

private:
    struct PluginRef
    {
        std::string typeKey;
        std::wstring id;
    };

    // Installs the host interface and initialises the catalogue; false, with
    // the message printed, when the preferences folder cannot be written.
    bool OpenCatalogue(const QStringList& pluginFolders);
    // Waits while another plugcat works on the same preferences folder: two
    // at once would take each other's crash markers for crashes and overwrite
    // each other's result files. False when a scan was interrupted meanwhile.
    bool LockPreferences(const QString& root, const QString& effectsFolder);
    int Interrupted(int signal);
    // Opens the catalogue with the results of the last scan, keeping the
    // folders of its request.
    bool LoadCatalogue();
    int Fail(const QString& message);
    bool Refuse(const QString& message);
    int Scan();
    int List();
    int Menu();
    int SetEnabled(bool enabled);
    int SetFavourite();
    int Load();
    int ReportIsolatedFailure(const QString& name, const IsolatedPlugin& plugin);
    int SetIsolated();
    // Restores the preset file and the parameter settings the command names;
    // false after reporting why not.
    bool PrepareInstance(AudioPlugin& plugin);
    bool StoreInstance(AudioPlugin& plugin);
    void PrintCatalogue();
    // Accepts "type:id", a format's "vst2:id" or "vst3:id", a bare id and a
    // display name that only one plug-in has; false when none matches.
    bool FindPlugin(const QString& text, PluginRef& found) const;
    bool FindEditablePlugin(PluginRef& plugin, const QString& chainRefusal);

    const PlugcatOptions m_options;
    QTextStream m_out;
    QTextStream m_err;
    std::unique_ptr<Platform::FileLock> m_lock;
    std::unique_ptr<PlugcatInterface> m_interface;
    PluginHost* m_host = nullptr;
};
