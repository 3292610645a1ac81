#pragma once

#include "Core/BaseLib/AudioPlugins/AudioPluginParameter.h"
#include "Core/BaseLib/AudioPlugins/Isolation/IsolationDescription.h"
#include "Core/BaseLib/AudioPlugins/Isolation/IsolationMessage.h"
#include "Core/BaseLib/AudioPlugins/PluginState.h"

// The records that cross between the host and an isolated plug-in, in the
// order both sides put and take their fields.
class IsolationCodec
{
public:
    static void Put(IsolationMessage& message, const PluginState& state);
    static void Take(IsolationMessage& message, PluginState& state);
    static void Put(IsolationMessage& message, const AudioPluginParameter& parameter);
    static void Take(IsolationMessage& message, AudioPluginParameter& parameter);
    static void Put(IsolationMessage& message, const IsolationDescription& description);
    static void Take(IsolationMessage& message, IsolationDescription& description);
};
