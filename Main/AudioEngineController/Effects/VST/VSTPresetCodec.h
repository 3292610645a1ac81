#pragma once

#include "Core/BaseLib/AudioPlugins/PluginState.h"
#include "Main/AudioEngineController/Effects/VST/Abi/Effect.h"

#include <QRect>
#include <cstdint>

class VSTDispatcher;
class VSTParameterTable;

// How a VST 2 plug-in's state is kept in a PluginState: the plug-in's own
// program chunk when it keeps one, else its parameters as a list of names and
// values, and in either case the wrapper's editor rectangle and flags. The
// wrapper decides when; this says how.
class VSTPresetCodec
{
public:
    // What the wrapper keeps of itself alongside the plug-in's state.
    struct WrapperState
    {
        QRect editorRect;
        bool bypassed = false;
        bool bypassLike = false;
        bool offset = false;
        std::int32_t offsetValue = 0;
    };

    VSTPresetCodec(AEffect* const& effect, VSTDispatcher& dispatcher, VSTParameterTable& parameters)
        : m_effect(effect), m_dispatcher(dispatcher), m_parameters(parameters)
    {
    }

    bool KeepsChunks() const;
    // Takes the plug-in's program chunk into the state. False for an empty
    // chunk or one that cannot be copied; an answer that is no chunk at all
    // leaves the state's data as it was.
    bool StoreChunk(PluginState& state);
    // Gives the plug-in its program chunk back; throws what the plug-in throws.
    void SendChunk(const PluginState& state);
    void StoreParameterList(PluginState& state);
    // False for data that is no parameter list of a version we read.
    bool LoadParameterList(const PluginState& state);

    static void StoreWrapperState(const WrapperState& wrapper, PluginState& state);
    static WrapperState ReadWrapperState(const PluginState& state);

private:
    AEffect* const& m_effect;
    VSTDispatcher& m_dispatcher;
    VSTParameterTable& m_parameters;
};
