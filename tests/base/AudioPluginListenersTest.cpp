#include "Core/BaseLib/AudioPlugins/AudioPluginListeners.h"

#include <gtest/gtest.h>

namespace
{
// Counts what it is told; on its first notice it removes the listeners it was
// given, which may include itself.
struct Remover : AudioPluginListener
{
    AudioPluginListeners* listeners = nullptr;
    std::vector<AudioPluginListener*> toRemove;
    int told = 0;

    void OnLatencyChanged(AudioPlugin*) override
    {
        if (told++ == 0)
            for (AudioPluginListener* listener : toRemove)
                listeners->Remove(listener);
    }
};
} // namespace

// An editor that closes when told, and takes a second view with it, must
// neither break the notice under way nor be told after it left.
TEST(AudioPluginListenersTest, AListenerMayRemoveItselfAndOthersWhileBeingTold)
{
    AudioPluginListeners listeners;
    Remover listener[3];
    for (Remover& each : listener)
    {
        each.listeners = &listeners;
        listeners.Add(&each);
    }
    listeners.Add(nullptr);
    for (Remover& each : listener)
        each.toRemove = {&listener[0], &listener[1], &listener[2]};

    listeners.Tell([](AudioPluginListener& each) { each.OnLatencyChanged(nullptr); });
    EXPECT_EQ(listener[0].told + listener[1].told + listener[2].told, 1) << "the first told removes all";
    listeners.Tell([](AudioPluginListener& each) { each.OnLatencyChanged(nullptr); });
    EXPECT_EQ(listener[0].told + listener[1].told + listener[2].told, 1);
}
