/* VST 2.4 binary interface: MIDI and other events. */
#ifndef PLUGSWEEP_VST_ABI_EVENTS_H
#define PLUGSWEEP_VST_ABI_EVENTS_H

#include "Types.h"

/* ------------------------------------------------------------------------------------------------
 * Events (effProcessEvents, audioMasterProcessEvents).
 */
enum VstEventTypes
{
    kVstMidiType = 1,
    kVstAudioType = 2,     /* deprecated */
    kVstVideoType = 3,     /* deprecated */
    kVstParameterType = 4, /* deprecated */
    kVstTriggerType = 5,   /* deprecated */
    kVstSysExType = 6
};

enum VstMidiEventFlags
{
    kVstMidiEventIsRealtime = 1 << 0
};

typedef struct VstEvent
{
    VstInt32 type;        /* VstEventTypes */
    VstInt32 byteSize;    /* size of the whole event minus the first two fields */
    VstInt32 deltaFrames; /* offset into the current block */
    VstInt32 flags;
    char data[16];
} VstEvent;

/* Declared with two event pointers; senders allocate room for numEvents of them. */
typedef struct VstEvents
{
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[2];
} VstEvents;

typedef struct VstMidiEvent
{
    VstInt32 type; /* kVstMidiType */
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags; /* VstMidiEventFlags */
    VstInt32 noteLength;
    VstInt32 noteOffset;
    char midiData[4]; /* 1 to 3 MIDI bytes, the fourth is 0 */
    char detune;
    char noteOffVelocity;
    char reserved1;
    char reserved2;
} VstMidiEvent;

typedef struct VstMidiSysexEvent
{
    VstInt32 type; /* kVstSysExType */
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    VstInt32 dumpBytes;
    VstIntPtr resvd1;
    char* sysexDump;
    VstIntPtr resvd2;
} VstMidiSysexEvent;

/* Layout checks: a mismatch means every plug-in would read garbage, so the build fails. */
VST_ABI_STATIC_ASSERT(sizeof(VstEvent) == 32, "VstEvent");
VST_ABI_STATIC_ASSERT(sizeof(VstMidiEvent) == 32, "VstMidiEvent");
VST_ABI_STATIC_ASSERT(offsetof(VstMidiEvent, midiData) == 24, "VstMidiEvent.midiData");

#if INTPTR_MAX == INT64_MAX
/* 64-bit layout: pointers and pointer-sized integers on 8-byte boundaries. */
VST_ABI_STATIC_ASSERT(sizeof(VstEvents) == 32, "VstEvents");
VST_ABI_STATIC_ASSERT(offsetof(VstEvents, events) == 16, "VstEvents.events");
VST_ABI_STATIC_ASSERT(sizeof(VstMidiSysexEvent) == 48, "VstMidiSysexEvent");
VST_ABI_STATIC_ASSERT(offsetof(VstMidiSysexEvent, sysexDump) == 32, "VstMidiSysexEvent.sysexDump");
#endif

#endif /* PLUGSWEEP_VST_ABI_EVENTS_H */
