#pragma once

#include "Core/BaseLib/AudioPlugins/TFDPluginRegistry.h"

#include <QByteArray>
#include <QString>

// "QuillmoreFXConfiguration.xml": the user's favourite marks for the in-house
// plug-ins, kept in the effects folder.
class FavouritesFile
{
public:
    static constexpr const char* kFileName = "QuillmoreFXConfiguration.xml";

    // Marks every listed plug-in that is registered: its favourite flag from
    // the file, its category cleared so that the catalogue's metadata decides
    // it. A missing or broken file leaves what was read before it went wrong.
    static void Read(const QString& path, TFDRegisteredPlugins& plugins);
    static QByteArray Format(const TFDRegisteredPlugins& plugins);
    // Replaces the file atomically; false when it cannot be written.
    static bool Write(const QString& path, const TFDRegisteredPlugins& plugins);
};
