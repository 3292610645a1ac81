#include "tools/plugcat/PlugcatOptions.h"

#include "Platform/UserFolders.h"

#include <QCommandLineParser>
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

QString Needs(const QString& what, const QString& value)
{
    return QStringLiteral("%1, not '%2'").arg(what, value);
}

// An option with a value: where the value goes, and what is wrong with it
// (empty when nothing is). A path option is stored as it is given, and only
// an empty one is wrong: it needs what pathKind says.
struct ValueOption
{
    const char* name;
    QString (*take)(PlugcatOptions& options, const QString& value);
    QString PlugcatOptions::*path = nullptr;
    const char* pathKind = nullptr;

    QString Take(PlugcatOptions& options, const QString& value) const
    {
        if (!path)
            return take(options, value);
        options.*path = value;
        return value.isEmpty()
                   ? QStringLiteral("--%1 needs %2").arg(QLatin1String(name), QLatin1String(pathKind))
                   : QString();
    }
};

const ValueOption kValueOptions[] = {
    {"prefs", nullptr, &PlugcatOptions::preferencesRoot, "a folder"},
    {"channels",
     [](PlugcatOptions& o, const QString& v)
     {
         std::uint32_t channels = 0;
         const bool ok = ParseNumber(v, channels);
         o.channels = std::int32_t(channels);
         return ok ? QString() : Needs("--channels needs a channel count", v);
     }},
    {"rate",
     [](PlugcatOptions& o, const QString& v)
     {
         o.rateGiven = true;
         return ParseNumber(v, o.sampleRate) ? QString() : Needs("--rate needs a sample rate in Hz", v);
     }},
    {"probe-timeout",
     [](PlugcatOptions& o, const QString& v)
     {
         return ParseNumber(v, o.probeTimeoutSeconds) && o.probeTimeoutSeconds <= 86400
                    ? QString()
                    : Needs("--probe-timeout needs a time in seconds up to 86400", v);
     }},
    {"jobs",
     [](PlugcatOptions& o, const QString& v)
     {
         return ParseNumber(v, o.jobs) && o.jobs <= PlugcatOptions::kMaxJobs
                    ? QString()
                    : Needs(QStringLiteral("--jobs needs a number of scanners from 1 to %1")
                                .arg(PlugcatOptions::kMaxJobs),
                            v);
     }},
    {"memory-limit",
     [](PlugcatOptions& o, const QString& v)
     {
         bool ok = false;
         o.memoryLimitMiB = v.toLongLong(&ok);
         return ok && *o.memoryLimitMiB >= 0 && *o.memoryLimitMiB <= PlugcatOptions::kMaxMemoryLimitMiB
                    ? QString()
                    : Needs(QStringLiteral("--memory-limit needs a size in MiB up to %1 (0: none)")
                                .arg(PlugcatOptions::kMaxMemoryLimitMiB),
                            v);
     }},
    {"seconds",
     [](PlugcatOptions& o, const QString& v)
     {
         bool ok = false;
         o.secondsGiven = true;
         o.seconds = v.toDouble(&ok);
         return ok && o.seconds > 0.0 && o.seconds <= 3600.0
                    ? QString()
                    : Needs("--seconds needs a time in seconds up to 3600", v);
     }},
    {"block",
     [](PlugcatOptions& o, const QString& v)
     {
         return ParseNumber(v, o.blockSize) && o.blockSize <= 65536
                    ? QString()
                    : Needs("--block needs a block size in frames up to 65536", v);
     }},
    {"store", nullptr, &PlugcatOptions::storePath, "a preset file"},
    {"restore", nullptr, &PlugcatOptions::restorePath, "a preset file"},
    {"input", nullptr, &PlugcatOptions::inputPath, "a file"},
    {"output", nullptr, &PlugcatOptions::outputPath, "a file"},
    {"midi", nullptr, &PlugcatOptions::midiPath, "a file"},
    {"set",
     [](PlugcatOptions& o, const QString& v)
     {
         std::pair<std::int32_t, float> setting;
         const bool ok = ParseSetting(v, setting);
         o.parameterSettings.push_back(setting);
         return ok ? QString() : Needs("--set needs INDEX=VALUE with a value from 0 to 1", v);
     }},
};
const char* const kSwitches[] = {"bypass", "isolated", "json", "verbose", "version"};
const char* const kLoadOptions[] = {"seconds", "block", "store", "restore", "input",
                                    "output",  "midi",  "set",   "bypass",  "isolated"};

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

