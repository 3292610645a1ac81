#include "tools/plugcat/PlugcatOptions.h"

#include <QDir>
#include <QFileInfo>
#include <map>

namespace
{
using Command = PlugcatOptions::Command;

const std::map<QString, Command> kCommands = {
    {QStringLiteral("scan"), Command::Scan},       {QStringLiteral("list"), Command::List},
    {QStringLiteral("menu"), Command::Menu},       {QStringLiteral("enable"), Command::Enable},
    {QStringLiteral("disable"), Command::Disable}, {QStringLiteral("favourite"), Command::Favourite},
};

// Splits "--name=value" or takes the value from the next argument.
bool TakeValue(const QStringList& arguments, int& index, const QString& name, QString& value)
{
    const QString& argument = arguments[index];
    if (argument.startsWith(name + QLatin1Char('=')))
    {
        value = argument.mid(name.size() + 1);
        return true;
    }
    if (argument != name)
        return false;
    if (index + 1 >= arguments.size())
        value.clear();
    else
        value = arguments[++index];
    return true;
}

bool ParseNumber(const QString& text, std::uint32_t& number)
{
    bool ok = false;
    number = text.toUInt(&ok);
    return ok && number > 0;
}

QString CheckArguments(const PlugcatOptions& options, bool sawJson, bool sawMenuOption)
{
    if (sawJson && options.command != Command::List && options.command != Command::Scan)
        return QStringLiteral("--json belongs to 'list' and 'scan'");
    if (sawMenuOption && options.command != Command::Menu)
        return QStringLiteral("--channels and --rate belong to 'menu'");
    const int count = options.arguments.size();
    switch (options.command)
    {
    case Command::List:
    case Command::Menu:
        return count == 0 ? QString() : QStringLiteral("unexpected argument '%1'").arg(options.arguments[0]);
    case Command::Enable:
    case Command::Disable:
        return count == 1 ? QString() : QStringLiteral("expected one plug-in id");
    case Command::Favourite:
        if (count != 2)
            return QStringLiteral("expected a plug-in id and 'on' or 'off'");
        return options.arguments[1] == QLatin1String("on") || options.arguments[1] == QLatin1String("off")
                   ? QString()
                   : QStringLiteral("expected 'on' or 'off', not '%1'").arg(options.arguments[1]);
    default:
        return {};
    }
}
} // namespace

PlugcatOptions PlugcatOptions::Parse(const QStringList& arguments, QString& error)
{
    PlugcatOptions options;
    options.preferencesRoot = DefaultPreferencesRoot();
    bool haveCommand = false;
    bool sawJson = false;
    bool sawMenuOption = false;
    for (int index = 0; index < arguments.size() && error.isEmpty(); ++index)
    {
        const QString& argument = arguments[index];
        QString value;
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help"))
            return PlugcatOptions();
        if (TakeValue(arguments, index, QStringLiteral("--prefs"), value))
        {
            options.preferencesRoot = value;
            if (value.isEmpty())
                error = QStringLiteral("--prefs needs a folder");
        }
        else if (TakeValue(arguments, index, QStringLiteral("--channels"), value))
        {
            std::uint32_t channels = 0;
            sawMenuOption = true;
            if (!ParseNumber(value, channels))
                error = QStringLiteral("--channels needs a channel count, not '%1'").arg(value);
            options.channels = std::int32_t(channels);
        }
        else if (TakeValue(arguments, index, QStringLiteral("--rate"), value))
        {
            sawMenuOption = true;
            if (!ParseNumber(value, options.sampleRate))
                error = QStringLiteral("--rate needs a sample rate in Hz, not '%1'").arg(value);
        }
        else if (argument == QLatin1String("--json"))
            options.json = sawJson = true;
        else if (argument == QLatin1String("--verbose"))
            options.verbose = true;
        else if (argument.startsWith(QLatin1Char('-')) && argument.size() > 1)
            error = QStringLiteral("unknown option '%1'").arg(argument);
        else if (haveCommand)
            options.arguments << argument;
        else if (kCommands.count(argument))
        {
            options.command = kCommands.at(argument);
            haveCommand = true;
        }
        else
            error = QStringLiteral("unknown command '%1'").arg(argument);
    }
    if (error.isEmpty() && !haveCommand)
        error = QStringLiteral("no command given");
    if (error.isEmpty())
        error = CheckArguments(options, sawJson, sawMenuOption);
    return options;
}

QString PlugcatOptions::Usage()
{
    return QStringLiteral(
               "Usage: plugcat [--prefs DIR] [--verbose] COMMAND [ARGUMENTS]\n"
               "\n"
               "Commands:\n"
               "  scan [--json] [FOLDER...]         scan the plug-in folders in the scanner process\n"
               "                                    (default: the standard folders that exist), then\n"
               "                                    print the catalogue\n"
               "  list [--json]                     print the catalogue\n"
               "  menu [--channels N] [--rate HZ]   print the plug-in menu of a track of N channels\n"
               "                                    at HZ (default 48000)\n"
               "  enable ID, disable ID             enable or disable a plug-in\n"
               "  favourite ID on|off               mark or unmark a plug-in as a favourite\n"
               "\n"
               "Options:\n"
               "  --prefs DIR   the preferences root; its Effects folder holds the catalogue's files\n"
               "                (default: %1)\n"
               "  --verbose     print the engine's trace on standard error\n"
               "\n"
               "ID is a plug-in id as 'plugcat list' prints it, optionally preceded by its list\n"
               "and a colon: vst:NAME:NUMBER, tfd:ID, chain:ID.\n")
        .arg(DefaultPreferencesRoot());
}

QString PlugcatOptions::DefaultPreferencesRoot()
{
    return QDir::homePath() +
           QStringLiteral("/AppData/Roaming/Thornfield Design/Orvella Corvane/Preferences/Quillmore");
}

QStringList PlugcatOptions::DefaultPluginFolders()
{
    const QString home = QDir::homePath();
    QStringList folders;
    for (const QString& folder :
         {home + QStringLiteral("/.vst"), home + QStringLiteral("/.vst3"), QStringLiteral("/usr/lib/vst"),
          QStringLiteral("/usr/lib/lxvst"), QStringLiteral("/usr/lib/vst3"),
          QStringLiteral("/usr/local/lib/vst"), QStringLiteral("/usr/local/lib/lxvst"),
          QStringLiteral("/usr/local/lib/vst3")})
        if (QFileInfo(folder).isDir())
            folders << folder;
    return folders;
}
