#pragma once

#include "tools/plugcat/PlugcatInterface.h"
#include "tools/plugcat/PlugcatOptions.h"

#include <QTextStream>
#include <cstdio>
#include <memory>
#include <string>

class AudioPlugin;
class IsolatedPlugin;
class PluginHost;

// The host-side catalogue tool: runs one command of its command line against
// the catalogue kept in a preferences root.
class Plugcat
{
public:
    static constexpr int kExitOk = 0;
    static constexpr int kExitFailure = 1;
    static constexpr int kExitUsage = 2;

    // Results go to out; messages, and whatever plug-ins print, to stderr.
    Plugcat(PlugcatOptions options, std::FILE* out);
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
    // The catalogue's wait for another process that scans or edits the same
    // preferences folder; false gives up.
    bool WaitForLock(const QString& root, int waitedMs);
    int Interrupted(int request);
    // Opens the catalogue with the results of the last scan, keeping the
    // folders of its request. With holdLock no other process scans or edits
    // the folder until plugcat ends, so that an edit never meets a scan.
    bool LoadCatalogue(bool holdLock);
    int Fail(const QString& message);
    bool Refuse(const QString& message);
    int Scan();
    // A mistyped folder, or folders that are all missing, must not empty the
    // catalogue: false, with the message printed, when no given folder
    // exists; otherwise a warning for each missing one.
    bool CheckFolders(const QStringList& folders);
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
    std::unique_ptr<PlugcatInterface> m_interface;
    PluginHost* m_host = nullptr;
};
