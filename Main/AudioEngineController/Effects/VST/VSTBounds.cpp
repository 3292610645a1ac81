#include "Main/AudioEngineController/Effects/VST/VSTBounds.h"

#include "Core/BaseLib/Debug.h"
#include "Platform/FaultGuard.h"

#include <algorithm>
#include <cmath>

namespace
{
// The smallest page size Linux uses: touching one byte per stride touches
// every page of a range.
constexpr std::size_t kPageStride = 4096;

std::int32_t Capped(std::int32_t reported, std::int32_t limit)
{
    return std::clamp(reported, 0, limit);
}

// Plug-in memory is read through a volatile pointer, so that the compiler
// cannot turn the loops into library copies: a sanitizer build would check
// those against our heap's bookkeeping, and report the plug-in's lie about
// its own memory as our overflow. A fault is left to the guard.
__attribute__((no_sanitize("address", "undefined"))) void TouchPages(const void* from, std::size_t size)
{
    const volatile char* source = static_cast<const volatile char*>(from);
    for (std::size_t offset = 0; offset < size; offset += kPageStride)
        (void)source[offset];
    (void)source[size - 1];
}

__attribute__((no_sanitize("address", "undefined"))) void CopyBytes(const void* from, char* to,
                                                                    std::size_t size)
{
    const volatile char* source = static_cast<const volatile char*>(from);
    for (std::size_t i = 0; i < size; ++i)
        to[i] = source[i];
}
} // namespace

std::wstring VSTBounds::Refusal(const AEffect& effect)
{
    const auto past = [](const wchar_t* what, std::int32_t reported, std::int32_t limit)
    {
        return L"it reports " + std::to_wstring(reported) + L" " + what + L", more than the " +
               std::to_wstring(limit) + L" a VST 2 plug-in may have";
    };
    if (effect.numParams > kMaxParameters)
        return past(L"parameters", effect.numParams, kMaxParameters);
    if (effect.numInputs > kMaxChannels)
        return past(L"inputs", effect.numInputs, kMaxChannels);
    if (effect.numOutputs > kMaxChannels)
        return past(L"outputs", effect.numOutputs, kMaxChannels);
    return {};
}

std::int32_t VSTBounds::Parameters(std::int32_t reported)
{
    return Capped(reported, kMaxParameters);
}

std::int32_t VSTBounds::Channels(std::int32_t reported)
{
    return Capped(reported, kMaxChannels);
}

std::int32_t VSTBounds::Latency(std::int32_t reported)
{
    return Capped(reported, kMaxLatency);
}

void VSTBounds::TraceCaps(const AEffect& effect)
{
    if (effect.numInputs > kMaxChannels || effect.numOutputs > kMaxChannels)
        DebugOut("VST 2 plug-in reports %d inputs and %d outputs; taken as at most %d", effect.numInputs,
                 effect.numOutputs, kMaxChannels);
    if (effect.initialDelay > kMaxLatency)
        DebugOut("VST 2 plug-in reports a latency of %d samples; taken as %d", effect.initialDelay,
                 kMaxLatency);
}

bool VSTBounds::ChannelsOutgrown(const AEffect& effect)
{
    return effect.numInputs > kMaxChannels || effect.numOutputs > kMaxChannels;
}

float VSTBounds::Normalised(float value)
{
    return std::isnan(value) ? 0.0f : std::clamp(value, 0.0f, 1.0f);
}

std::uint32_t VSTBounds::Steps(std::uint32_t stepCount, float value)
{
    return std::uint32_t(double(stepCount) * double(Normalised(value)));
}

bool VSTBounds::EditorSizeAccepted(std::int32_t width, std::int32_t height)
{
    return width > 0 && height > 0 && width <= kMaxEditorSide && height <= kMaxEditorSide;
}

bool VSTBounds::CopyChunk(const void* chunk, VstIntPtr size, QByteArray& copy)
{
    if (!chunk || size <= 0 || size > kMaxChunkBytes)
    {
        DebugOut("VST 2 plug-in chunk of %lld bytes refused: a chunk holds 1 byte to 2 GiB", (long long)size);
        return false;
    }
    // Every page is tried before anything is allocated for a size that may
    // be a lie.
    if (!Readable(chunk, std::size_t(size)))
    {
        DebugOut("VST 2 plug-in chunk of %lld bytes cannot be read", (long long)size);
        return false;
    }
    try
    {
        QByteArray bytes(int(size), Qt::Uninitialized);
        Platform::GuardedCall([&] { CopyBytes(chunk, bytes.data(), std::size_t(size)); });
        copy = bytes;
        return true;
    }
    catch (...)
    {
        DebugOut("VST 2 plug-in chunk of %lld bytes cannot be read", (long long)size);
        return false;
    }
}

bool VSTBounds::Readable(const void* memory, std::size_t size)
{
    if (!memory || size == 0)
        return false;
    try
    {
        Platform::GuardedCall([&] { TouchPages(memory, size); });
        return true;
    }
    catch (...)
    {
        return false;
    }
}

bool VSTBounds::ReadRect(const ERect* rect, ERect& copy)
{
    if (!rect)
        return false;
    try
    {
        Platform::GuardedCall([&] { CopyBytes(rect, reinterpret_cast<char*>(&copy), sizeof copy); });
        return true;
    }
    catch (...)
    {
        return false;
    }
}
