/* VST 2.4 binary interface: transport and time. */
#ifndef PLUGSWEEP_VST_ABI_TIME_INFO_H
#define PLUGSWEEP_VST_ABI_TIME_INFO_H

#include "Types.h"

/* ------------------------------------------------------------------------------------------------
 * Transport and time (audioMasterGetTime).
 */
enum VstTimeInfoFlags
{
    kVstTransportChanged = 1,
    kVstTransportPlaying = 1 << 1,
    kVstTransportCycleActive = 1 << 2,
    kVstTransportRecording = 1 << 3,
    kVstAutomationWriting = 1 << 6,
    kVstAutomationReading = 1 << 7,
    kVstNanosValid = 1 << 8,
    kVstPpqPosValid = 1 << 9,
    kVstTempoValid = 1 << 10,
    kVstBarsValid = 1 << 11,
    kVstCyclePosValid = 1 << 12,
    kVstTimeSigValid = 1 << 13,
    kVstSmpteValid = 1 << 14,
    kVstClockValid = 1 << 15
};

enum VstSmpteFrameRate
{
    kVstSmpte24fps = 0,
    kVstSmpte25fps = 1,
    kVstSmpte2997fps = 2,
    kVstSmpte30fps = 3,
    kVstSmpte2997dfps = 4,
    kVstSmpte30dfps = 5,
    kVstSmpteFilm16mm = 6,
    kVstSmpteFilm35mm = 7,
    kVstSmpte239fps = 10,
    kVstSmpte249fps = 11,
    kVstSmpte599fps = 12,
    kVstSmpte60fps = 13
};

typedef struct VstTimeInfo
{
    double samplePos;            /* always valid */
    double sampleRate;           /* always valid */
    double nanoSeconds;          /* kVstNanosValid */
    double ppqPos;               /* kVstPpqPosValid; quarter notes */
    double tempo;                /* kVstTempoValid; beats per minute */
    double barStartPos;          /* kVstBarsValid; quarter notes */
    double cycleStartPos;        /* kVstCyclePosValid */
    double cycleEndPos;          /* kVstCyclePosValid */
    VstInt32 timeSigNumerator;   /* kVstTimeSigValid */
    VstInt32 timeSigDenominator; /* kVstTimeSigValid */
    VstInt32 smpteOffset;        /* kVstSmpteValid; in 80ths of a frame */
    VstInt32 smpteFrameRate;     /* kVstSmpteValid; VstSmpteFrameRate */
    VstInt32 samplesToNextClock; /* kVstClockValid */
    VstInt32 flags;              /* VstTimeInfoFlags */
} VstTimeInfo;

/* Layout checks: a mismatch means every plug-in would read garbage, so the build fails. */
VST_ABI_STATIC_ASSERT(sizeof(VstTimeInfo) == 88, "VstTimeInfo");
VST_ABI_STATIC_ASSERT(offsetof(VstTimeInfo, timeSigNumerator) == 64, "VstTimeInfo.timeSigNumerator");
VST_ABI_STATIC_ASSERT(offsetof(VstTimeInfo, flags) == 84, "VstTimeInfo.flags");

#endif /* PLUGSWEEP_VST_ABI_TIME_INFO_H */
