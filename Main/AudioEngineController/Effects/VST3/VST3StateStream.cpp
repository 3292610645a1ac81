#include "Main/AudioEngineController/Effects/VST3/VST3StateStream.h"

#include "Core/BaseLib/Debug.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Guard.h"
#include "Main/AudioEngineController/Effects/VST3/VST3MemoryStream.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Ptr.h"

vst3::tresult VST3StateStream::Read(VST3Guard& guard, const char* what, const Call& call, QByteArray& bytes)
{
    VST3Ptr<VST3MemoryStream> stream(new VST3MemoryStream);
    const vst3::tresult result = guard.Call(what, vst3::kResultFalse, [&] { return call(stream.Get()); });
    if (stream->Overflowed())
    {
        DebugOut("VST3 - %s: the state passes %lld bytes", what,
                 static_cast<long long>(VST3MemoryStream::kMaxBytes));
        bytes.clear();
        return vst3::kOutOfMemory;
    }
    bytes = stream->Bytes();
    return result;
}

vst3::tresult VST3StateStream::Write(VST3Guard& guard, const char* what, const QByteArray& bytes,
                                     const Call& call)
{
    VST3Ptr<VST3MemoryStream> stream(new VST3MemoryStream(bytes));
    return guard.Call(what, vst3::kResultFalse, [&] { return call(stream.Get()); });
}
