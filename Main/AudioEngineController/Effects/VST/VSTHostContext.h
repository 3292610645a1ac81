#pragma once

#include "Main/AudioEngineController/Effects/VST/Abi/TimeInfo.h"

#include <atomic>
#include <cstdint>

class VSTPlugin;

// What HostCallback answers plug-ins from: the host's stream settings, time
// information and process level. The VST 2 host implements it; the callback
// sees only this, since the host's own scan hands the callback to plug-ins.
class VSTHostContext
{
public:
    // The host if there is one. Plug-in threads calling back must never create it.
    static VSTHostContext* Existing() { return s_existing; }

    // Read on any thread, without a lock.
    virtual VstTimeInfo* GetTimeInfo() const = 0;
    virtual std::int32_t SampleRate() const = 0;
    virtual std::uint32_t BlockSize() const = 0;
    virtual std::int32_t ProcessLevel() const = 0;
    // Only compared, never followed: it may already be destroyed.
    virtual const VSTPlugin* ReleasingPlugin() const = 0;

protected:
    ~VSTHostContext() = default;
    static void SetExisting(VSTHostContext* host) { s_existing = host; }

private:
    static inline std::atomic<VSTHostContext*> s_existing{nullptr};
};
