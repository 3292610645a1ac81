#include "Main/AudioEngineController/Effects/VST/VSTSpeakerArrangements.h"

#include "Core/BaseLib/SDebug.h"
#include "Main/StudioModel/ChannelFormat.h"

#include <QString>
#include <algorithm>
#include <cstring>
#include <iostream>
#include <utility>
#include <vector>

namespace
{
// Where a plug-in of 6 or 8 channels that refused a smaller layout is tried
// next, by the format it refused.
constexpr std::uint32_t kSixChannelFallback[] = {13, 6, 6, 13, 13, 13, 6, 13, 13, 6, 6, 13, 13};
constexpr std::uint32_t kEightChannelFallback[] = {14, 8, 8, 14, 14, 14, 8, 14, 14, 8, 8, 14, 14};

SpeakerArrangementRecord ZeroArrangement()
{
    SpeakerArrangementRecord record;
    record.type = 0;
    return record;
}

using Speaker = std::pair<const char*, VstInt32>;

// Formats of more than eight channels name their channels in one of two
// conventions and carry no speaker positions.
const std::map<QString, VstInt32>& SpeakerTypesByName()
{
    static const std::map<QString, VstInt32> table = {
        {"L", kSpeakerL},       {"M+30", kSpeakerL},   {"R", kSpeakerR},       {"M-30", kSpeakerR},
        {"C", kSpeakerC},       {"M+0", kSpeakerC},    {"Ls", kSpeakerLs},     {"M+110", kSpeakerLs},
        {"Rs", kSpeakerRs},     {"M-110", kSpeakerRs}, {"Lss", kSpeakerSl},    {"M+90", kSpeakerSl},
        {"Rss", kSpeakerSr},    {"M-90", kSpeakerSr},  {"Lsr", kSpeakerLs},    {"M+135", kSpeakerLs},
        {"Rsr", kSpeakerRs},    {"M-135", kSpeakerRs}, {"LFE", kSpeakerLfe},   {"LFE1", kSpeakerLfe},
        {"LFE2", kSpeakerLfe2}, {"Ltf", kSpeakerTfl},  {"U+45", kSpeakerTfl},  {"Rtf", kSpeakerTfr},
        {"U-45", kSpeakerTfr},  {"Ltm", kSpeakerTfl},  {"U+90", kSpeakerTfl},  {"Rtm", kSpeakerTfr},
        {"U-90", kSpeakerTfr},  {"Ltr", kSpeakerTrl},  {"U+135", kSpeakerTrl}, {"Rtr", kSpeakerTrr},
        {"U-135", kSpeakerTrr}, {"T", kSpeakerTm},     {"U+0", kSpeakerTm},
    };
    return table;
}

VstInt32 SpeakerTypeByName(const QString& name)
{
    const auto found = SpeakerTypesByName().find(name);
    return found == SpeakerTypesByName().end() ? VstInt32(kSpeakerArrUserDefined) : found->second;
}

// In a format that also has rear channels, the surround pair sits at the sides.
VstInt32 SpeakerTypeByPosition(std::uint32_t position, bool hasRears)
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
        return hasRears ? kSpeakerSl : kSpeakerLs;
    case ChannelFormat::kRightSurround:
        return hasRears ? kSpeakerSr : kSpeakerRs;
    case ChannelFormat::kCentreSurround:
        return kSpeakerS;
    case ChannelFormat::kLeftRear:
        return kSpeakerLs;
    case ChannelFormat::kRightRear:
        return kSpeakerRs;
    default:
        return kSpeakerUndefined;
    }
}

void SetSpeaker(VstSpeakerProperties& speaker, const QByteArray& name, VstInt32 type)
{
    std::memset(speaker.name, 0, sizeof speaker.name);
    std::memcpy(speaker.name, name.constData(), std::min<size_t>(name.size(), sizeof speaker.name - 1));
    speaker.type = type;
}

