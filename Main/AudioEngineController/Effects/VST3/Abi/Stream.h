// VST 3 binary interface: the byte stream through which component and controller state travel.
#pragma once

#include "Base.h"

namespace vst3
{

class IBStream : public FUnknown
{
public:
    enum IStreamSeekMode : int32
    {
        kIBSeekSet = 0,
        kIBSeekCur = 1,
        kIBSeekEnd = 2,
    };

    virtual tresult read(void* buffer, int32 numBytes, int32* numBytesRead) = 0;
    virtual tresult write(void* buffer, int32 numBytes, int32* numBytesWritten) = 0;
    virtual tresult seek(int64 pos, int32 mode, int64* result) = 0;
    virtual tresult tell(int64* pos) = 0;

    static constexpr Uid iid = makeUid(0xC3BF6EA2, 0x30994752, 0x9B6BF990, 0x1EE33E9B);
};

} // namespace vst3
