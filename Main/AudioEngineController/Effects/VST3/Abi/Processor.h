// VST 3 binary interface: audio processing, speaker arrangements and parameter changes per block.
#pragma once

#include "Base.h"
#include "Component.h"
#include "Events.h"

#include <cstddef>

namespace vst3
{

using Sample32 = float;
using Sample64 = double;
using SampleRate = double;
using TSamples = int64;

// One bit per speaker; an arrangement is the set of its speakers' bits.
using Speaker = uint64;
using SpeakerArrangement = uint64;

namespace SpeakerBits
{
constexpr Speaker kSpeakerL = 1ull << 0;
constexpr Speaker kSpeakerR = 1ull << 1;
constexpr Speaker kSpeakerC = 1ull << 2;
constexpr Speaker kSpeakerLfe = 1ull << 3;
constexpr Speaker kSpeakerLs = 1ull << 4;
constexpr Speaker kSpeakerRs = 1ull << 5;
constexpr Speaker kSpeakerLc = 1ull << 6;
constexpr Speaker kSpeakerRc = 1ull << 7;
constexpr Speaker kSpeakerS = 1ull << 8;
constexpr Speaker kSpeakerSl = 1ull << 9;
constexpr Speaker kSpeakerSr = 1ull << 10;
constexpr Speaker kSpeakerTc = 1ull << 11;
constexpr Speaker kSpeakerTfl = 1ull << 12;
constexpr Speaker kSpeakerTfc = 1ull << 13;
constexpr Speaker kSpeakerTfr = 1ull << 14;
constexpr Speaker kSpeakerTrl = 1ull << 15;
constexpr Speaker kSpeakerTrc = 1ull << 16;
constexpr Speaker kSpeakerTrr = 1ull << 17;
constexpr Speaker kSpeakerLfe2 = 1ull << 18;
constexpr Speaker kSpeakerM = 1ull << 19;
} // namespace SpeakerBits

namespace SpeakerArr
{
constexpr SpeakerArrangement kEmpty = 0;
constexpr SpeakerArrangement kMono = SpeakerBits::kSpeakerM;
constexpr SpeakerArrangement kStereo = SpeakerBits::kSpeakerL | SpeakerBits::kSpeakerR;
constexpr SpeakerArrangement k51 = SpeakerBits::kSpeakerL | SpeakerBits::kSpeakerR | SpeakerBits::kSpeakerC |
                                   SpeakerBits::kSpeakerLfe | SpeakerBits::kSpeakerLs |
                                   SpeakerBits::kSpeakerRs;
} // namespace SpeakerArr

enum ProcessModes : int32
{
    kRealtime = 0,
    kPrefetch = 1,
    kOffline = 2,
};

enum SymbolicSampleSizes : int32
{
    kSample32 = 0,
    kSample64 = 1,
};

// getTailSamples answers
constexpr uint32 kNoTail = 0;
constexpr uint32 kInfiniteTail = 0xFFFFFFFFu;

struct ProcessSetup
{
    int32 processMode;
    int32 symbolicSampleSize;
    int32 maxSamplesPerBlock;
    SampleRate sampleRate;
};

struct AudioBusBuffers
{
    int32 numChannels;
    uint64 silenceFlags;
    union
    {
        Sample32** channelBuffers32;
        Sample64** channelBuffers64;
    };
};

struct FrameRate
{
    enum FrameRateFlags : uint32
    {
        kPullDownRate = 1 << 0,
        kDropRate = 1 << 1,
    };

    uint32 framesPerSecond;
    uint32 flags;
};

struct Chord
{
    uint8 keyNote;
    uint8 rootNote;
    int16 chordMask;
};

struct ProcessContext
{
    enum StatesAndFlags : uint32
    {
        kPlaying = 1 << 1,
        kCycleActive = 1 << 2,
        kRecording = 1 << 3,
        kSystemTimeValid = 1 << 8,
        kProjectTimeMusicValid = 1 << 9,
        kTempoValid = 1 << 10,
        kBarPositionValid = 1 << 11,
        kCycleValid = 1 << 12,
        kTimeSigValid = 1 << 13,
        kSmpteValid = 1 << 14,
        kClockValid = 1 << 15,
        kContTimeValid = 1 << 17,
        kChordValid = 1 << 18,
    };

    uint32 state;
    double sampleRate;
    TSamples projectTimeSamples;
    int64 systemTime;
    TSamples continousTimeSamples;
    TQuarterNotes projectTimeMusic;
    TQuarterNotes barPositionMusic;
    TQuarterNotes cycleStartMusic;
    TQuarterNotes cycleEndMusic;
    double tempo;
    int32 timeSigNumerator;
    int32 timeSigDenominator;
    Chord chord;
    int32 smpteOffsetSubframes;
    FrameRate frameRate;
    int32 samplesToNextClock;
};

class IParamValueQueue : public FUnknown
{
public:
    virtual ParamID getParameterId() = 0;
    virtual int32 getPointCount() = 0;
    virtual tresult getPoint(int32 index, int32& sampleOffset, ParamValue& value) = 0;
    virtual tresult addPoint(int32 sampleOffset, ParamValue value, int32& index) = 0;

    static constexpr Uid iid = makeUid(0x01263A18, 0xED074F6F, 0x98C9D356, 0x4686F9BA);
};

class IParameterChanges : public FUnknown
{
public:
    virtual int32 getParameterCount() = 0;
    virtual IParamValueQueue* getParameterData(int32 index) = 0;
    virtual IParamValueQueue* addParameterData(const ParamID& id, int32& index) = 0;

    static constexpr Uid iid = makeUid(0xA4779663, 0x0BB64A56, 0xB44384A8, 0x466FEB9D);
};

struct ProcessData
{
    int32 processMode;
    int32 symbolicSampleSize;
    int32 numSamples;
    int32 numInputs;
    int32 numOutputs;
    AudioBusBuffers* inputs;
    AudioBusBuffers* outputs;
    IParameterChanges* inputParameterChanges;
    IParameterChanges* outputParameterChanges;
    IEventList* inputEvents;
    IEventList* outputEvents;
    ProcessContext* processContext;
};

static_assert(sizeof(ProcessSetup) == 24, "ProcessSetup layout");
static_assert(sizeof(AudioBusBuffers) == 24, "AudioBusBuffers layout");
static_assert(sizeof(ProcessContext) == 112, "ProcessContext layout");
static_assert(offsetof(ProcessContext, tempo) == 72 && offsetof(ProcessContext, frameRate) == 96,
              "ProcessContext field offsets");
static_assert(sizeof(ProcessData) == 80 && offsetof(ProcessData, inputs) == 24, "ProcessData layout");

class IAudioProcessor : public FUnknown
{
public:
    virtual tresult setBusArrangements(SpeakerArrangement* inputs, int32 numIns, SpeakerArrangement* outputs,
                                       int32 numOuts) = 0;
    virtual tresult getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arr) = 0;
    virtual tresult canProcessSampleSize(int32 symbolicSampleSize) = 0;
    virtual uint32 getLatencySamples() = 0;
    virtual tresult setupProcessing(ProcessSetup& setup) = 0;
    virtual tresult setProcessing(TBool state) = 0;
    virtual tresult process(ProcessData& data) = 0;
    virtual uint32 getTailSamples() = 0;

    static constexpr Uid iid = makeUid(0x42043F99, 0xB7DA453C, 0xA569E79D, 0x9AAEC33D);
};

} // namespace vst3