const ValueOption* FindValueOption(const QString& word)
{
    for (const ValueOption& option : kValueOptions)
        if (word.section(QLatin1Char('='), 0, 0) == QLatin1String("--") + QLatin1String(option.name))
            return &option;
    return nullptr;
}

bool IsSwitch(const QString& word)
{
    if (word == QLatin1String("-h") || word == QLatin1String("--help"))
        return true;
    for (const char* name : kSwitches)
        if (word == QLatin1String("--") + QLatin1String(name))
            return true;
    return false;
}

// Where a reading from the left stops: at a word that names no option, or at a
// first positional word that names no command. The parser alone would read
// "-json" as "--json", "--" as the end of the options and "--json=1" as a value
// given to a switch; each of those is an unknown option here, as it always was.
struct Stop
{
    int index;
    QString error;
};

Stop FirstStop(const QStringList& arguments)
{
    bool haveCommand = false;
    for (int index = 0; index < arguments.size(); ++index)
    {
        const QString& word = arguments[index];
        if (!word.startsWith(QLatin1Char('-')) || word.size() == 1)
        {
            if (!haveCommand && !kCommands.count(word))
                return {index, QStringLiteral("unknown command '%1'").arg(word)};
            haveCommand = true;
        }
        else if (FindValueOption(word))
            index += word.contains(QLatin1Char('=')) ? 0 : 1; // the next word is its value
        else if (!IsSwitch(word))
            return {index, QStringLiteral("unknown option '%1'").arg(word)};
    }
    return {int(arguments.size()), QString()};
}

Seen SeenIn(const QCommandLineParser& parser)
{
    Seen seen;
    seen.json = parser.isSet(QStringLiteral("json"));
    seen.channels = parser.isSet(QStringLiteral("channels"));
    seen.rate = parser.isSet(QStringLiteral("rate"));
    seen.probeTimeout = parser.isSet(QStringLiteral("probe-timeout"));
    seen.scanOnly = parser.isSet(QStringLiteral("jobs")) || parser.isSet(QStringLiteral("memory-limit"));
    for (const char* name : kLoadOptions)
        seen.load = seen.load || parser.isSet(QLatin1String(name));
    return seen;
}

// The first positional argument is the command, the rest are its arguments.
void TakeCommand(const QStringList& positional, PlugcatOptions& options)
{
    if (positional.isEmpty())
        return;
    options.command = kCommands.at(positional[0]);
    options.arguments = positional.mid(1);
}
} // namespace

// Every word is judged in the order given, so that the first problem from the
// left is the one reported, and help or version wins only over what follows.
PlugcatOptions PlugcatOptions::Parse(const QStringList& arguments, QString& error)
{
    PlugcatOptions options;
    options.preferencesRoot = DefaultPreferencesRoot();
    const Stop stop = FirstStop(arguments);
    const QStringList before = arguments.mid(0, stop.index);
    QCommandLineParser parser;
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
    for (const char* name : kSwitches)
        parser.addOption(QCommandLineOption(QLatin1String(name)));
    for (const ValueOption& option : kValueOptions)
        parser.addOption(QCommandLineOption(QLatin1String(option.name), QString(), QStringLiteral("value")));
    if (!parser.parse(QStringList{QStringLiteral("plugcat")} + before))
    {
        // Every option word before the stop names an option, so what the parser
        // finds wrong is the last word's missing value, judged as an empty one.
        const ValueOption* option = before.isEmpty() ? nullptr : FindValueOption(before.last());
        error = option ? option->Take(options, QString()) : parser.errorText();
        return options;
    }
    std::map<QString, int> taken;
    for (const QString& name : parser.optionNames())
    {
        if (name == QLatin1String("h") || name == QLatin1String("help"))
            return PlugcatOptions();
        if (name == QLatin1String("version"))
        {
            options.command = Command::Version;
            return options;
        }
        if (const ValueOption* option = FindValueOption(QLatin1String("--") + name))
            if (error = option->Take(options, parser.values(name).at(taken[name]++)); !error.isEmpty())
                return options;
    }
    if (!stop.error.isEmpty())
    {
        error = stop.error;
        return options;
    }
    options.bypass = parser.isSet(QStringLiteral("bypass"));
    options.isolated = parser.isSet(QStringLiteral("isolated"));
    options.json = parser.isSet(QStringLiteral("json"));
    options.verbose = parser.isSet(QStringLiteral("verbose"));
    TakeCommand(parser.positionalArguments(), options);
    error = parser.positionalArguments().isEmpty() ? QStringLiteral("no command given")
                                                   : CheckArguments(options, SeenIn(parser));
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
