/*
 * VstAbi.h - our own definitions of the VST 2.4 plug-in binary interface.
 *
 * A VST 2 plug-in is a shared library whose entry point ("VSTPluginMain", or "main" in old
 * plug-ins) takes the host's callback and returns an AEffect. Everything after that goes through
 * the AEffect's function pointers and the host callback, with integer opcodes. Names, numbers and
 * layouts below are the published ones, because plug-ins compiled years ago depend on them bit for
 * bit; the static assertions at the end pin the layouts that we know from the published interface.
 *
 * Self-contained on purpose: the engine, the fixture plug-ins (built as C++) and small C tools all
 * include it, so it includes nothing of ours and only uses C constructs that C++ accepts.
 */
#ifndef PLUGSWEEP_VST_ABI_H
#define PLUGSWEEP_VST_ABI_H

#include <stddef.h>
#include <stdint.h>

/* The callbacks cross a C boundary, so their function types get C language linkage in C++. */
#ifdef __cplusplus
#define VST_C_LINKAGE extern "C"
#else
#define VST_C_LINKAGE
#endif

/* ------------------------------------------------------------------------------------------------
 * Basic types. Fixed widths rather than int/long: the interface is defined in 32-bit integers and
 * pointer-sized integers, whatever the compiler's long is.
 */
typedef int16_t VstInt16;
typedef int32_t VstInt32;
typedef int64_t VstInt64;
typedef intptr_t VstIntPtr;

/* Four-character codes are stored big-end first: 'VstP' is 0x56737450. Spelled out instead of a
 * multi-character literal, whose value is implementation-defined and which compilers warn about. */
#define VST_FOURCC(a, b, c, d)                                                                               \
    ((VstInt32)(((uint32_t)(uint8_t)(a) << 24) | ((uint32_t)(uint8_t)(b) << 16) |                            \
                ((uint32_t)(uint8_t)(c) << 8) | ((uint32_t)(uint8_t)(d))))

enum
{
    kEffectMagic = VST_FOURCC('V', 's', 't', 'P'), /* AEffect.magic of every valid plug-in */
    kVstVersion = 2400                             /* what a 2.4 host answers to audioMasterVersion */
};

/* ------------------------------------------------------------------------------------------------
 * The plug-in structure and the function types around it. On x86-64 there is one calling
 * convention, so no calling-convention attribute is needed.
 */
typedef struct AEffect AEffect;

VST_C_LINKAGE typedef VstIntPtr (*audioMasterCallback)(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                                       VstIntPtr value, void* ptr, float opt);
VST_C_LINKAGE typedef VstIntPtr (*AEffectDispatcherProc)(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                                         VstIntPtr value, void* ptr, float opt);
VST_C_LINKAGE typedef void (*AEffectProcessProc)(AEffect* effect, float** inputs, float** outputs,
                                                 VstInt32 sampleFrames);
VST_C_LINKAGE typedef void (*AEffectProcessDoubleProc)(AEffect* effect, double** inputs, double** outputs,
                                                       VstInt32 sampleFrames);
VST_C_LINKAGE typedef void (*AEffectSetParameterProc)(AEffect* effect, VstInt32 index, float parameter);
VST_C_LINKAGE typedef float (*AEffectGetParameterProc)(AEffect* effect, VstInt32 index);

/* The exported entry point ("VSTPluginMain" or "main"). */
VST_C_LINKAGE typedef AEffect* (*VstPluginMainProc)(audioMasterCallback audioMaster);

struct AEffect
{
    VstInt32 magic; /* kEffectMagic */
    AEffectDispatcherProc dispatcher;
    AEffectProcessProc process; /* accumulating process, superseded by processReplacing */
    AEffectSetParameterProc setParameter;
    AEffectGetParameterProc getParameter;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 numInputs;
    VstInt32 numOutputs;
    VstInt32 flags;         /* VstAEffectFlags */
    VstIntPtr resvd1;       /* reserved for the host; we keep our wrapper here */
    VstIntPtr resvd2;       /* reserved for the host */
    VstInt32 initialDelay;  /* latency in samples */
    VstInt32 realQualities; /* unused */
    VstInt32 offQualities;  /* unused */
    float ioRatio;          /* unused */
    void* object;           /* the plug-in's own instance pointer */
    void* user;             /* free for the plug-in's user code */
    VstInt32 uniqueID;      /* registered plug-in identifier, or a sub-plug-in identifier in a shell */
    VstInt32 version;
    AEffectProcessProc processReplacing;
    AEffectProcessDoubleProc processDoubleReplacing;
    char future[56];
};

