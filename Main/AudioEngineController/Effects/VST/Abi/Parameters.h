/* VST 2.4 binary interface: parameter and pin properties, chunk information. */
#ifndef PLUGSWEEP_VST_ABI_PARAMETERS_H
#define PLUGSWEEP_VST_ABI_PARAMETERS_H

#include "Types.h"

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

/* Layout checks: a mismatch means every plug-in would read garbage, so the build fails. */
VST_ABI_STATIC_ASSERT(sizeof(VstParameterProperties) == 152, "VstParameterProperties");
VST_ABI_STATIC_ASSERT(offsetof(VstParameterProperties, flags) == 76, "VstParameterProperties.flags");
VST_ABI_STATIC_ASSERT(offsetof(VstParameterProperties, shortLabel) == 96,
                      "VstParameterProperties.shortLabel");
VST_ABI_STATIC_ASSERT(offsetof(VstParameterProperties, categoryLabel) == 112,
                      "VstParameterProperties.categoryLabel");
VST_ABI_STATIC_ASSERT(sizeof(VstPinProperties) == 128, "VstPinProperties");
VST_ABI_STATIC_ASSERT(sizeof(VstPatchChunkInfo) == 64, "VstPatchChunkInfo");

#endif /* PLUGSWEEP_VST_ABI_PARAMETERS_H */
