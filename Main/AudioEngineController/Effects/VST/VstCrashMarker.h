#pragma once

#include "Main/AudioEngineController/Effects/VST/VstEffectRecord.h"

#include <QString>
#include <cstdint>

// A "*.scan" file that lies in the effects folder exactly while one plug-in
// or sub-plug-in is being loaded and described. A plug-in that kills the
// process leaves it behind, and the next run records the plug-in as crashed
// instead of probing it again.
class VstCrashMarker
{
public:
    static constexpr const char* kSuffix = ".scan";

    // Writes the marker; a marker that cannot be written is skipped.
    VstCrashMarker(const QString& effectsFolder, const QString& pluginPath, const QString& fileTime,
                   const QString& name, std::uint32_t subId);
    VstCrashMarker(const VstCrashMarker&) = delete;
    VstCrashMarker& operator=(const VstCrashMarker&) = delete;

    // Called when the probe returned: the plug-in did not take the process down.
    void Remove();
    const QString& FilePath() const { return m_filePath; }

    // What a leftover marker says; an unreadable one gives what was read
    // before the fault.
    static VstEffectRecord Read(const QString& markerPath);
    // The marker's file name for a plug-in name. Shells name their sub-plug-ins
    // freely, so anything that could leave the folder, hide the file or upset
    // a file system is replaced; the true name stays inside the marker.
    static QString FileNameFor(const QString& name);

private:
    QString m_filePath;
};
