/* VST 2.4 binary interface: what a plug-in asks the host through the audioMaster callback. */
#ifndef PLUGSWEEP_VST_ABI_AUDIO_MASTER_H
#define PLUGSWEEP_VST_ABI_AUDIO_MASTER_H

#include "Types.h"

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

#endif /* PLUGSWEEP_VST_ABI_AUDIO_MASTER_H */
