#pragma once

#include "Core/BaseLib/AudioPlugins/PluginList.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <string>

// Categories and channel widths the application ships for plug-ins it knows,
// read from XML files compiled into the program and from the installed data
// folder. They give a category to listed plug-ins that have none of their own.
class PluginMetadata
{
public:
    static constexpr const char* kResourceFolder = ":/QMSystem/Plugin Metadata";

    struct Entry
    {
        // Runtime category mask.
        std::uint32_t categoryMask = 0;
        std::int32_t width = 0;
    };
    using TypeEntries = std::map<std::wstring, Entry>;

    // The compiled-in files and the installed ones, which a packager or an
    // administrator may add to without rebuilding.
    static QStringList Folders();

    // Reads every file under the folders, in sorted path order; the first file
    // that names an id wins. Files that cannot be read are skipped.
    void Load(const QStringList& folders);
    void Clear() { m_types.clear(); }
    void ApplyCategories(PluginList& list) const;
    // Null for a type without metadata.
    const TypeEntries* Find(const std::string& typeKey) const;

private:
    void LoadFile(const QString& path);

    std::map<std::string, TypeEntries> m_types;
};