/* AEffect.flags */
enum VstAEffectFlags
{
    effFlagsHasEditor = 1 << 0,
    effFlagsHasClip = 1 << 1, /* deprecated */
    effFlagsHasVu = 1 << 2,   /* deprecated */
    effFlagsCanMono = 1 << 3, /* deprecated */
    effFlagsCanReplacing = 1 << 4,
    effFlagsProgramChunks = 1 << 5,
    effFlagsIsSynth = 1 << 8,
    effFlagsNoSoundInStop = 1 << 9,
    effFlagsExtIsAsync = 1 << 10,   /* deprecated */
    effFlagsExtHasBuffer = 1 << 11, /* deprecated */
    effFlagsCanDoubleReplacing = 1 << 12
};

/* ------------------------------------------------------------------------------------------------
 * Host-to-plug-in opcodes (AEffect.dispatcher). Deprecated opcodes keep their numbers: old
 * plug-ins still answer them and the numbering of the later ones depends on them.
 */
enum AEffectOpcodes
{
    effOpen = 0,
    effClose = 1,      /* the plug-in frees itself; the AEffect is invalid afterwards */
    effSetProgram = 2, /* value: program */
    effGetProgram = 3,
    effSetProgramName = 4,  /* ptr: text, kVstMaxProgNameLen */
    effGetProgramName = 5,  /* ptr: buffer, kVstMaxProgNameLen */
    effGetParamLabel = 6,   /* index, ptr: buffer, kVstMaxParamStrLen */
    effGetParamDisplay = 7, /* index, ptr: buffer, kVstMaxParamStrLen */
    effGetParamName = 8,    /* index, ptr: buffer, kVstMaxParamStrLen */
    effGetVu = 9,           /* deprecated */
    effSetSampleRate = 10,  /* opt: rate */
    effSetBlockSize = 11,   /* value: frames */
    effMainsChanged = 12,   /* value: 0 off, 1 on */
    effEditGetRect = 13,    /* ptr: ERect** */
    effEditOpen = 14,       /* ptr: native parent window */
    effEditClose = 15,
    effEditDraw = 16,  /* deprecated */
    effEditMouse = 17, /* deprecated */
    effEditKey = 18,   /* deprecated */
    effEditIdle = 19,
    effEditTop = 20,   /* deprecated */
    effEditSleep = 21, /* deprecated */
    effIdentify = 22,  /* deprecated */
    effGetChunk = 23,  /* index: 0 bank, 1 program; ptr: void** out; answers the size */
    effSetChunk = 24,  /* index: 0 bank, 1 program; value: size; ptr: data */

