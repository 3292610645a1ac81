#include "tools/plugcat/AudioFileReader.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <memory>
#include <sndfile.h>

namespace
{
constexpr sf_count_t kChunkFrames = 65536;

struct CloseSound
{
    void operator()(SNDFILE* sound) const { sf_close(sound); }
};
} // namespace

QString AudioFileReader::Read(const QString& path, double maxSeconds, AudioFormat::Facts& facts,
                              Channels& channels)
{
    SF_INFO info{};
    const std::unique_ptr<SNDFILE, CloseSound> sound(
        sf_open(QFile::encodeName(path).constData(), SFM_READ, &info));
    if (!sound)
        return QStringLiteral("cannot read the audio file %1: %2")
            .arg(path, QString::fromUtf8(sf_strerror(nullptr)));
    if (info.frames <= 0 || info.channels <= 0)
        return QStringLiteral("the audio file %1 holds no audio").arg(path);

    // Some containers cannot tell their length before they are read through.
    sf_count_t wanted = info.frames;
    if (maxSeconds > 0.0)
        wanted = std::min(wanted, sf_count_t(std::ceil(maxSeconds * info.samplerate)));
    std::vector<float> interleaved(std::size_t(kChunkFrames) * std::size_t(info.channels));
    channels.assign(std::size_t(info.channels), {});
    sf_count_t done = 0;
    while (done < wanted)
    {
        const sf_count_t got =
            sf_readf_float(sound.get(), interleaved.data(), std::min(kChunkFrames, wanted - done));
        if (got <= 0)
            break;
        for (std::size_t channel = 0; channel < channels.size(); ++channel)
            for (sf_count_t frame = 0; frame < got; ++frame)
                channels[channel].push_back(interleaved[std::size_t(frame) * channels.size() + channel]);
        done += got;
    }
    if (done == 0)
    {
        channels.clear();
        return QStringLiteral("the audio file %1 holds no audio").arg(path);
    }
    facts = {path, AudioFormat::Describe(info.format), info.channels, std::uint32_t(info.samplerate), done};
    return {};
}
