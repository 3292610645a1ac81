#include "tools/plugcat/PlugcatOptions.h"

#include "Platform/UserFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <map>

namespace
{
using Command = PlugcatOptions::Command;

const std::map<QString, Command> kCommands = {
    {QStringLiteral("scan"), Command::Scan},       {QStringLiteral("list"), Command::List},
    {QStringLiteral("menu"), Command::Menu},       {QStringLiteral("enable"), Command::Enable},
    {QStringLiteral("disable"), Command::Disable}, {QStringLiteral("favourite"), Command::Favourite},
    {QStringLiteral("load"), Command::Load},       {QStringLiteral("isolate"), Command::Isolate},
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

// "INDEX=VALUE" with a normalised value.
bool ParseSetting(const QString& text, std::pair<std::int32_t, float>& setting)
{
    const QStringList parts = text.split(QLatin1Char('='));
    bool indexOk = false;
    bool valueOk = false;
    if (parts.size() == 2)
        setting = {parts[0].toInt(&indexOk), parts[1].toFloat(&valueOk)};
    return indexOk && valueOk && setting.first >= 0 && setting.second >= 0.0f && setting.second <= 1.0f;
}

struct Seen
{
    bool json = false;
    bool channels = false;
    bool rate = false;
    bool load = false;
    bool probeTimeout = false;
    bool scanOnly = false;
};

QString CheckArguments(const PlugcatOptions& options, const Seen& seen)
{
    const Command command = options.command;
    if (seen.json && command != Command::List && command != Command::Scan && command != Command::Load)
        return QStringLiteral("--json belongs to 'list', 'scan' and 'load'");
    if (seen.channels && command != Command::Menu)
        return QStringLiteral("--channels belongs to 'menu'");
    if (seen.rate && command != Command::Menu && command != Command::Load)
        return QStringLiteral("--rate belongs to 'menu' and 'load'");
    if (seen.probeTimeout && command != Command::Scan)
        return QStringLiteral("--probe-timeout belongs to 'scan'");
    if (seen.scanOnly && command != Command::Scan)
        return QStringLiteral("--jobs and --memory-limit belong to 'scan'");
    if (seen.load && command != Command::Load)
        return QStringLiteral("--seconds, --block, --input, --output, --midi, --store, --restore, --bypass, "
                              "--set and --isolated belong to 'load'");
    const int count = options.arguments.size();
    switch (command)
    {
    case Command::List:
    case Command::Menu:
        return count == 0 ? QString() : QStringLiteral("unexpected argument '%1'").arg(options.arguments[0]);
    case Command::Enable:
    case Command::Disable:
    case Command::Load:
        return count == 1 ? QString() : QStringLiteral("expected one plug-in id");
    case Command::Favourite:
    case Command::Isolate:
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
    Seen seen;
    for (int index = 0; index < arguments.size() && error.isEmpty(); ++index)
    {
        const QString& argument = arguments[index];
        QString value;
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help"))
            return PlugcatOptions();
        if (argument == QLatin1String("--version"))
        {
            options.command = Command::Version;
            return options;
        }
        if (TakeValue(arguments, index, QStringLiteral("--prefs"), value))
        {
            options.preferencesRoot = value;
            if (value.isEmpty())
                error = QStringLiteral("--prefs needs a folder");
        }
        else if (TakeValue(arguments, index, QStringLiteral("--channels"), value))
        {
            std::uint32_t channels = 0;
            seen.channels = true;
            if (!ParseNumber(value, channels))
                error = QStringLiteral("--channels needs a channel count, not '%1'").arg(value);
            options.channels = std::int32_t(channels);
        }
        else if (TakeValue(arguments, index, QStringLiteral("--rate"), value))
        {
            seen.rate = options.rateGiven = true;
            if (!ParseNumber(value, options.sampleRate))
                error = QStringLiteral("--rate needs a sample rate in Hz, not '%1'").arg(value);
        }
        else if (TakeValue(arguments, index, QStringLiteral("--probe-timeout"), value))
        {
            seen.probeTimeout = true;
            if (!ParseNumber(value, options.probeTimeoutSeconds) || options.probeTimeoutSeconds > 86400)
                error = QStringLiteral("--probe-timeout needs a time in seconds up to 86400, not '%1'")
                            .arg(value);
        }
        else if (TakeValue(arguments, index, QStringLiteral("--jobs"), value))
        {
            seen.scanOnly = true;
            if (!ParseNumber(value, options.jobs) || options.jobs > kMaxJobs)
                error = QStringLiteral("--jobs needs a number of scanners from 1 to %1, not '%2'")
                            .arg(kMaxJobs)
                            .arg(value);
        }
        else if (TakeValue(arguments, index, QStringLiteral("--memory-limit"), value))
        {
            bool ok = false;
            seen.scanOnly = true;
            options.memoryLimitMiB = value.toLongLong(&ok);
            if (!ok || *options.memoryLimitMiB < 0 || *options.memoryLimitMiB > kMaxMemoryLimitMiB)
                error = QStringLiteral("--memory-limit needs a size in MiB up to %1 (0: none), not '%2'")
                            .arg(kMaxMemoryLimitMiB)
                            .arg(value);
        }
        else if (TakeValue(arguments, index, QStringLiteral("--seconds"), value))
        {
            bool ok = false;
            seen.load = options.secondsGiven = true;
            options.seconds = value.toDouble(&ok);
            if (!ok || options.seconds <= 0.0 || options.seconds > 3600.0)
                error = QStringLiteral("--seconds needs a time in seconds up to 3600, not '%1'").arg(value);
        }
        else if (TakeValue(arguments, index, QStringLiteral("--block"), value))
        {
            seen.load = true;
            if (!ParseNumber(value, options.blockSize) || options.blockSize > 65536)
                error =
                    QStringLiteral("--block needs a block size in frames up to 65536, not '%1'").arg(value);
        }
        else if (TakeValue(arguments, index, QStringLiteral("--store"), value) ||
                 TakeValue(arguments, index, QStringLiteral("--restore"), value))
        {
            seen.load = true;
            (argument.startsWith(QLatin1String("--store")) ? options.storePath : options.restorePath) = value;
            if (value.isEmpty())
                error =
                    QStringLiteral("%1 needs a preset file").arg(argument.section(QLatin1Char('='), 0, 0));
        }
        else if (TakeValue(arguments, index, QStringLiteral("--input"), value) ||
                 TakeValue(arguments, index, QStringLiteral("--output"), value) ||
                 TakeValue(arguments, index, QStringLiteral("--midi"), value))
        {
            seen.load = true;
            const QString name = argument.section(QLatin1Char('='), 0, 0);
            (name == QLatin1String("--input")    ? options.inputPath
             : name == QLatin1String("--output") ? options.outputPath
                                                 : options.midiPath) = value;
            if (value.isEmpty())
                error = QStringLiteral("%1 needs a file").arg(name);
        }
        else if (TakeValue(arguments, index, QStringLiteral("--set"), value))
        {
            std::pair<std::int32_t, float> setting;
            seen.load = true;
            if (!ParseSetting(value, setting))
                error =
                    QStringLiteral("--set needs INDEX=VALUE with a value from 0 to 1, not '%1'").arg(value);
            options.parameterSettings.push_back(setting);
        }
        else if (argument == QLatin1String("--bypass"))
            options.bypass = seen.load = true;
        else if (argument == QLatin1String("--isolated"))
            options.isolated = seen.load = true;
        else if (argument == QLatin1String("--json"))
            options.json = seen.json = true;
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
        error = CheckArguments(options, seen);
    return options;
}

QString PlugcatOptions::Usage()
{
    return QStringLiteral(
               "Usage: plugcat [--prefs DIR] [--verbose] COMMAND [ARGUMENTS]\n"
               "  or:  plugcat --help | --version\n"
               "Keeps the catalogue of VST 2 and VST 3 plug-ins that PlugSweep scans, and runs\n"
               "catalogued plug-ins on audio.\n"
               "\n"
               "Commands:\n"
               "  scan [--json] [--probe-timeout S] [--jobs N] [--memory-limit MIB] [FOLDER...]\n"
               "                                    scan the plug-in folders in the scanner process\n"
               "                                    (default: the standard folders that exist), then\n"
               "                                    print the catalogue; a plug-in whose probe takes\n"
               "                                    longer than S seconds is recorded as not working\n"
               "  list [--json]                     print the catalogue\n"
               "  menu [--channels N] [--rate HZ]   print the plug-in menu of a track of N channels\n"
               "                                    at HZ (default 48000)\n"
               "  enable ID, disable ID             enable or disable a plug-in\n"
               "  favourite ID on|off               mark or unmark a plug-in as a favourite\n"
               "  isolate ID|all on|off             run a VST plug-in (or, with 'all', every one\n"
               "                                    without a choice of its own) in a process of its\n"
               "                                    own, where a crash or hang cannot reach the host\n"
               "  load ID [LOAD OPTIONS]            create the plug-in, restore a preset, set\n"
               "                                    parameters, process audio, print latency,\n"
               "                                    parameters and levels, then store its preset\n"
               "                                    (the options marked 'load' below)\n"
               "\n"
               "Options:\n"
               "  --prefs DIR        the preferences root; its Effects folder holds the\n"
               "                     catalogue's files (default: %1,\n"
               "                     where $XDG_CONFIG_HOME, when set, takes the place of\n"
               "                     ~/.config)\n"
               "  --verbose          print the engine's trace on standard error\n"
               "  --json             print the catalogue, or the load report, as JSON\n"
               "  --probe-timeout S  scan: take a probe longer than S seconds for a hang\n"
               "  --jobs N           scan: probe with N scanner processes at once (default 1);\n"
               "                     the results are the same as with one\n"
               "  --memory-limit MIB scan: a scanner that grows past MIB MiB of resident memory\n"
               "                     is started again after its current plug-in, blaming none\n"
               "                     (default 1024; 0: no limit)\n"
               "  --channels N       menu: the track's channel count\n"
               "  --rate HZ          menu, load: the sample rate (default 48000; load takes the\n"
               "                     input file's)\n"
               "  --input FILE       load: process this audio file (WAV, FLAC, Ogg or any other\n"
               "                     format libsndfile reads) instead of a 440 Hz tone with\n"
               "                     noise; its channels feed the plug-in's as a track's would\n"
               "  --output FILE      load: write what the plug-in produced; the extension picks\n"
               "                     the format (.wav, .flac, .ogg, .aiff, ...), 32-bit float\n"
               "                     WAV without one\n"
               "  --midi FILE        load: play this standard MIDI file through the plug-in;\n"
               "                     without it an instrument gets middle C at velocity 100,\n"
               "                     held for the whole run\n"
               "  --seconds S        load: how long to process (default: the whole input file,\n"
               "                     or the MIDI file and one second more, or 1)\n"
               "  --block N          load: frames per processing block (default 1024)\n"
               "  --store FILE       load: write the plug-in's preset (JSON) afterwards\n"
               "  --restore FILE     load: restore a preset that --store wrote first\n"
               "  --set INDEX=VALUE  load: set a parameter to a value from 0 to 1\n"
               "  --bypass           load: run the plug-in bypassed; the report gives the\n"
               "                     largest difference from the input delayed by the latency\n"
               "  --isolated         load: run the plug-in in a process of its own; a crash or\n"
               "                     hang there is reported, and the plug-in is disabled\n"
               "  -h, --help         print this help and exit\n"
               "  --version          print the version and exit\n"
               "\n"
               "ID is a plug-in id as 'plugcat list' prints it, optionally preceded by its list\n"
               "and a colon (vst:NAME:NUMBER, tfd:ID, chain:ID, or vst2:ID and vst3:ID), or a\n"
               "plug-in's name when no other plug-in has it.\n"
               "\n"
               "One command at a time works on a preferences root: another waits for it.\n"
               "Ctrl-C or SIGTERM ends a scan in good order, keeping what it found.\n"
               "On a terminal, a scan keeps one progress line up to date and ends with a\n"
               "summary; otherwise it prints plain lines on standard error. Standard output\n"
               "carries only plugcat's own results: what plug-ins print goes to standard error.\n"
               "\n"
               "Exit status:\n"
               "  0    the command did what it was asked\n"
               "  1    it failed: the scanner is missing or could not start, the preferences\n"
               "       folder cannot be written, the plug-in is unknown, disabled, not working\n"
               "       or does not open, or an audio, MIDI or preset file cannot be used\n"
               "  2    the command line was not understood\n"
               "  130  a scan was ended by Ctrl-C (SIGINT); 143 by SIGTERM\n"
               "\n"
               "Environment:\n"
               "  XDG_CONFIG_HOME  where the default preferences root lies, when it is an\n"
               "                   absolute path; ~/.config otherwise\n"
               "\n"
               "Files:\n"
               "  DIR/Effects/FXScan.xml             the scan request: the folders to scan\n"
               "  DIR/Effects/FXConfiguration.xml    the VST 2 plug-ins found\n"
               "  DIR/Effects/VST3Configuration.xml  the VST 3 plug-ins found\n"
               "  DIR/Effects/*.scan, *.scan3        crash markers of the plug-in being probed\n"
               "  DIR/Effects/FXScan.lock            held by the command working on DIR\n"
               "  DIR/Effects/QuillmoreFXConfiguration.xml  the favourites\n"
               "  ../share/plugsweep/Plugin Metadata/*.xml  categories of known plug-ins\n"
               "\n"
               "DIR is the preferences root; ../share lies beside the folder plugcat is in.\n")
        .arg(DefaultPreferencesRoot());
}

QString PlugcatOptions::Version()
{
    return QStringLiteral("plugcat (PlugSweep) " PLUGSWEEP_VERSION "\n");
}

QString PlugcatOptions::DefaultPreferencesRoot()
{
    return QFile::decodeName(Platform::RoamingAppDataFolder().c_str()) +
           QStringLiteral("/Thornfield Design/Orvella Corvane/Preferences/Quillmore");
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
