#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

// plugcat's command line.
struct PlugcatOptions
{
    enum class Command
    {
        Scan,
        List,
        Menu,
        Enable,
        Disable,
        Favourite,
        Help,
    };

    Command command = Command::Help;
    QString preferencesRoot;
    // Scan: the folders; edits: the plug-in id and, for favourites, on or off.
    QStringList arguments;
    bool json = false;
    bool verbose = false;
    // Menu: the track's channel count (0: the studio model's own track) and rate.
    std::int32_t channels = 0;
    std::uint32_t sampleRate = 48000;

    // Empty error when the arguments were understood.
    static PlugcatOptions Parse(const QStringList& arguments, QString& error);
    static QString Usage();
    static QString DefaultPreferencesRoot();
    // The standard plug-in folders that exist on this machine.
    static QStringList DefaultPluginFolders();
};
