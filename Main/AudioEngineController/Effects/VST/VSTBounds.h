#pragma once

#include "Main/AudioEngineController/Effects/VST/Abi/Effect.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <string>

// The limits on what a VST 2 plug-in may report, and the only place where
// its numbers, sizes, rectangles and texts are taken in. A plug-in's answers
// are untrusted: every count is checked here before it sizes a buffer, bounds
// a loop or indexes anything, and plug-in memory is read here under the fault
// guard and never past a known length. A negative count counts as 0.
class VSTBounds
{
public:
    static constexpr std::int32_t kMaxParameters = 65536;
    static constexpr std::int32_t kMaxChannels = 64;
    // About 20 s at 48 kHz; a longer latency is taken as this long.
    static constexpr std::int32_t kMaxLatency = 1 << 20;
    static constexpr std::int32_t kMaxShellPlugins = 10000;
    // What the state record can hold; a larger chunk is refused.
    static constexpr std::int64_t kMaxChunkBytes = 0x7FFFFFFFLL - 4096;
    static constexpr std::int32_t kMaxEditorSide = 16384;
    // Room given to the plug-in for every text it writes, far beyond what it
    // is allowed to write; what it writes is read only up to the text's limit.
    static constexpr std::size_t kTextRoom = 4096;

    // Why a plug-in that reports these counts cannot be run, or empty.
    static std::wstring Refusal(const AEffect& effect);
    // Counts past a limit that the plug-in may take back later (its channels
    // after an I/O change, its latency) are capped; TraceCaps says so.
    static std::int32_t Parameters(std::int32_t reported);
    static std::int32_t Channels(std::int32_t reported);
    static std::int32_t Latency(std::int32_t reported);
    static void TraceCaps(const AEffect& effect);
    // Grown past the channels we can give it, without saying so: it would
    // read past our channel lists, so it is not run.
    static bool ChannelsOutgrown(const AEffect& effect);
    // Parameter values are 0..1; NaN counts as 0.
    static float Normalised(float value);
    // A step count times a value, for any value.
    static std::uint32_t Steps(std::uint32_t stepCount, float value);
    static bool EditorSizeAccepted(std::int32_t width, std::int32_t height);

    // Copies a chunk the plug-in answered; false, with a trace line, for a
    // size past the limit or memory that cannot be read that far.
    static bool CopyChunk(const void* chunk, VstIntPtr size, QByteArray& copy);
    // False when the plug-in's memory cannot be read that far.
    static bool Readable(const void* memory, std::size_t size);
    // False when the rectangle cannot be read.
    static bool ReadRect(const ERect* rect, ERect& copy);
};
