#pragma once

#include "Main/AudioEngineController/Effects/VST/Abi/Effect.h"

// The one way into a plug-in's dispatcher. Every call runs under the fault
// guard; Ask lets the caller tell a failure from an answer of 0, the others
// answer 0 for whatever the plug-in throws or faults on. Calling without a
// plug-in is the caller's error: the shapes without an index report it as
// the assertion their callers have always seen.
class VSTDispatcher
{
public:
    // Follows the wrapper's effect pointer, which it sets and clears.
    explicit VSTDispatcher(AEffect* const& effect) : m_effect(effect) {}

    VstIntPtr Dispatch(VstInt32 opcode) { return Send(Shape::Plain, opcode, 0, 0, nullptr, 0.0f); }
    VstIntPtr Dispatch(VstInt32 opcode, void* ptr) { return Send(Shape::Pointer, opcode, 0, 0, ptr, 0.0f); }
    VstIntPtr Dispatch(VstInt32 opcode, VstIntPtr value)
    {
        return Send(Shape::Value, opcode, 0, value, nullptr, 0.0f);
    }
    VstIntPtr Dispatch(VstInt32 opcode, float opt) { return Send(Shape::Float, opcode, 0, 0, nullptr, opt); }
    // With an index, for the parameter, chunk and arrangement opcodes.
    VstIntPtr At(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr)
    {
        return Send(Shape::Indexed, opcode, index, value, ptr, 0.0f);
    }
    // Throws what the plug-in throws, and its faults translated.
    VstIntPtr Ask(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr);

private:
    enum class Shape
    {
        Plain,
        Pointer,
        Value,
        Float,
        Indexed
    };

    VstIntPtr Send(Shape shape, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
    bool Present(Shape shape) const;
    static void Trace(Shape shape, VstInt32 opcode, VstIntPtr value, void* ptr, float opt);

    AEffect* const& m_effect;
};