    effProcessEvents = 25,           /* ptr: VstEvents* */
    effCanBeAutomated = 26,          /* index */
    effString2Parameter = 27,        /* index, ptr: text */
    effGetNumProgramCategories = 28, /* deprecated */
    effGetProgramNameIndexed = 29,   /* index, ptr: buffer, kVstMaxProgNameLen */
    effCopyProgram = 30,             /* deprecated */
    effConnectInput = 31,            /* deprecated */
    effConnectOutput = 32,           /* deprecated */
    effGetInputProperties = 33,      /* index, ptr: VstPinProperties* */
    effGetOutputProperties = 34,     /* index, ptr: VstPinProperties* */
    effGetPlugCategory = 35,         /* answers a VstPlugCategory */
    effGetCurrentPosition = 36,      /* deprecated */
    effGetDestinationBuffer = 37,    /* deprecated */
    effOfflineNotify = 38,
    effOfflinePrepare = 39,
    effOfflineRun = 40,
    effProcessVarIo = 41,
    effSetSpeakerArrangement = 42,     /* value: input VstSpeakerArrangement*, ptr: output one */
    effSetBlockSizeAndSampleRate = 43, /* deprecated */
    effSetBypass = 44,                 /* value: 1 bypass on; answers 1 when the plug-in bypasses itself */
    effGetEffectName = 45,             /* ptr: buffer, kVstMaxEffectNameLen */
    effGetErrorText = 46,              /* deprecated */
    effGetVendorString = 47,           /* ptr: buffer, kVstMaxVendorStrLen */
    effGetProductString = 48,          /* ptr: buffer, kVstMaxProductStrLen */
    effGetVendorVersion = 49,
    effVendorSpecific = 50,
    effCanDo = 51, /* ptr: text; answers 1 yes, -1 no, 0 don't know */
    effGetTailSize = 52,
    effIdle = 53,                   /* deprecated, still sent to plug-ins that asked for idle time */
    effGetIcon = 54,                /* deprecated */
    effSetViewPosition = 55,        /* deprecated */
    effGetParameterProperties = 56, /* index, ptr: VstParameterProperties* */
    effKeysRequired = 57,           /* deprecated */
    effGetVstVersion = 58,
    effEditKeyDown = 59,
    effEditKeyUp = 60,
    effSetEditKnobMode = 61, /* value: kCircularMode, kRelativCircularMode or kLinearMode */
    effGetMidiProgramName = 62,
    effGetCurrentMidiProgram = 63,
    effGetMidiProgramCategory = 64,
    effHasMidiProgramsChanged = 65,
    effGetMidiKeyName = 66,
    effBeginSetProgram = 67,
    effEndSetProgram = 68,
    effGetSpeakerArrangement = 69, /* value: VstSpeakerArrangement** in, ptr: ** out */
    effShellGetNextPlugin = 70,    /* ptr: name buffer, kVstMaxProductStrLen; answers the id, 0 at the end */
    effStartProcess = 71,
    effStopProcess = 72,
    effSetTotalSampleToProcess = 73, /* value: samples */
    effSetPanLaw = 74,               /* value: VstPanLawType, opt: gain */
    effBeginLoadBank = 75,           /* ptr: VstPatchChunkInfo* */
    effBeginLoadProgram = 76,        /* ptr: VstPatchChunkInfo* */
    effSetProcessPrecision = 77,     /* value: VstProcessPrecision */
    effGetNumMidiInputChannels = 78,
    effGetNumMidiOutputChannels = 79
};

/* ------------------------------------------------------------------------------------------------
 * Plug-in-to-host opcodes (the audioMaster callback).
 */
enum AudioMasterOpcodes
{
    audioMasterAutomate = 0, /* index: parameter, opt: value */
    audioMasterVersion = 1,
    audioMasterCurrentId = 2, /* the shell sub-plug-in being created */
    audioMasterIdle = 3,
    audioMasterPinConnected = 4, /* deprecated; index: pin, value: 0 input 1 output; 0 means connected */
    /* 5 was never assigned */
    audioMasterWantMidi = 6,      /* deprecated */
    audioMasterGetTime = 7,       /* value: the VstTimeInfoFlags wanted; answers VstTimeInfo* */
    audioMasterProcessEvents = 8, /* ptr: VstEvents* */
    audioMasterSetTime = 9,       /* deprecated */
    audioMasterTempoAt = 10,      /* deprecated */
    audioMasterGetNumAutomatableParameters = 11, /* deprecated */
    audioMasterGetParameterQuantization = 12,    /* deprecated */
    audioMasterIOChanged = 13,
    audioMasterNeedIdle = 14,   /* deprecated */
    audioMasterSizeWindow = 15, /* index: width, value: height */
    audioMasterGetSampleRate = 16,
    audioMasterGetBlockSize = 17,
    audioMasterGetInputLatency = 18,
    audioMasterGetOutputLatency = 19,
    audioMasterGetPreviousPlug = 20,         /* deprecated */
    audioMasterGetNextPlug = 21,             /* deprecated */
    audioMasterWillReplaceOrAccumulate = 22, /* deprecated */
    audioMasterGetCurrentProcessLevel = 23,  /* answers a VstProcessLevels value */
    audioMasterGetAutomationState = 24,
    audioMasterOfflineStart = 25,
    audioMasterOfflineRead = 26,
    audioMasterOfflineWrite = 27,
    audioMasterOfflineGetCurrentPass = 28,
    audioMasterOfflineGetCurrentMetaPass = 29,
    audioMasterSetOutputSampleRate = 30,         /* deprecated */
    audioMasterGetOutputSpeakerArrangement = 31, /* deprecated */
    audioMasterGetVendorString = 32,             /* ptr: buffer, kVstMaxVendorStrLen */
    audioMasterGetProductString = 33,            /* ptr: buffer, kVstMaxProductStrLen */
    audioMasterGetVendorVersion = 34,
    audioMasterVendorSpecific = 35,
    audioMasterSetIcon = 36,     /* deprecated */
    audioMasterCanDo = 37,       /* ptr: text */
    audioMasterGetLanguage = 38, /* answers a VstHostLanguage */
    audioMasterOpenWindow = 39,  /* deprecated */
    audioMasterCloseWindow = 40, /* deprecated */
    audioMasterGetDirectory = 41,
    audioMasterUpdateDisplay = 42,
    audioMasterBeginEdit = 43, /* index: parameter */
    audioMasterEndEdit = 44,   /* index: parameter */
    audioMasterOpenFileSelector = 45,
    audioMasterCloseFileSelector = 46,
    audioMasterEditFile = 47,                  /* deprecated */
    audioMasterGetChunkFile = 48,              /* deprecated */
    audioMasterGetInputSpeakerArrangement = 49 /* deprecated */
};

