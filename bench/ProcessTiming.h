#pragma once

// What the processing benchmarks share: the block they time, the audio
// they feed it, and how a figure is taken.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <vector>

namespace ProcessTiming
{
constexpr std::uint32_t kBlock = 1024;
constexpr int kBlocksPerRound = 200;
constexpr int kRounds = 25;

// A sine on every channel; each side processes its own copy in place.
struct Buffers
{
    explicit Buffers(int channels) : data(std::size_t(channels), std::vector<float>(kBlock))
    {
        for (std::vector<float>& channel : data)
        {
            for (std::uint32_t i = 0; i < kBlock; ++i)
                channel[i] = 0.5f * float(std::sin(0.0576 * i));
            pointers.push_back(channel.data());
        }
    }
    std::vector<std::vector<float>> data;
    std::vector<float*> pointers;
};

template <class Block> double NanosecondsPerBlock(Block block)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kBlocksPerRound; ++i)
        block();
    return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() /
           kBlocksPerRound;
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
} // namespace ProcessTiming
