#include "Main/AudioEngineController/Effects/VST/HostCallback.h"

#include "Core/BaseLib/Debug.h"
#include "Core/BaseLib/SDebug.h"
#include "Main/AudioEngineController/Effects/VST/Abi/AudioMaster.h"
#include "Main/AudioEngineController/Effects/VST/VSTHostContext.h"
#include "Main/AudioEngineController/Effects/VST/VSTLoadingSlot.h"
#include "Main/AudioEngineController/Effects/VST/VSTPlugin.h"
#include "Platform/FaultGuard.h"

#include <cstring>

namespace
{
// Plug-ins that call back from inside a callback can recurse without end;
// deeper calls than this on one thread are refused.
constexpr std::int32_t kMaxNesting = 10;
// A fault inside a callback unwinds past its guard and leaves the count too
// high; a count this far out can only be such debris and starts over.
constexpr std::int32_t kNestingReset = 4096;

thread_local std::int32_t t_nesting = 0;

struct NestingGuard
{
    ~NestingGuard() { --t_nesting; }
};

const char* const kCapabilities[] = {
    "sendVstEvents",   "sendVstMidiEvent", "shellCategory",    "sendVstMidiEventFlagIsRealtime",
    "sendVstTimeInfo", "startStopProcess", "openFileSelector", "closeFileSelector",
    "supplyIdle",      "sizeWindow",
};

struct Call
{
    AEffect* effect;
    VstInt32 index;
    VstIntPtr value;
    void* ptr;
    float opt;
    VSTHostContext* host;
    VSTPlugin* wrapper;

    // A plug-in being released may still call back; its wrapper is half gone.
    bool WrapperListens() const { return wrapper && (!host || wrapper != host->ReleasingPlugin()); }
};

VstIntPtr CurrentId(const Call& call)
{
    if (VSTPlugin* loading = VSTLoadingSlot::Current())
        return loading->ShellId();
    return call.wrapper ? call.wrapper->ShellId() : 0;
}

// 0 means connected.
VstIntPtr PinConnected(const Call& call)
{
    if (!call.effect)
        return 1;
    switch (VstInt32(call.value))
    {
    case 0:
        return call.index < call.effect->numInputs ? 0 : 1;
    case 1:
        return call.index < call.effect->numOutputs ? 0 : 1;
    default:
        return 1;
    }
}

VstIntPtr Idle(const Call& call)
{
    if (!call.effect)
        return 0;
    try
    {
        AEffect* effect = call.effect;
        Platform::GuardedCall([effect]
                              { return effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0.0f); });
    }
    catch (...)
    {
    }
    return 0;
}

VstIntPtr CopyText(void* ptr, const char* text)
{
    if (ptr)
        std::strcpy(static_cast<char*>(ptr), text);
    return 1;
}

VstIntPtr CanDo(const void* ptr)
{
    if (!ptr)
        return 0;
    for (const char* capability : kCapabilities)
        if (std::strcmp(static_cast<const char*>(ptr), capability) == 0)
            return 1;
    return 0;
}

VstIntPtr Automate(const Call& call)
{
    if (call.WrapperListens())
        call.wrapper->OnAutomate(call.index, call.opt);
    return 0;
}

VstIntPtr WantMidi(const Call& call)
{
    if (call.wrapper)
        call.wrapper->SetMidiActive(true);
    return 1;
}

VstIntPtr IOChanged(const Call& call)
{
    if (!call.effect)
        return 0;
    DebugOut("Host Callback - audioMasterIOChanged");
    if (call.wrapper)
        call.wrapper->OnIOChanged();
    return 0;
}

VstIntPtr NeedIdle(const Call& call)
{
    if (call.wrapper)
        call.wrapper->SetNeedsIdle();
    return 1;
}

VstIntPtr ProcessLevel(const Call& call)
{
    if (call.wrapper && call.wrapper->IsProcessing())
        return kVstProcessLevelRealtime;
    return call.host ? call.host->ProcessLevel() : kVstProcessLevelUser;
}

