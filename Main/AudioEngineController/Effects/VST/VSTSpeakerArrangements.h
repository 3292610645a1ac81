#pragma once

#include "Main/AudioEngineController/Effects/VST/VstAbi.h"

#include <array>
#include <cstdint>
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
// channel count for formats the plug-in refuses. Process-wide.
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

private:
    VSTSpeakerArrangements();

    static void FillSpeakers(SpeakerArrangementRecord& record, const ChannelFormat& format);

    std::array<SpeakerArrangementRecord, kPredefinedCount> m_predefined;
    std::array<WrapperArrangement, kPredefinedCount> m_wrapper;
    std::map<std::uint32_t, SpeakerArrangementRecord> m_map;
};
