#pragma once

#include "Main/AudioEngineController/Effects/VST/Abi/Speakers.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

struct ChannelFormat;

// A VstSpeakerArrangement with room for the 36 channels of the largest
// engine formats; plug-ins read as many speakers as numChannels says.
struct SpeakerArrangementRecord
{
    static constexpr int kMaxSpeakers = 36;

    VstInt32 type = kSpeakerArrEmpty;
    VstInt32 numChannels = 0;
    VstSpeakerProperties speakers[kMaxSpeakers] = {};
};

// The speaker arrangements the VST 2 host offers plug-ins: one per engine
// channel format, built from the studio model, and a predefined one per
// channel count for formats the plug-in refuses, offered to a plug-in in
// turn until it accepts one. Process-wide.
class VSTSpeakerArrangements
{
public:
    // Engine formats from this identifier on have no predefined arrangement.
    static constexpr std::uint32_t kPredefinedCount = 15;

    static VSTSpeakerArrangements& Instance();

    // Fills the map from the studio model's formats and refreshes the
    // predefined arrangements of the formats it defines.
    void Build();
    // The predefined arrangement for 1 to 8 channels; 7.1 for any other count.
    const SpeakerArrangementRecord& GetArrangement(std::int32_t channels) const;
    // Null for a format the studio model does not define.
    const SpeakerArrangementRecord* FindArrangement(std::uint32_t format) const;

    // What the plug-in wrapper offers for a format below kPredefinedCount
    // that the plug-in refused in the studio model's own layout: the VST 2.4
    // layout nearest to it, and for each plug-in channel in order the
    // engine channel that feeds it (empty when the orders agree).
    struct WrapperArrangement
    {
        SpeakerArrangementRecord record;
        std::vector<std::int32_t> channelMap;
    };
    const WrapperArrangement& GetWrapperArrangement(std::uint32_t format) const;

    // The studio model's channel count of a format; 0 for one it does not define.
    static std::int32_t ChannelCountOf(std::uint32_t format);

    // Hands one input and one output arrangement to the plug-in; true when it accepts them.
    using Sender =
        std::function<bool(const SpeakerArrangementRecord& input, const SpeakerArrangementRecord& output)>;
    struct Offer
    {
        bool accepted = false;
        // A surround plug-in that refused smaller formats is offered these next.
        bool retry = false;
        std::uint32_t retryInput = 0;
        std::uint32_t retryOutput = 0;
    };
    // Offers a plug-in of the given channel counts the arrangements of two
    // formats until it accepts one. The channel maps are set when the
    // wrapper's layouts are offered and stay set whatever the plug-in answers.
    Offer OfferArrangements(std::uint32_t inputFormat, std::uint32_t outputFormat, std::int32_t inputs,
                            std::int32_t outputs, const Sender& send, std::vector<std::int32_t>& inputMap,
                            std::vector<std::int32_t>& outputMap) const;

private:
    VSTSpeakerArrangements();

    static void FillSpeakers(SpeakerArrangementRecord& record, const ChannelFormat& format);
    void PredefinedArrangement(std::uint32_t format, bool input, SpeakerArrangementRecord& record,
                               std::vector<std::int32_t>& channelMap) const;

    std::array<SpeakerArrangementRecord, kPredefinedCount> m_predefined;
    std::array<WrapperArrangement, kPredefinedCount> m_wrapper;
    std::map<std::uint32_t, SpeakerArrangementRecord> m_map;
};