/* ------------------------------------------------------------------------------------------------
 * Text buffer sizes, terminator included. Plug-ins are known to overrun them, which is why our
 * host hands out larger buffers and terminates what comes back itself.
 */
enum VstStringConstants
{
    kVstMaxProgNameLen = 24,
    kVstMaxParamStrLen = 8,
    kVstMaxVendorStrLen = 64,
    kVstMaxProductStrLen = 64,
    kVstMaxEffectNameLen = 32,
    kVstMaxNameLen = 64,
    kVstMaxLabelLen = 64,
    kVstMaxShortLabelLen = 8,
    kVstMaxCategLabelLen = 24,
    kVstMaxFileNameLen = 100
};

/* effGetPlugCategory answers. The odd name kPlugSurroundFx (no "Categ") is the published one. */
typedef enum VstPlugCategory
{
    kPlugCategUnknown = 0,
    kPlugCategEffect = 1,
    kPlugCategSynth = 2,
    kPlugCategAnalysis = 3,
    kPlugCategMastering = 4,
    kPlugCategSpacializer = 5,
    kPlugCategRoomFx = 6,
    kPlugSurroundFx = 7,
    kPlugCategRestoration = 8,
    kPlugCategOfflineProcess = 9,
    kPlugCategShell = 10, /* one library offering several plug-ins, listed by effShellGetNextPlugin */
    kPlugCategGenerator = 11,
    kPlugCategMaxCount = 12
} VstPlugCategory;

enum VstProcessLevels
{
    kVstProcessLevelUnknown = 0,
    kVstProcessLevelUser = 1,
    kVstProcessLevelRealtime = 2,
    kVstProcessLevelPrefetch = 3,
    kVstProcessLevelOffline = 4
};

enum VstAutomationStates
{
    kVstAutomationUnsupported = 0,
    kVstAutomationOff = 1,
    kVstAutomationRead = 2,
    kVstAutomationWrite = 3,
    kVstAutomationReadWrite = 4
};

enum VstHostLanguage
{
    kVstLangEnglish = 1,
    kVstLangGerman = 2,
    kVstLangFrench = 3,
    kVstLangItalian = 4,
    kVstLangSpanish = 5,
    kVstLangJapanese = 6
};

/* effSetEditKnobMode values ("Relativ" is the published spelling). */
enum VstKnobMode
{
    kCircularMode = 0,
    kRelativCircularMode = 1,
    kLinearMode = 2
};

enum VstPanLawType
{
    kLinearPanLaw = 0,
    kEqualPowerPanLaw = 1
};

enum VstProcessPrecision
{
    kVstProcessPrecision32 = 0,
    kVstProcessPrecision64 = 1
};

/* Editor rectangle answered through effEditGetRect. */
typedef struct ERect
{
    VstInt16 top;
    VstInt16 left;
    VstInt16 bottom;
    VstInt16 right;
} ERect;

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

