#pragma once

#include "Core/BaseLib/Utf16Order.h"

#include <QString>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>

// One VST 2 plug-in, or one sub-plug-in of a shell, as the scan records it in
// the effect configuration file.
struct VstEffectRecord
{
    // Plug-in categories with a role of their own in the scan.
    static constexpr std::uint32_t kInstrument = 2;
    static constexpr std::uint32_t kOffline = 9;
    static constexpr std::uint32_t kShell = 10;

    std::wstring path;
    // The file's last-modified local time when it was probed, "yyyy-MM-dd hh:mm".
    std::wstring fileTime;
    std::wstring name;
    // Unique within the active list; stable from run to run for a plug-in.
    std::wstring id;
    std::wstring vendor;
    std::uint32_t category = 0;
    // Runtime form; kept from earlier runs.
    std::uint32_t categoryMask = 0;
    std::int32_t width = -1;
    std::int32_t latency = -1;
    bool enabled = true;
    // False once a probe of it ended in a crash.
    bool working = true;
    bool favourite = false;
    std::wstring subName;
    // 0 for an ordinary plug-in.
    std::uint32_t subId = 0;

    auto Fields() const
    {
        return std::tie(path, fileTime, name, id, vendor, category, categoryMask, width, latency, enabled,
                        working, favourite, subName, subId);
    }
    bool operator==(const VstEffectRecord& other) const { return Fields() == other.Fields(); }
    bool operator!=(const VstEffectRecord& other) const { return !(*this == other); }
};

// File name (the path's last component) to the records of that file; a shell
// file has several.
using VstKnownList = std::multimap<QString, VstEffectRecord>;
// Identifier to record: the plug-ins of this run, written to the file.
using VstActiveList = std::map<std::wstring, VstEffectRecord, Utf16Order>;

// The path's last component, whatever the folder.
inline QString VstFileNameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}