// As stored: unused speakers among the first eight are undefined, the rest zero.
SpeakerArrangementRecord Predefined(VstInt32 type, const std::vector<Speaker>& speakers)
{
    SpeakerArrangementRecord record;
    record.type = type;
    record.numChannels = VstInt32(speakers.size());
    for (int i = 0; i < 8; ++i)
        SetSpeaker(record.speakers[i], i < int(speakers.size()) ? speakers[i].first : "",
                   i < int(speakers.size()) ? speakers[i].second : VstInt32(kSpeakerUndefined));
    return record;
}

SpeakerArrangementRecord Empty()
{
    return Predefined(kSpeakerArrEmpty, {});
}

const std::vector<Speaker> kCine30 = {{"L", kSpeakerL}, {"R", kSpeakerR}, {"C", kSpeakerC}};
const std::vector<Speaker> k51 = {{"L", kSpeakerL},     {"R", kSpeakerR},   {"C", kSpeakerC},
                                  {"Lfe", kSpeakerLfe}, {"Ls", kSpeakerLs}, {"Rs", kSpeakerRs}};
const std::vector<Speaker> kMusic71 = {{"L", kSpeakerL},     {"R", kSpeakerR},   {"C", kSpeakerC},
                                       {"Lfe", kSpeakerLfe}, {"Ls", kSpeakerSl}, {"Rs", kSpeakerSr},
                                       {"Bsl", kSpeakerLs},  {"Bsr", kSpeakerRs}};

// The engine orders surround channels L C R ...; VST 2.4 layouts L R C ...
std::array<VSTSpeakerArrangements::WrapperArrangement, VSTSpeakerArrangements::kPredefinedCount>
WrapperTable()
{
    // No channels at all: every field zero.
    SpeakerArrangementRecord none;
    none.type = 0;
    return {{
        {none, {}},
        {Predefined(kSpeakerArrMono, {{"M", kSpeakerM}}), {}},
        {Predefined(kSpeakerArrStereo, {{"L", kSpeakerL}, {"R", kSpeakerR}}), {}},
        {Predefined(kSpeakerArr30Cine, kCine30), {0, 2, 1}},
        {Predefined(kSpeakerArr40Cine,
                    {{"L", kSpeakerL}, {"R", kSpeakerR}, {"C", kSpeakerC}, {"S", kSpeakerS}}),
         {0, 2, 1, 3}},
        {Predefined(
             kSpeakerArr50,
             {{"L", kSpeakerL}, {"R", kSpeakerR}, {"C", kSpeakerC}, {"Ls", kSpeakerLs}, {"Rs", kSpeakerRs}}),
         {0, 2, 1, 3, 4}},
        {Predefined(kSpeakerArr51, k51), {}},
        {Predefined(kSpeakerArr61Cine, {{"L", kSpeakerL},
                                        {"R", kSpeakerR},
                                        {"C", kSpeakerC},
                                        {"Lfe", kSpeakerLfe},
                                        {"Ls", kSpeakerLs},
                                        {"Rs", kSpeakerRs},
                                        {"Cs", kSpeakerCs}}),
         {0, 2, 1, 6, 3, 5, 4}},
        {Predefined(kSpeakerArr71Music, kMusic71), {}},
        {Empty(), {}},
        {Empty(), {}},
        {Empty(), {}},
        {Predefined(kSpeakerArr30Cine, kCine30), {0, 2, 1}},
        {Predefined(kSpeakerArr51, k51), {0, 2, 1, 5, 3, 4}},
        {Predefined(kSpeakerArr71Music, kMusic71), {0, 2, 1, 7, 3, 4, 5, 6}},
    }};
}
} // namespace

VSTSpeakerArrangements& VSTSpeakerArrangements::Instance()
{
    static VSTSpeakerArrangements arrangements;
    return arrangements;
}

