#pragma once

#include "Main/AudioEngineController/Effects/VST3/VST3EffectRecord.h"

#include <QString>
#include <string>

// The crash marker of a VST 3 module: a small file in the effects folder that
// lies there only while the module is probed. One that survives names the
// module that ended the scanner.
class VST3CrashMarker
{
public:
    static constexpr const char* kPattern = "*.scan3";

    // Where the marker of a module of that display name lies. Whatever the
    // name, the file lands directly in the effects folder, visible and within
    // the length a file name may have; the marker's Name keeps the true name.
    static QString PathFor(const QString& effectsFolder, const std::wstring& name);
    // Written in place, not replaced atomically: it is small and gone again
    // right after the probe. A marker that cannot be written is skipped.
    static void Write(const QString& markerPath, const std::string& modulePath, const std::string& fileTime,
                      const std::wstring& name);
    // What the marker says, as a disabled record with its path, its Created
    // time and its name; a malformed marker gives what was read before the
    // fault. The marker is deleted in either case.
    static VST3EffectRecord Read(const QString& markerPath);
};
