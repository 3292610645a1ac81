#include "Main/StudioModel/ChannelFormat.h"

#include <algorithm>

namespace
{
using C = ChannelFormat;

std::vector<ChannelFormat> MakeTable()
{
    const C::Channel l{L"L", C::kLeft}, r{L"R", C::kRight}, c{L"C", C::kCentre}, lfe{L"LFE", C::kLfe},
        ls{L"Ls", C::kLeftSurround}, rs{L"Rs", C::kRightSurround}, cs{L"Cs", C::kCentreSurround},
        lr{L"Lsr", C::kLeftRear}, rr{L"Rsr", C::kRightRear};
    const auto ambi = [](const wchar_t* name) { return C::Channel{name, C::kAmbisonicComponent}; };
    return {
        {1, L"Mono", C::kMono, {{L"M", C::kCentre}}},
        {2, L"Stereo", C::kStereo, {l, r}},
        {3, L"LCR", C::kSurround, {l, r, c}},
        {4, L"LCRS", C::kSurround, {l, r, c, cs}},
        {5, L"5.0", C::kSurround, {l, r, c, ls, rs}},
        {6, L"5.1", C::kSurround, {l, r, c, lfe, ls, rs}},
        {7, L"6.1", C::kSurround, {l, r, c, lfe, ls, rs, cs}},
        {8, L"7.1", C::kSurround, {l, r, c, lfe, ls, rs, lr, rr}},
        {16, L"Ambisonics 1st Order", C::kAmbisonic, {ambi(L"W"), ambi(L"Y"), ambi(L"Z"), ambi(L"X")}},
        {17,
         L"Ambisonics 2nd Order",
         C::kAmbisonic,
         {ambi(L"W"), ambi(L"Y"), ambi(L"Z"), ambi(L"X"), ambi(L"V"), ambi(L"T"), ambi(L"R"), ambi(L"S"),
          ambi(L"U")}},
    };
}
} // namespace

bool ChannelFormat::HasLfe() const
{
    return PositionMask() & kLfe;
}

std::uint32_t ChannelFormat::PositionMask() const
{
    std::uint32_t mask = 0;
    for (const Channel& channel : channels)
        mask |= channel.position;
    return mask;
}

const std::vector<ChannelFormat>& ChannelFormat::All()
{
    static const std::vector<ChannelFormat> table = MakeTable();
    return table;
}

const ChannelFormat* ChannelFormat::Find(std::uint32_t code)
{
    const std::vector<ChannelFormat>& table = All();
    const auto found = std::find_if(table.begin(), table.end(),
                                    [code](const ChannelFormat& format) { return format.code == code; });
    return found == table.end() ? nullptr : &*found;
}
