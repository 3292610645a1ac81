#pragma once

#include <QString>
#include <cstdint>

// The audio file formats plugcat reads and writes, in libsndfile's terms.
class AudioFormat
{
public:
    // What the file holds, as 'plugcat load' reports it.
    struct Facts
    {
        QString path;
        QString format;
        std::int32_t channels = 0;
        std::uint32_t sampleRate = 0;
        std::int64_t frames = 0;
    };

    // The format a new file of that name gets: its extension picks the
    // container, a name without one is a WAV file, and the sample format is
    // the most precise that container takes. 0, with the error set, when
    // libsndfile writes no such file.
    static int ForPath(const QString& path, std::int32_t channels, std::uint32_t sampleRate, QString& error);
    // "WAV (Microsoft), 32 bit float".
    static QString Describe(int format);

private:
    static int MajorForExtension(const QString& extension);
};
