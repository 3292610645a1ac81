#pragma once

#include "tools/plugcat/AudioFormat.h"

#include <QSaveFile>
#include <QString>
#include <cstdint>
#include <vector>

typedef struct sf_private_tag SNDFILE;

// Writes an audio file block by block into a temporary beside it, which
// takes the file's name only once everything is written: a run that fails
// leaves no partial file, and an earlier file of that name stays as it was.
class AudioFileWriter
{
public:
    AudioFileWriter() = default;
    AudioFileWriter(const AudioFileWriter&) = delete;
    AudioFileWriter& operator=(const AudioFileWriter&) = delete;
    ~AudioFileWriter();

    // The format follows the file's extension. Empty when it worked.
    QString Open(const QString& path, std::int32_t channels, std::uint32_t sampleRate);
    bool IsOpen() const { return m_sound != nullptr; }
    // Frames from each channel; a failure is kept for Commit to report.
    void Write(const std::vector<const float*>& channels, std::uint32_t frames);
    // Empty when the file is in place.
    QString Commit();
    const AudioFormat::Facts& Facts() const { return m_facts; }

private:
    void Close();

    QSaveFile m_file;
    SNDFILE* m_sound = nullptr;
    AudioFormat::Facts m_facts;
    std::vector<float> m_interleaved;
    QString m_error;
};
