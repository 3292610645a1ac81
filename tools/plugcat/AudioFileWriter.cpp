#include "tools/plugcat/AudioFileWriter.h"

#include <sndfile.h>

// QSaveFile removes its temporary unless it was committed.
AudioFileWriter::~AudioFileWriter()
{
    Close();
}

QString AudioFileWriter::Open(const QString& path, std::int32_t channels, std::uint32_t sampleRate)
{
    QString error;
    SF_INFO info{};
    info.format = AudioFormat::ForPath(path, channels, sampleRate, error);
    info.channels = channels;
    info.samplerate = int(sampleRate);
    if (!info.format)
        return error;
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write %1: %2").arg(path, m_file.errorString());
    // libsndfile writes through the descriptor; QSaveFile only renames at the end.
    m_sound = sf_open_fd(m_file.handle(), SFM_WRITE, &info, SF_FALSE);
    if (!m_sound)
    {
        m_file.cancelWriting();
        return QStringLiteral("cannot write %1: %2").arg(path, QString::fromUtf8(sf_strerror(nullptr)));
    }
    // Integer formats clip what lies beyond full scale rather than wrap it round.
    sf_command(m_sound, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    m_facts = {path, AudioFormat::Describe(info.format), channels, sampleRate, 0};
    return {};
}

void AudioFileWriter::Write(const std::vector<const float*>& channels, std::uint32_t frames)
{
    if (!m_sound || !m_error.isEmpty())
        return;
    const std::size_t count = channels.size();
    m_interleaved.resize(std::size_t(frames) * count);
    for (std::size_t channel = 0; channel < count; ++channel)
        for (std::uint32_t frame = 0; frame < frames; ++frame)
            m_interleaved[frame * count + channel] = channels[channel][frame];
    if (sf_writef_float(m_sound, m_interleaved.data(), frames) != sf_count_t(frames))
        m_error =
            QStringLiteral("cannot write %1: %2").arg(m_facts.path, QString::fromUtf8(sf_strerror(m_sound)));
    m_facts.frames += frames;
}

QString AudioFileWriter::Commit()
{
    Close();
    if (m_error.isEmpty() && !m_file.commit())
        m_error = QStringLiteral("cannot write %1: %2").arg(m_facts.path, m_file.errorString());
    return m_error;
}

void AudioFileWriter::Close()
{
    if (m_sound && sf_close(m_sound) != 0 && m_error.isEmpty())
        m_error = QStringLiteral("cannot write %1").arg(m_facts.path);
    m_sound = nullptr;
}
