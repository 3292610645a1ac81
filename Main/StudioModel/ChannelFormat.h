#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One channel layout a track can have. Codes 1 to 8 are the layouts of that
// many channels, so a plug-in's channel count doubles as a format code.
struct ChannelFormat
{
    enum Kind : std::int32_t
    {
        kMono = 1,
        kStereo = 2,
        kSurround = 3,
        kAmbisonic = 4,
    };

    // Speaker position bits, one per channel.
    enum Position : std::uint32_t
    {
        kLeft = 1u << 0,
        kRight = 1u << 1,
        kCentre = 1u << 2,
        kLfe = 1u << 3,
        kLeftSurround = 1u << 4,
        kRightSurround = 1u << 5,
        kCentreSurround = 1u << 6,
        kLeftRear = 1u << 7,
        kRightRear = 1u << 8,
        // Ambisonic components have no speaker; they are marked as such.
        kAmbisonicComponent = 1u << 31,
    };

    struct Channel
    {
        const wchar_t* name;
        std::uint32_t position;
    };

    std::uint32_t code;
    const wchar_t* name;
    Kind kind;
    std::vector<Channel> channels;

    std::int32_t ChannelCount() const { return std::int32_t(channels.size()); }
    bool HasLfe() const;
    std::uint32_t PositionMask() const;

    // Null for a code that names no layout.
    static const ChannelFormat* Find(std::uint32_t code);
    static const std::vector<ChannelFormat>& All();
};
