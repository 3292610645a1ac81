/* VST 2.4 binary interface: speakers and speaker arrangements. */
#ifndef PLUGSWEEP_VST_ABI_SPEAKERS_H
#define PLUGSWEEP_VST_ABI_SPEAKERS_H

#include "Types.h"

/* ------------------------------------------------------------------------------------------------
 * Speakers (effSetSpeakerArrangement, effGetSpeakerArrangement).
 */
enum VstSpeakerType
{
    kSpeakerUndefined = 0x7fffffff,
    kSpeakerM = 0,
    kSpeakerL = 1,
    kSpeakerR = 2,
    kSpeakerC = 3,
    kSpeakerLfe = 4,
    kSpeakerLs = 5,
    kSpeakerRs = 6,
    kSpeakerLc = 7,
    kSpeakerRc = 8,
    kSpeakerS = 9,
    kSpeakerCs = kSpeakerS,
    kSpeakerSl = 10,
    kSpeakerSr = 11,
    kSpeakerTm = 12,
    kSpeakerTfl = 13,
    kSpeakerTfc = 14,
    kSpeakerTfr = 15,
    kSpeakerTrl = 16,
    kSpeakerTrc = 17,
    kSpeakerTrr = 18,
    kSpeakerLfe2 = 19
};

/* Free speaker types for user-defined arrangements count down from -1. */
enum VstUserSpeakerType
{
    kSpeakerU32 = -32,
    kSpeakerU31,
    kSpeakerU30,
    kSpeakerU29,
    kSpeakerU28,
    kSpeakerU27,
    kSpeakerU26,
    kSpeakerU25,
    kSpeakerU24,
    kSpeakerU23,
    kSpeakerU22,
    kSpeakerU21,
    kSpeakerU20,
    kSpeakerU19,
    kSpeakerU18,
    kSpeakerU17,
    kSpeakerU16,
    kSpeakerU15,
    kSpeakerU14,
    kSpeakerU13,
    kSpeakerU12,
    kSpeakerU11,
    kSpeakerU10,
    kSpeakerU9,
    kSpeakerU8,
    kSpeakerU7,
    kSpeakerU6,
    kSpeakerU5,
    kSpeakerU4,
    kSpeakerU3,
    kSpeakerU2,
    kSpeakerU1 = -1
};

enum VstSpeakerArrangementType
{
    kSpeakerArrUserDefined = -2,
    kSpeakerArrEmpty = -1,
    kSpeakerArrMono = 0,           /* M */
    kSpeakerArrStereo = 1,         /* L R */
    kSpeakerArrStereoSurround = 2, /* Ls Rs */
    kSpeakerArrStereoCenter = 3,   /* Lc Rc */
    kSpeakerArrStereoSide = 4,     /* Sl Sr */
    kSpeakerArrStereoCLfe = 5,     /* C Lfe */
    kSpeakerArr30Cine = 6,         /* L R C */
    kSpeakerArr30Music = 7,        /* L R S */
    kSpeakerArr31Cine = 8,         /* L R C Lfe */
    kSpeakerArr31Music = 9,        /* L R Lfe S */
    kSpeakerArr40Cine = 10,        /* L R C S */
    kSpeakerArr40Music = 11,       /* L R Ls Rs */
    kSpeakerArr41Cine = 12,        /* L R C Lfe S */
    kSpeakerArr41Music = 13,       /* L R Lfe Ls Rs */
    kSpeakerArr50 = 14,            /* L R C Ls Rs */
    kSpeakerArr51 = 15,            /* L R C Lfe Ls Rs */
    kSpeakerArr60Cine = 16,        /* L R C Ls Rs Cs */
    kSpeakerArr60Music = 17,       /* L R Ls Rs Sl Sr */
    kSpeakerArr61Cine = 18,        /* L R C Lfe Ls Rs Cs */
    kSpeakerArr61Music = 19,       /* L R Lfe Ls Rs Sl Sr */
    kSpeakerArr70Cine = 20,        /* L R C Ls Rs Lc Rc */
    kSpeakerArr70Music = 21,       /* L R C Ls Rs Sl Sr */
    kSpeakerArr71Cine = 22,        /* L R C Lfe Ls Rs Lc Rc */
    kSpeakerArr71Music = 23,       /* L R C Lfe Ls Rs Sl Sr */
    kSpeakerArr80Cine = 24,        /* L R C Ls Rs Lc Rc Cs */
    kSpeakerArr80Music = 25,       /* L R C Ls Rs Cs Sl Sr */
    kSpeakerArr81Cine = 26,        /* L R C Lfe Ls Rs Lc Rc Cs */
    kSpeakerArr81Music = 27,       /* L R C Lfe Ls Rs Cs Sl Sr */
    kSpeakerArr102 = 28,           /* L R C Lfe Ls Rs Tfl Tfc Tfr Trl Trr Lfe2 */
    kNumSpeakerArr = 29
};

typedef struct VstSpeakerProperties
{
    float azimuth;   /* radians, -pi to pi */
    float elevation; /* radians, -pi/2 to pi/2 */
    float radius;    /* metres */
    float reserved;
    char name[kVstMaxNameLen];
    VstInt32 type; /* VstSpeakerType */
    char future[28];
} VstSpeakerProperties;

/* Declared with 8 speakers; a sender of more channels allocates room for numChannels of them. */
typedef struct VstSpeakerArrangement
{
    VstInt32 type; /* VstSpeakerArrangementType */
    VstInt32 numChannels;
    VstSpeakerProperties speakers[8];
} VstSpeakerArrangement;

/* Layout checks: a mismatch means every plug-in would read garbage, so the build fails. */
VST_ABI_STATIC_ASSERT(sizeof(VstSpeakerProperties) == 112, "VstSpeakerProperties");
VST_ABI_STATIC_ASSERT(offsetof(VstSpeakerProperties, name) == 16, "VstSpeakerProperties.name");
VST_ABI_STATIC_ASSERT(offsetof(VstSpeakerProperties, type) == 80, "VstSpeakerProperties.type");
VST_ABI_STATIC_ASSERT(offsetof(VstSpeakerArrangement, speakers) == 8, "VstSpeakerArrangement.speakers");
VST_ABI_STATIC_ASSERT(sizeof(VstSpeakerArrangement) == 8 + 8 * 112, "VstSpeakerArrangement");

#endif /* PLUGSWEEP_VST_ABI_SPEAKERS_H */