/* ------------------------------------------------------------------------------------------------
 * Parameters and pins.
 */
enum VstParameterFlags
{
    kVstParameterIsSwitch = 1 << 0,
    kVstParameterUsesIntegerMinMax = 1 << 1,
    kVstParameterUsesFloatStep = 1 << 2,
    kVstParameterUsesIntStep = 1 << 3,
    kVstParameterSupportsDisplayIndex = 1 << 4,
    kVstParameterSupportsDisplayCategory = 1 << 5,
    kVstParameterCanRamp = 1 << 6
};

typedef struct VstParameterProperties
{
    float stepFloat;
    float smallStepFloat;
    float largeStepFloat;
    char label[kVstMaxLabelLen];
    VstInt32 flags; /* VstParameterFlags */
    VstInt32 minInteger;
    VstInt32 maxInteger;
    VstInt32 stepInteger;
    VstInt32 largeStepInteger;
    char shortLabel[kVstMaxShortLabelLen];
    VstInt16 displayIndex;
    VstInt16 category; /* 0: none, else group index + 1 */
    VstInt16 numParametersInCategory;
    VstInt16 reserved;
    char categoryLabel[kVstMaxCategLabelLen];
    char future[16];
} VstParameterProperties;

enum VstPinPropertiesFlags
{
    kVstPinIsActive = 1 << 0,
    kVstPinIsStereo = 1 << 1,
    kVstPinUseSpeaker = 1 << 2
};

typedef struct VstPinProperties
{
    char label[kVstMaxLabelLen];
    VstInt32 flags;           /* VstPinPropertiesFlags */
    VstInt32 arrangementType; /* VstSpeakerArrangementType */
    char shortLabel[kVstMaxShortLabelLen];
    char future[48];
} VstPinProperties;

/* effBeginLoadBank / effBeginLoadProgram: lets a plug-in refuse a chunk before it arrives. */
typedef struct VstPatchChunkInfo
{
    VstInt32 version;
    VstInt32 pluginUniqueID;
    VstInt32 pluginVersion;
    VstInt32 numElements; /* programs in a bank, parameters in a program */
    char future[48];
} VstPatchChunkInfo;

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

/* ------------------------------------------------------------------------------------------------
 * Layout checks. A mismatch here means every plug-in would read garbage, so fail the build instead.
 */
#ifdef __cplusplus
#define VST_ABI_STATIC_ASSERT(condition, message) static_assert(condition, message)
#else
#define VST_ABI_STATIC_ASSERT(condition, message) _Static_assert(condition, message)
#endif

VST_ABI_STATIC_ASSERT(kEffectMagic == 0x56737450, "magic is 'VstP'");
VST_ABI_STATIC_ASSERT(sizeof(VstInt32) == 4 && sizeof(VstIntPtr) == sizeof(void*), "integer widths");
VST_ABI_STATIC_ASSERT(sizeof(ERect) == 8, "ERect");
VST_ABI_STATIC_ASSERT(sizeof(VstEvent) == 32, "VstEvent");
VST_ABI_STATIC_ASSERT(sizeof(VstMidiEvent) == 32, "VstMidiEvent");
VST_ABI_STATIC_ASSERT(offsetof(VstMidiEvent, midiData) == 24, "VstMidiEvent.midiData");
VST_ABI_STATIC_ASSERT(sizeof(VstTimeInfo) == 88, "VstTimeInfo");
VST_ABI_STATIC_ASSERT(offsetof(VstTimeInfo, timeSigNumerator) == 64, "VstTimeInfo.timeSigNumerator");
VST_ABI_STATIC_ASSERT(offsetof(VstTimeInfo, flags) == 84, "VstTimeInfo.flags");
VST_ABI_STATIC_ASSERT(sizeof(VstParameterProperties) == 152, "VstParameterProperties");
VST_ABI_STATIC_ASSERT(offsetof(VstParameterProperties, flags) == 76, "VstParameterProperties.flags");
VST_ABI_STATIC_ASSERT(offsetof(VstParameterProperties, shortLabel) == 96,
                      "VstParameterProperties.shortLabel");
VST_ABI_STATIC_ASSERT(offsetof(VstParameterProperties, categoryLabel) == 112,
                      "VstParameterProperties.categoryLabel");