VSTSpeakerArrangements::VSTSpeakerArrangements()
    : m_predefined{
          Empty(),
          Predefined(kSpeakerArrMono, {{"M", kSpeakerM}}),
          Predefined(kSpeakerArrStereo, {{"L", kSpeakerL}, {"R", kSpeakerR}}),
          Predefined(kSpeakerArrUserDefined, {{"L", kSpeakerL}, {"C", kSpeakerC}, {"R", kSpeakerR}}),
          Predefined(kSpeakerArr40Cine,
                     {{"L", kSpeakerL}, {"C", kSpeakerC}, {"R", kSpeakerR}, {"S", kSpeakerS}}),
          Predefined(
              kSpeakerArrUserDefined,
              {{"L", kSpeakerL}, {"C", kSpeakerC}, {"R", kSpeakerR}, {"Ls", kSpeakerLs}, {"Rs", kSpeakerRs}}),
          Predefined(kSpeakerArr51, k51),
          Predefined(kSpeakerArrUserDefined, {{"L", kSpeakerL},
                                              {"C", kSpeakerC},
                                              {"R", kSpeakerR},
                                              {"Ls", kSpeakerLs},
                                              {"Cs", kSpeakerCs},
                                              {"Rs", kSpeakerRs},
                                              {"Lfe", kSpeakerLfe}}),
          Predefined(kSpeakerArr71Music, kMusic71),
          Empty(),
          Empty(),
          Empty(),
          Predefined(kSpeakerArrUserDefined, {{"L", kSpeakerL}, {"R", kSpeakerR}, {"Lfe", kSpeakerLfe}}),
          Predefined(kSpeakerArrUserDefined, {{"L", kSpeakerL},
                                              {"C", kSpeakerC},
                                              {"R", kSpeakerR},
                                              {"Ls", kSpeakerLs},
                                              {"Rs", kSpeakerRs},
                                              {"Lfe", kSpeakerLfe}}),
          Predefined(kSpeakerArrUserDefined, {{"L", kSpeakerL},
                                              {"C", kSpeakerC},
                                              {"R", kSpeakerR},
                                              {"Ls", kSpeakerSl},
                                              {"Rs", kSpeakerSr},
                                              {"Bsl", kSpeakerLs},
                                              {"Bsr", kSpeakerRs},
                                              {"Lfe", kSpeakerLfe}}),
      },
      m_wrapper(WrapperTable())
{
}

void VSTSpeakerArrangements::Build()
{
    for (const ChannelFormat& format : ChannelFormat::All())
    {
        if (format.ChannelCount() == 0)
            continue;
        SpeakerArrangementRecord& record = m_map[format.code];
        if (format.code < kPredefinedCount)
        {
            record = m_predefined[format.code];
            // The studio model's own layouts replace the stored speakers.
            FillSpeakers(m_predefined[format.code], format);
        }
        else
        {
            record.type = kSpeakerArrUserDefined;
            record.numChannels = std::min(format.ChannelCount(), SpeakerArrangementRecord::kMaxSpeakers);
        }
        FillSpeakers(record, format);
    }
}

void VSTSpeakerArrangements::FillSpeakers(SpeakerArrangementRecord& record, const ChannelFormat& format)
{
    const bool byPosition = format.ChannelCount() <= 8;
    const bool hasRears = format.PositionMask() & (ChannelFormat::kLeftRear | ChannelFormat::kRightRear);
    for (int i = 0; i < SpeakerArrangementRecord::kMaxSpeakers; ++i)
    {
        if (i >= format.ChannelCount())
        {
            SetSpeaker(record.speakers[i], QByteArray(), kSpeakerUndefined);
            continue;
        }
        const ChannelFormat::Channel& channel = format.channels[size_t(i)];
        const QString name = QString::fromWCharArray(channel.name);
        SetSpeaker(record.speakers[i], name.toUtf8(),
                   byPosition ? SpeakerTypeByPosition(channel.position, hasRears) : SpeakerTypeByName(name));
    }
}

const SpeakerArrangementRecord& VSTSpeakerArrangements::GetArrangement(std::int32_t channels) const
{
    return m_predefined[channels >= 1 && channels <= 8 ? size_t(channels) : 8];
}

