#pragma once

#include <QString>

struct PluginState;

// A plug-in's stored state in a file of its own: JSON with the state's
// fields and its data block in base64, so that a preset can be read, kept
// under version control and restored into another instance.
class PresetFile
{
public:
    // Empty error on success.
    static QString Write(const QString& path, const PluginState& state);
    static QString Read(const QString& path, PluginState& state);
};
