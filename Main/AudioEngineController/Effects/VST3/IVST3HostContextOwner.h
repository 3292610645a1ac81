#pragma once

#include "Main/AudioEngineController/Effects/VST3/Abi/Base.h"

// What a host context passes on from its plug-in: edits and the reactions to
// a restart request. The wrapper that creates the context implements it.
class IVST3HostContextOwner
{
public:
    virtual vst3::tresult EditNotification(vst3::ParamID id, bool begin) = 0;
    // kResultFalse for a parameter that is not listed.
    virtual vst3::tresult ParameterChange(vst3::ParamID id, float value) = 0;
    virtual void Reload() = 0;
    virtual void RereadBuses() = 0;
    virtual void RereadLatency() = 0;
    virtual void RereadParameterValues() = 0;
    virtual void RebuildParameterList() = 0;
    virtual void SetModified(bool modified) = 0;

protected:
    ~IVST3HostContextOwner() = default;
};
