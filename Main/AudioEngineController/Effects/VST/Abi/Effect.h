/* VST 2.4 binary interface: the plug-in structure, its entry point and the opcodes the host sends it. */
#ifndef PLUGSWEEP_VST_ABI_EFFECT_H
#define PLUGSWEEP_VST_ABI_EFFECT_H

#include "Types.h"

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

/* Layout checks: a mismatch means every plug-in would read garbage, so the build fails. */
VST_ABI_STATIC_ASSERT(sizeof(ERect) == 8, "ERect");

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
#endif

#endif /* PLUGSWEEP_VST_ABI_EFFECT_H */
