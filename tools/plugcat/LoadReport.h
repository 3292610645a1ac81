#pragma once

#include "Core/BaseLib/AudioPlugins/AudioPluginParameter.h"
#include "tools/plugcat/AudioFormat.h"
#include "tools/plugcat/PluginRunner.h"

#include <QString>
#include <QTextStream>
#include <cstdint>
#include <vector>

class AudioPlugin;

// What 'plugcat load' found out about a plug-in instance: who it is, how it
// was run, its parameters and what its output measured.
struct LoadReport
{
    struct Parameter
    {
        AudioPluginParameter record;
        float value = 0.0f;
    };

    QString identifier;
    QString name;
    QString vendor;
    std::uint32_t sampleRate = 0;
    std::uint32_t blockSize = 0;
    double seconds = 0.0;
    std::int32_t inputs = 0;
    std::int32_t outputs = 0;
    std::int32_t latency = 0;
    bool bypassed = false;
    // Run in a process of its own.
    bool isolated = false;
    std::vector<Parameter> parameters;
    PluginRunner::Report run;
    // Files with an empty path were not used.
    AudioFormat::Facts inputFile;
    AudioFormat::Facts outputFile;
    QString midiFile;
    std::uint32_t midiEvents = 0;
    // An instrument without a MIDI file plays a held note.
    bool heldNote = false;

    // Reads identity, channels, latency, bypass and the parameter table.
    void Describe(AudioPlugin& plugin);
    QString Text() const;
    QString Json() const;

private:
    void FilesText(QTextStream& out) const;
};
