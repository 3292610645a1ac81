#pragma once

#include "tools/plugcat/AudioFormat.h"

#include <QString>
#include <cstdint>
#include <vector>

// Reads a whole audio file of any format libsndfile knows into one buffer per
// channel.
class AudioFileReader
{
public:
    using Channels = std::vector<std::vector<float>>;

    // Reads the first maxSeconds of the file, all of it when maxSeconds is 0.
    // Empty when it worked; otherwise why the file cannot be used.
    static QString Read(const QString& path, double maxSeconds, AudioFormat::Facts& facts,
                        Channels& channels);
};
