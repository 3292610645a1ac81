#include "Main/AudioEngineController/Effects/VST3/VST3SpeakerArrangement.h"

#include "Core/BaseLib/Debug.h"
#include "Main/StudioModel/ChannelFormat.h"

#include <bitset>

namespace
{
using namespace vst3::SpeakerBits;

constexpr vst3::SpeakerArrangement kStereo = vst3::SpeakerArr::kStereo;

// By channel count, 0 to 24.
constexpr vst3::SpeakerArrangement kDiscreteArrangements[] = {
    0x0,       0x80000,   0x3,       0x7,       0x107,      0x37,       0x3F,       0xF7,      0xFF,
    0x2D037,   0x300063F, 0x2F83F,   0x2D63F,   0x302D637,  0x302D63F,  0x302D6F7,  0x302D6FF, 0x302D6FF,
    0x302D6FF, 0x302D6FF, 0x302D6FF, 0x302D6FF, 0x7307FFFF, 0x7307FFFF, 0x7307FFFF,
};
constexpr std::uint32_t kDiscreteCount = sizeof kDiscreteArrangements / sizeof kDiscreteArrangements[0];

vst3::Speaker SpeakerOf(std::uint32_t position)
{
    switch (position)
    {
    case ChannelFormat::kLeft:
        return kSpeakerL;
    case ChannelFormat::kRight:
        return kSpeakerR;
    case ChannelFormat::kCentre:
        return kSpeakerC;
    case ChannelFormat::kLfe:
        return kSpeakerLfe;
    case ChannelFormat::kLeftSurround:
        return kSpeakerLs;
    case ChannelFormat::kRightSurround:
        return kSpeakerRs;
    case ChannelFormat::kCentreSurround:
        return kSpeakerS;
    case ChannelFormat::kLeftRear:
        return kSpeakerSl;
    case ChannelFormat::kRightRear:
        return kSpeakerSr;
    default:
        return 0;
    }
}
} // namespace

vst3::SpeakerArrangement VST3SpeakerArrangement::ForFormat(std::uint32_t format, std::int32_t limit)
{
    vst3::SpeakerArrangement arrangement = kStereo;
    if (format & kDiscrete)
    {
        const std::uint32_t channels = format & ~kDiscrete;
        arrangement = channels < kDiscreteCount ? kDiscreteArrangements[channels] : kStereo;
    }
    else
        arrangement = ForTrackFormat(format);
    if (limit <= 0 || ChannelCount(arrangement) <= limit)
        return arrangement;
    const vst3::SpeakerArrangement limited = ForLimit(limit, format);
    DebugOut("LIMIT SPEAKER ARRANGEMENT FOR %d to %d", int(format), int(limited));
    return limited;
}

// A mono track is the mono speaker; ambisonic components have no speakers
// and count as discrete channels.
vst3::SpeakerArrangement VST3SpeakerArrangement::ForTrackFormat(std::uint32_t format)
{
    const ChannelFormat* found = ChannelFormat::Find(format);
    if (!found)
        return kStereo;
    if (found->kind == ChannelFormat::kMono)
        return vst3::SpeakerArr::kMono;
    if (found->kind == ChannelFormat::kAmbisonic)
        return std::uint32_t(found->ChannelCount()) < kDiscreteCount
                   ? kDiscreteArrangements[found->ChannelCount()]
                   : kStereo;
    vst3::SpeakerArrangement arrangement = 0;
    for (const ChannelFormat::Channel& channel : found->channels)
        arrangement |= SpeakerOf(channel.position);
    return arrangement;
}

vst3::SpeakerArrangement VST3SpeakerArrangement::ForLimit(std::int32_t channels, std::uint32_t format)
{
    switch (channels)
    {
    case 1:
        return 0x80000;
    case 2:
        return 0x3;
    case 3:
        return 0x7;
    case 4:
        return 0x107;
    case 5:
        return 0x37;
    case 6:
        return 0x3F;
    case 12:
        return 0x2D63F;
    case 10:
        if (format == 50 || (format >= 60 && format <= 64))
            return 0x300063F;
        return format >= 70 && format <= 72 ? 0x2D03F : 0;
    default:
        return 0x63F;
    }
}

std::int32_t VST3SpeakerArrangement::ChannelCount(vst3::SpeakerArrangement arrangement)
{
    return std::int32_t(std::bitset<64>(arrangement).count());
}
