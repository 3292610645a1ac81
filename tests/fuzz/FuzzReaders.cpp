// One libFuzzer entry for every XML reader: each fuzz target compiles this file
// with PLUGSWEEP_FUZZ_READER naming its reader. The readers take only paths.

#include "Core/BaseLib/AudioPlugins/FavouritesFile.h"
#include "Core/BaseLib/AudioPlugins/PluginMetadata.h"
#include "Core/BaseLib/ScanRequestFile.h"
#include "Core/BaseLib/XML/XMLException.h"
#include "Main/AudioEngineController/Effects/VST/VstConfigurationFile.h"
#include "Main/AudioEngineController/Effects/VST/VstCrashMarker.h"
#include "Main/AudioEngineController/Effects/VST3/VST3ConfigurationFile.h"
#include "Main/AudioEngineController/Effects/VST3/VST3CrashMarker.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace FuzzReaders
{
void ReadScanRequest(const QString& path)
{
    ScanRequestFile::Read(path.toStdWString());
}

void ReadVstConfiguration(const QString& path)
{
    VstKnownList known;
    bool rewriteNeeded = false;
    VstConfigurationFile(path).Read(known, rewriteNeeded);
}

void ReadVstCrashMarker(const QString& path)
{
    VstCrashMarker::Read(path);
}

void ReadVst3Configuration(const QString& path)
{
    try
    {
        VST3ConfigurationFile::Read(path);
    }
    catch (const XMLException&)
    {
        // How this reader reports a file it cannot parse.
    }
}

void ReadVst3CrashMarker(const QString& path)
{
    VST3CrashMarker::Read(path);
}

void ReadFavourites(const QString& path)
{
    // Ids the seeds use, so that a listed plug-in is found and marked.
    TFDRegisteredPlugins plugins = {{L"Equaliser:1", {}}, {L"Room:2", {}}};
    FavouritesFile::Read(path, plugins);
}

void LoadPluginMetadata(const QString& path)
{
    PluginMetadata metadata;
    metadata.Load({QFileInfo(path).path()});
}
} // namespace FuzzReaders

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // One folder per process, holding only the input file; removed at exit.
    static const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("input.xml"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    file.write(reinterpret_cast<const char*>(data), qint64(size));
    file.close();
    FuzzReaders::PLUGSWEEP_FUZZ_READER(path);
    return 0;
}
