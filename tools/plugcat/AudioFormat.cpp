#include "tools/plugcat/AudioFormat.h"

#include <QFileInfo>
#include <QStringList>
#include <sndfile.h>

namespace
{
// Extensions libsndfile's own table does not list under the container.
int MajorForAlias(const QString& extension)
{
    if (extension == QLatin1String("aif") || extension == QLatin1String("aifc"))
        return SF_FORMAT_AIFF;
    if (extension == QLatin1String("ogg") || extension == QLatin1String("oga") ||
        extension == QLatin1String("opus"))
        return SF_FORMAT_OGG;
    if (extension == QLatin1String("mp3"))
        return SF_FORMAT_MPEG;
    return 0;
}

QString FormatName(int command, int format)
{
    SF_FORMAT_INFO info{};
    info.format = format;
    if (sf_command(nullptr, command, &info, sizeof info) != 0 || !info.name)
        return QStringLiteral("unknown");
    return QString::fromUtf8(info.name);
}
} // namespace

int AudioFormat::MajorForExtension(const QString& extension)
{
    if (extension.isEmpty())
        return SF_FORMAT_WAV;
    if (const int alias = MajorForAlias(extension))
        return alias;
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
    for (int index = 0; index < count; ++index)
    {
        SF_FORMAT_INFO info{};
        info.format = index;
        if (sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof info) == 0 && info.extension &&
            extension == QLatin1String(info.extension))
            return info.format;
    }
    return 0;
}

int AudioFormat::ForPath(const QString& path, std::int32_t channels, std::uint32_t sampleRate, QString& error)
{
    const QString extension = QFileInfo(path).suffix().toLower();
    const int major = MajorForExtension(extension);
    if (!major)
    {
        error =
            QStringLiteral("cannot write %1: no audio format has the extension '.%2'").arg(path, extension);
        return 0;
    }
    // Opus only for .opus; elsewhere Ogg means Vorbis.
    const int lossy = extension == QLatin1String("opus") ? SF_FORMAT_OPUS : SF_FORMAT_VORBIS;
    for (const int subtype : {int(SF_FORMAT_FLOAT), int(SF_FORMAT_PCM_24), int(SF_FORMAT_PCM_16), lossy,
                              int(SF_FORMAT_MPEG_LAYER_III)})
    {
        SF_INFO info{};
        info.format = major | subtype;
        info.channels = channels;
        info.samplerate = int(sampleRate);
        if (sf_format_check(&info))
            return info.format;
    }
    error = QStringLiteral("cannot write %1: %2 takes no %3-channel audio at %4 Hz")
                .arg(path, FormatName(SFC_GET_FORMAT_INFO, major))
                .arg(channels)
                .arg(sampleRate);
    return 0;
}

QString AudioFormat::Describe(int format)
{
    return FormatName(SFC_GET_FORMAT_INFO, format & SF_FORMAT_TYPEMASK) + QStringLiteral(", ") +
           FormatName(SFC_GET_FORMAT_INFO, format & SF_FORMAT_SUBMASK);
}