const SpeakerArrangementRecord* VSTSpeakerArrangements::FindArrangement(std::uint32_t format) const
{
    const auto found = m_map.find(format);
    if (found == m_map.end())
        return nullptr;
    const SpeakerArrangementRecord& record = found->second;
    std::cout << "Found arrangement for:" << format << " chs:" << record.numChannels
              << " type:" << record.type << "\n";
    for (int i = 0; i < record.numChannels; ++i)
        std::cout << "Speaker: " << i << " " << record.speakers[i].name << "\n";
    return &record;
}

const VSTSpeakerArrangements::WrapperArrangement&
VSTSpeakerArrangements::GetWrapperArrangement(std::uint32_t format) const
{
    return m_wrapper[format < kPredefinedCount ? format : 0];
}

std::int32_t VSTSpeakerArrangements::ChannelCountOf(std::uint32_t format)
{
    const ChannelFormat* found = ChannelFormat::Find(format);
    return found ? found->ChannelCount() : 0;
}

// The studio model's own layouts first, then the nearest VST 2.4 ones, then
// larger layouts for surround plug-ins, then the plug-in's own counts.
VSTSpeakerArrangements::Offer VSTSpeakerArrangements::OfferArrangements(
    std::uint32_t in, std::uint32_t out, std::int32_t inputs, std::int32_t outputs, const Sender& send,
    std::vector<std::int32_t>& inputMap, std::vector<std::int32_t>& outputMap) const
{
    Offer offer;
    const SpeakerArrangementRecord* hostIn = FindArrangement(in);
    const SpeakerArrangementRecord* hostOut = FindArrangement(out);
    if (hostIn && hostOut)
    {
        if (g_vstDispatchDebug.Level & 1)
            g_vstDispatchDebug.Debug("VSTPlugin::UpdateSpeakerArrangement: Setting to: %d->%d", int(in),
                                     int(out));
        offer.accepted = send(*hostIn, *hostOut);
        if (offer.accepted)
            return offer;
    }
    SpeakerArrangementRecord input = ZeroArrangement();
    SpeakerArrangementRecord output = ZeroArrangement();
    PredefinedArrangement(in, true, input, inputMap);
    PredefinedArrangement(out, false, output, outputMap);
    offer.accepted = send(input, output);
    if (offer.accepted)
        return offer;

    if (inputs == outputs && (inputs == 6 || inputs == 8) && inputs > ChannelCountOf(in) && in <= 12 &&
        out <= 12)
    {
        const std::uint32_t* fallback = inputs == 6 ? kSixChannelFallback : kEightChannelFallback;
        if (fallback[in] != in || fallback[out] != out)
        {
            offer.retry = true;
            offer.retryInput = fallback[in];
            offer.retryOutput = fallback[out];
            return offer;
        }
    }
    if (inputs != ChannelCountOf(in))
        input = GetArrangement(inputs);
    if (outputs != ChannelCountOf(out))
        output = GetArrangement(outputs);
    offer.accepted = send(input, output);
    return offer;
}

// Formats the wrapper knows come with the channel order of their VST 2.4
// layout; others take the predefined layout of their channel count, of
// which the input side sends only the first eight speakers.
void VSTSpeakerArrangements::PredefinedArrangement(std::uint32_t format, bool input,
                                                   SpeakerArrangementRecord& record,
                                                   std::vector<std::int32_t>& channelMap) const
{
    if (format < kPredefinedCount)
    {
        const WrapperArrangement& entry = GetWrapperArrangement(format);
        record = entry.record;
        channelMap = entry.channelMap;
        return;
    }
    const SpeakerArrangementRecord& predefined = GetArrangement(ChannelCountOf(format));
    if (!input)
    {
        record = predefined;
        return;
    }
    record.type = predefined.type;
    record.numChannels = predefined.numChannels;
    std::copy_n(predefined.speakers, 8, record.speakers);
}