VstIntPtr UpdateDisplay(const Call& call)
{
    if (call.WrapperListens())
        call.wrapper->OnUpdateDisplay();
    return 1;
}

VstIntPtr Edit(const Call& call, bool begin)
{
    if (!call.WrapperListens())
        return 0;
    call.wrapper->ParameterGesture(call.index, begin);
    return 1;
}

VstIntPtr Answer(VstInt32 opcode, const Call& call)
{
    VSTHostContext* host = call.host;
    switch (opcode)
    {
    case audioMasterAutomate:
        return Automate(call);
    case audioMasterVersion:
        return kVstVersion;
    case audioMasterIdle:
        return Idle(call);
    case audioMasterWantMidi:
        return WantMidi(call);
    case audioMasterGetTime:
        return host ? reinterpret_cast<VstIntPtr>(host->GetTimeInfo()) : 0;
    case audioMasterGetNumAutomatableParameters:
        return 8192;
    case audioMasterIOChanged:
        return IOChanged(call);
    case audioMasterNeedIdle:
        return NeedIdle(call);
    case audioMasterSizeWindow:
        return call.wrapper ? call.wrapper->OnSizeWindow(call.index, std::int32_t(call.value)) : 0;
    case audioMasterGetSampleRate:
        return host ? host->SampleRate() : 0;
    case audioMasterGetBlockSize:
        return host ? host->BlockSize() : 0;
    case audioMasterGetCurrentProcessLevel:
        return ProcessLevel(call);
    case audioMasterGetVendorString:
        return CopyText(call.ptr, "Quillmore");
    case audioMasterGetProductString:
        return CopyText(call.ptr, "Ember II");
    case audioMasterGetVendorVersion:
        return 1;
    case audioMasterCanDo:
        return CanDo(call.ptr);
    case audioMasterGetLanguage:
        return kVstLangEnglish;
    case audioMasterUpdateDisplay:
        return UpdateDisplay(call);
    case audioMasterBeginEdit:
        return Edit(call, true);
    case audioMasterEndEdit:
        return Edit(call, false);
    default:
        return 0;
    }
}
} // namespace

// Every opcode's answer, the two early ones included.
VstIntPtr AnswerAny(VstInt32 opcode, const Call& call)
{
    if (opcode == audioMasterCurrentId)
        return CurrentId(call);
    if (opcode == audioMasterPinConnected)
        return PinConnected(call);
    return Answer(opcode, call);
}

VstIntPtr HostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                       float opt)
{
    if (++t_nesting > kMaxNesting)
    {
        if (t_nesting < kNestingReset)
        {
            DebugOut(L"VSTHost::HostCallback: Exceeded max Reentrancy: %d of %d", t_nesting, kMaxNesting);
            --t_nesting;
            return 0;
        }
        t_nesting = 0;
    }
    NestingGuard guard;
    const bool trace = g_vstDispatchDebug.Level & 1;
    if (trace)
        g_vstDispatchDebug.Debug("VST HostCallback(%d, %d, %d, %p, %f);", opcode, index, VstInt32(value), ptr,
                                 double(opt));
    const Call call{effect,
                    index,
                    value,
                    ptr,
                    opt,
                    VSTHostContext::Existing(),
                    effect ? reinterpret_cast<VSTPlugin*>(effect->resvd1) : nullptr};
    // A plug-in may hand the host a bad pointer; the fault that causes in the
    // answer must end here, where the nesting count is unwound, not in the
    // plug-in call further out.
    VstIntPtr answer = 0;
    try
    {
        answer = Platform::GuardedCall([&] { return AnswerAny(opcode, call); });
    }
    catch (...)
    {
        return 0;
    }
    if (opcode == audioMasterCurrentId || opcode == audioMasterPinConnected)
        return answer;
    if (trace)
        g_vstDispatchDebug.Debug("VST HostCallback returned %d", VstInt32(answer));
    return answer;
}