VST_ABI_STATIC_ASSERT(sizeof(VstPinProperties) == 128, "VstPinProperties");
VST_ABI_STATIC_ASSERT(sizeof(VstPatchChunkInfo) == 64, "VstPatchChunkInfo");
VST_ABI_STATIC_ASSERT(sizeof(VstSpeakerProperties) == 112, "VstSpeakerProperties");
VST_ABI_STATIC_ASSERT(offsetof(VstSpeakerProperties, name) == 16, "VstSpeakerProperties.name");
VST_ABI_STATIC_ASSERT(offsetof(VstSpeakerProperties, type) == 80, "VstSpeakerProperties.type");
VST_ABI_STATIC_ASSERT(offsetof(VstSpeakerArrangement, speakers) == 8, "VstSpeakerArrangement.speakers");
VST_ABI_STATIC_ASSERT(sizeof(VstSpeakerArrangement) == 8 + 8 * 112, "VstSpeakerArrangement");

#if INTPTR_MAX == INT64_MAX
/* 64-bit layout: pointers and pointer-sized integers on 8-byte boundaries. */
VST_ABI_STATIC_ASSERT(offsetof(AEffect, dispatcher) == 8, "AEffect.dispatcher");
VST_ABI_STATIC_ASSERT(offsetof(AEffect, process) == 16, "AEffect.process");
VST_ABI_STATIC_ASSERT(offsetof(AEffect, setParameter) == 24, "AEffect.setParameter");
VST_ABI_STATIC_ASSERT(offsetof(AEffect, getParameter) == 32, "AEffect.getParameter");
VST_ABI_STATIC_ASSERT(offsetof(AEffect, numPrograms) == 40, "AEffect.numPrograms");
VST_ABI_STATIC_ASSERT(offsetof(AEffect, numInputs) == 48, "AEffect.numInputs");
VST_ABI_STATIC_ASSERT(offsetof(AEffect, numOutputs) == 52, "AEffect.numOutputs");
VST_ABI_STATIC_ASSERT(offsetof(AEffect, flags) == 56, "AEffect.flags");
VST_ABI_STATIC_ASSERT(offsetof(AEffect, resvd1) == 64, "AEffect.resvd1");
VST_ABI_STATIC_ASSERT(offsetof(AEffect, resvd2) == 72, "AEffect.resvd2");
VST_ABI_STATIC_ASSERT(offsetof(AEffect, initialDelay) == 80, "AEffect.initialDelay");
VST_ABI_STATIC_ASSERT(offsetof(AEffect, ioRatio) == 92, "AEffect.ioRatio");
VST_ABI_STATIC_ASSERT(offsetof(AEffect, object) == 96, "AEffect.object");
VST_ABI_STATIC_ASSERT(offsetof(AEffect, user) == 104, "AEffect.user");
VST_ABI_STATIC_ASSERT(offsetof(AEffect, uniqueID) == 112, "AEffect.uniqueID");
VST_ABI_STATIC_ASSERT(offsetof(AEffect, version) == 116, "AEffect.version");
VST_ABI_STATIC_ASSERT(offsetof(AEffect, processReplacing) == 120, "AEffect.processReplacing");
VST_ABI_STATIC_ASSERT(offsetof(AEffect, processDoubleReplacing) == 128, "AEffect.processDoubleReplacing");
VST_ABI_STATIC_ASSERT(offsetof(AEffect, future) == 136, "AEffect.future");
VST_ABI_STATIC_ASSERT(sizeof(AEffect) == 192, "AEffect");
VST_ABI_STATIC_ASSERT(sizeof(VstEvents) == 32, "VstEvents");
VST_ABI_STATIC_ASSERT(offsetof(VstEvents, events) == 16, "VstEvents.events");
VST_ABI_STATIC_ASSERT(sizeof(VstMidiSysexEvent) == 48, "VstMidiSysexEvent");
VST_ABI_STATIC_ASSERT(offsetof(VstMidiSysexEvent, sysexDump) == 32, "VstMidiSysexEvent.sysexDump");
#endif

#undef VST_ABI_STATIC_ASSERT
#undef VST_C_LINKAGE

#endif /* PLUGSWEEP_VST_ABI_H */
