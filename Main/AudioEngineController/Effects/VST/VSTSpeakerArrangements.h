#pragma once

#include "Main/AudioEngineController/Effects/VST/VstAbi.h"

#include <array>
#include <cstdint>
#include <map>

class ChannelFormat;

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

private:
    VSTSpeakerArrangements();

    static void FillSpeakers(SpeakerArrangementRecord& record, const ChannelFormat& format);

    std::array<SpeakerArrangementRecord, kPredefinedCount> m_predefined;
    std::map<std::uint32_t, SpeakerArrangementRecord> m_map;
};
