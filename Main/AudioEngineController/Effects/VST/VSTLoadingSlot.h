#pragma once

#include <atomic>

class VSTPlugin;

// The wrapper whose plug-in entry point runs right now. A shell asks from
// inside its entry point which sub-plug-in to create, before the wrapper is
// stored in the AEffect; HostCallback finds the wrapper here. Loads are
// serialised, so one slot serves the process.
class VSTLoadingSlot
{
public:
    // Reports the wrapper as loading for as long as the slot object lives.
    explicit VSTLoadingSlot(VSTPlugin* plugin) { s_loading = plugin; }
    ~VSTLoadingSlot() { s_loading = nullptr; }
    VSTLoadingSlot(const VSTLoadingSlot&) = delete;
    VSTLoadingSlot& operator=(const VSTLoadingSlot&) = delete;

    static VSTPlugin* Current() { return s_loading; }

private:
    static inline std::atomic<VSTPlugin*> s_loading{nullptr};
};
