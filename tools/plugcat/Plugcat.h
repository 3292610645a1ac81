#pragma once

#include "tools/plugcat/PlugcatInterface.h"
#include "tools/plugcat/PlugcatOptions.h"

#include <QTextStream>
#include <memory>
#include <string>

class PluginHost;

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
    // Opens the catalogue with the results of the last scan, keeping the
    // folders of its request.
    bool LoadCatalogue();
    int Fail(const QString& message);
    int Scan();
    int List();
    int Menu();
    int SetEnabled(bool enabled);
    int SetFavourite();
    void PrintCatalogue();
    // Accepts "type:id" and a bare id; false when no list has it.
    bool FindPlugin(const QString& text, PluginRef& found) const;
    bool FindEditablePlugin(PluginRef& plugin, const QString& chainRefusal);

    const PlugcatOptions m_options;
    QTextStream m_out;
    QTextStream m_err;
    std::unique_ptr<PlugcatInterface> m_interface;
    PluginHost* m_host = nullptr;
};
