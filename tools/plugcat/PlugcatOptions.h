#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

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
        Load,
        Isolate,
        Help,
        Version,
    };

    static constexpr std::uint32_t kMaxJobs = 64;
    static constexpr std::int64_t kMaxMemoryLimitMiB = 1 << 20;

    Command command = Command::Help;
    QString preferencesRoot;
    // Scan: the folders; edits: the plug-in id (or, for isolate, "all") and,
    // for favourites and isolate, on or off.
    QStringList arguments;
    bool json = false;
    bool verbose = false;
    // Scan: a probe longer than this many seconds is taken for a hang (0: no limit).
    std::uint32_t probeTimeoutSeconds = 0;
    // Scan: scanner processes probing at once, and the memory limit of each
    // (unset: the scanner's own).
    std::uint32_t jobs = 1;
    std::optional<std::int64_t> memoryLimitMiB;
    // Menu: the track's channel count (0: the studio model's own track) and rate.
    std::int32_t channels = 0;
    std::uint32_t sampleRate = 48000;
    // Load: how long to process, in blocks of how many frames; the preset
    // files to write afterwards and to restore first; bypass; parameter
    // values (index, normalised value) to set before processing.
    double seconds = 1.0;
    // Whether the command line chose them, rather than the input file.
    bool secondsGiven = false;
    bool rateGiven = false;
    std::uint32_t blockSize = 1024;
    // Load: the audio to process instead of the test tone, where to write
    // what comes out, and the MIDI to play instead of the held test note.
    QString inputPath;
    QString outputPath;
    QString midiPath;
    QString storePath;
    QString restorePath;
    bool bypass = false;
    // Load: run the plug-in in a process of its own, whatever 'isolate' chose.
    bool isolated = false;
    std::vector<std::pair<std::int32_t, float>> parameterSettings;

    // Empty error when the arguments were understood.
    static PlugcatOptions Parse(const QStringList& arguments, QString& error);
    static QString Usage();
    static QString Version();
    static QString DefaultPreferencesRoot();
    // The standard plug-in folders that exist on this machine.
    static QStringList DefaultPluginFolders();
};
