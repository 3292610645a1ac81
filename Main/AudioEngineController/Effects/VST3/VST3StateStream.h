#pragma once

#include "Main/AudioEngineController/Effects/VST3/Abi/Stream.h"

#include <QByteArray>
#include <functional>

class VST3Guard;

// A plug-in's state through a memory stream, under the fault guard.
class VST3StateStream
{
public:
    using Call = std::function<vst3::tresult(vst3::IBStream*)>;

    // What the call wrote, and its answer: kResultFalse when it faulted, and
    // kOutOfMemory, with nothing written, for a state larger than a stream
    // may hold, whatever the plug-in answered.
    static vst3::tresult Read(VST3Guard& guard, const char* what, const Call& call, QByteArray& bytes);
    // The call's answer for a stream holding bytes from its start.
    static vst3::tresult Write(VST3Guard& guard, const char* what, const QByteArray& bytes, const Call& call);
};
