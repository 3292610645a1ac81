// VST 3 binary interface: the module exports, the class factory and the class descriptions it hands out.
#pragma once

#include "Base.h"

#include <cstddef>

namespace vst3
{

// Class categories a factory reports in PClassInfo::category.
constexpr const char* kVstAudioEffectClass = "Audio Module Class";
constexpr const char* kVstComponentControllerClass = "Component Controller Class";

// Sub-category texts a class reports in PClassInfo2::subCategories, joined with '|'.
namespace PlugType
{
constexpr const char* kFx = "Fx";
constexpr const char* kFxAnalyzer = "Fx|Analyzer";
constexpr const char* kFxDelay = "Fx|Delay";
constexpr const char* kFxDistortion = "Fx|Distortion";
constexpr const char* kFxDynamics = "Fx|Dynamics";
constexpr const char* kFxEQ = "Fx|EQ";
constexpr const char* kFxFilter = "Fx|Filter";
constexpr const char* kFxInstrument = "Fx|Instrument";
constexpr const char* kFxInstrumentExternal = "Fx|Instrument|External";
constexpr const char* kFxSpatial = "Fx|Spatial";
constexpr const char* kFxGenerator = "Fx|Generator";
constexpr const char* kFxMastering = "Fx|Mastering";
constexpr const char* kFxModulation = "Fx|Modulation";
constexpr const char* kFxPitchShift = "Fx|Pitch Shift";
constexpr const char* kFxRestoration = "Fx|Restoration";
constexpr const char* kFxReverb = "Fx|Reverb";
constexpr const char* kFxSurround = "Fx|Surround";
constexpr const char* kFxTools = "Fx|Tools";
constexpr const char* kFxNetwork = "Fx|Network";
constexpr const char* kInstrument = "Instrument";
constexpr const char* kInstrumentDrum = "Instrument|Drum";
constexpr const char* kInstrumentExternal = "Instrument|External";
constexpr const char* kInstrumentPiano = "Instrument|Piano";
constexpr const char* kInstrumentSampler = "Instrument|Sampler";
constexpr const char* kInstrumentSynth = "Instrument|Synth";
constexpr const char* kInstrumentSynthSampler = "Instrument|Synth|Sampler";
constexpr const char* kSpatial = "Spatial";
constexpr const char* kSpatialFx = "Spatial|Fx";
constexpr const char* kOnlyRealTime = "OnlyRT";
constexpr const char* kOnlyOfflineProcess = "OnlyOfflineProcess";
constexpr const char* kNoOfflineProcess = "NoOfflineProcess";
constexpr const char* kUpDownMix = "Up-Downmix";
constexpr const char* kAnalyzer = "Analyzer";
constexpr const char* kAmbisonics = "Ambisonics";
constexpr const char* kMono = "Mono";
constexpr const char* kStereo = "Stereo";
constexpr const char* kSurround = "Surround";
} // namespace PlugType

struct PFactoryInfo
{
    enum FactoryFlags : int32
    {
        kNoFlags = 0,
        kClassesDiscardable = 1 << 0,
        kLicenseCheck = 1 << 1,
        kComponentNonDiscardable = 1 << 3,
        kUnicode = 1 << 4,
    };

    static constexpr int kURLSize = 256;
    static constexpr int kEmailSize = 128;
    static constexpr int kNameSize = 64;

    char8 vendor[kNameSize];
    char8 url[kURLSize];
    char8 email[kEmailSize];
    int32 flags;
};

struct PClassInfo
{
    static constexpr int32 kManyInstances = 0x7FFFFFFF;
    static constexpr int kCategorySize = 32;
    static constexpr int kNameSize = 64;

    TUID cid;
    int32 cardinality;
    char8 category[kCategorySize];
    char8 name[kNameSize];
};

// PClassInfo2::classFlags
enum ComponentFlags : uint32
{
    kDistributable = 1 << 0,
    kSimpleModeSupported = 1 << 1,
};

struct PClassInfo2
{
    static constexpr int kVendorSize = 64;
    static constexpr int kVersionSize = 64;
    static constexpr int kSubCategoriesSize = 128;

    TUID cid;
    int32 cardinality;
    char8 category[PClassInfo::kCategorySize];
    char8 name[PClassInfo::kNameSize];
    uint32 classFlags;
    char8 subCategories[kSubCategoriesSize];
    char8 vendor[kVendorSize];
    char8 version[kVersionSize];
    char8 sdkVersion[kVersionSize];
};

struct PClassInfoW
{
    TUID cid;
    int32 cardinality;
    char8 category[PClassInfo::kCategorySize];
    char16 name[PClassInfo::kNameSize];
    uint32 classFlags;
    char8 subCategories[PClassInfo2::kSubCategoriesSize];
    char16 vendor[PClassInfo2::kVendorSize];
    char16 version[PClassInfo2::kVersionSize];
    char16 sdkVersion[PClassInfo2::kVersionSize];
};

// No packing pragma: on Linux the records use natural alignment, which for these members leaves no
// padding anywhere, so a plug-in built with any compiler agrees with these sizes.
static_assert(sizeof(PFactoryInfo) == 452, "PFactoryInfo layout");
static_assert(sizeof(PClassInfo) == 116, "PClassInfo layout");
static_assert(sizeof(PClassInfo2) == 440, "PClassInfo2 layout");
static_assert(sizeof(PClassInfoW) == 696, "PClassInfoW layout");
static_assert(offsetof(PClassInfo2, subCategories) == 120 && offsetof(PClassInfo2, vendor) == 248,
              "PClassInfo2 field offsets");
static_assert(offsetof(PClassInfoW, name) == 52 && offsetof(PClassInfoW, classFlags) == 180 &&
                  offsetof(PClassInfoW, vendor) == 312,
              "PClassInfoW field offsets");

class IPluginFactory : public FUnknown
{
public:
    virtual tresult getFactoryInfo(PFactoryInfo* info) = 0;
    virtual int32 countClasses() = 0;
    virtual tresult getClassInfo(int32 index, PClassInfo* info) = 0;
    virtual tresult createInstance(FIDString cid, FIDString interfaceId, void** obj) = 0;

    static constexpr Uid iid = makeUid(0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F);
};

class IPluginFactory2 : public IPluginFactory
{
public:
    virtual tresult getClassInfo2(int32 index, PClassInfo2* info) = 0;

    static constexpr Uid iid = makeUid(0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB);
};

class IPluginFactory3 : public IPluginFactory2
{
public:
    virtual tresult getClassInfoUnicode(int32 index, PClassInfoW* info) = 0;
    virtual tresult setHostContext(FUnknown* context) = 0;

    static constexpr Uid iid = makeUid(0x4555A2AB, 0xC1234E57, 0x9B122910, 0x36878931);
};

// What a Linux module exports. ModuleEntry receives the handle the module was opened with and must
// run before anything else; ModuleExit runs last, after every object of the module was released.
constexpr const char* kModuleEntryName = "ModuleEntry";
constexpr const char* kModuleExitName = "ModuleExit";
constexpr const char* kGetPluginFactoryName = "GetPluginFactory";

using ModuleEntryFunc = bool (*)(void* sharedLibraryHandle);
using ModuleExitFunc = bool (*)();
using GetFactoryProc = IPluginFactory* (*)();

} // namespace vst3
