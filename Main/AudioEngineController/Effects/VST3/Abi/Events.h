// VST 3 binary interface: note and data events delivered with each processing block.
#pragma once

#include "Base.h"

#include <cstddef>

namespace vst3
{

using TQuarterNotes = double;
using NoteExpressionTypeID = uint32;
using NoteExpressionValue = double;

struct NoteOnEvent
{
    int16 channel;
    int16 pitch;
    float tuning;
    float velocity;
    int32 length;
    int32 noteId;
};

struct NoteOffEvent
{
    int16 channel;
    int16 pitch;
    float velocity;
    int32 noteId;
    float tuning;
};

struct DataEvent
{
    enum DataTypes : uint32
    {
        kMidiSysEx = 0,
    };

    uint32 size;
    uint32 type;
    const uint8* bytes;
};

struct PolyPressureEvent
{
    int16 channel;
    int16 pitch;
    float pressure;
    int32 noteId;
};

struct NoteExpressionValueEvent
{
    NoteExpressionTypeID typeId;
    int32 noteId;
    NoteExpressionValue value;
};

struct NoteExpressionIntValueEvent
{
    NoteExpressionTypeID typeId;
    int32 noteId;
    uint64 value;
};

struct NoteExpressionTextEvent
{
    NoteExpressionTypeID typeId;
    int32 noteId;
    uint32 textLen;
    const TChar* text;
};

struct ChordEvent
{
    int16 root;
    int16 bassNote;
    int16 mask;
    uint16 textLen;
    const TChar* text;
};

struct ScaleEvent
{
    int16 root;
    int16 mask;
    uint16 textLen;
    const TChar* text;
};

struct LegacyMIDICCOutEvent
{
    uint8 controlNumber;
    int8 channel;
    int8 value;
    int8 value2;
};

struct Event
{
    enum EventFlags : uint16
    {
        kIsLive = 1 << 0,
        kUserReserved1 = 1 << 14,
        kUserReserved2 = 1 << 15,
    };

    enum EventTypes : uint16
    {
        kNoteOnEvent = 0,
        kNoteOffEvent = 1,
        kDataEvent = 2,
        kPolyPressureEvent = 3,
        kNoteExpressionValueEvent = 4,
        kNoteExpressionTextEvent = 5,
        kChordEvent = 6,
        kScaleEvent = 7,
        kNoteExpressionIntValueEvent = 8,
        kLegacyMIDICCOutEvent = 65535,
    };

    int32 busIndex;
    int32 sampleOffset;
    TQuarterNotes ppqPosition;
    uint16 flags;
    uint16 type;
    union
    {
        NoteOnEvent noteOn;
        NoteOffEvent noteOff;
        DataEvent data;
        PolyPressureEvent polyPressure;
        NoteExpressionValueEvent noteExpressionValue;
        NoteExpressionTextEvent noteExpressionText;
        NoteExpressionIntValueEvent noteExpressionIntValue;
        ChordEvent chord;
        ScaleEvent scale;
        LegacyMIDICCOutEvent midiCCOut;
    };
};

// The host keeps fixed arrays of these records, so their size is part of the contract.
static_assert(sizeof(Event) == 48, "Event layout");
static_assert(offsetof(Event, flags) == 16 && offsetof(Event, noteOn) == 24, "Event field offsets");
static_assert(sizeof(NoteOnEvent) == 20 && sizeof(NoteOffEvent) == 16 && sizeof(DataEvent) == 16 &&
                  sizeof(NoteExpressionTextEvent) == 24,
              "event payload layouts");

class IEventList : public FUnknown
{
public:
    virtual int32 getEventCount() = 0;
    virtual tresult getEvent(int32 index, Event& e) = 0;
    virtual tresult addEvent(Event& e) = 0;

    static constexpr Uid iid = makeUid(0x3A2C4214, 0x346349FE, 0xB2C4F397, 0xB9695A44);
};

} // namespace vst3
