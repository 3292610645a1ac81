#include "Main/AudioEngineController/Effects/VST3/VST3MemoryStream.h"

#include <algorithm>
#include <cstring>

vst3::tresult VST3MemoryStream::read(void* buffer, vst3::int32 numBytes, vst3::int32* numBytesRead)
{
    if (numBytes < 0 || (numBytes > 0 && !buffer))
        return vst3::kInvalidArgument;
    const vst3::int64 available = std::max<vst3::int64>(0, m_bytes.size() - m_position);
    const vst3::int32 count = vst3::int32(std::min<vst3::int64>(numBytes, available));
    if (count > 0)
        std::memcpy(buffer, m_bytes.constData() + m_position, std::size_t(count));
    m_position += count;
    if (numBytesRead)
        *numBytesRead = count;
    return vst3::kResultOk;
}

// Writing past the end fills the gap with zeros.
vst3::tresult VST3MemoryStream::write(void* buffer, vst3::int32 numBytes, vst3::int32* numBytesWritten)
{
    if (numBytesWritten)
        *numBytesWritten = 0;
    if (numBytes < 0 || (numBytes > 0 && !buffer))
        return vst3::kInvalidArgument;
    // The position never passes kMaxBytes, so the sum cannot overflow.
    const vst3::int64 end = m_position + numBytes;
    if (end > kMaxBytes)
    {
        m_overflowed = true;
        return vst3::kOutOfMemory;
    }
    if (end > m_bytes.size())
        m_bytes.append(QByteArray(int(end - m_bytes.size()), '\0'));
    if (numBytes > 0)
        std::memcpy(m_bytes.data() + m_position, buffer, std::size_t(numBytes));
    m_position = end;
    if (numBytesWritten)
        *numBytesWritten = numBytes;
    return vst3::kResultOk;
}

vst3::tresult VST3MemoryStream::seek(vst3::int64 pos, vst3::int32 mode, vst3::int64* result)
{
    vst3::int64 base = 0;
    if (mode == kIBSeekCur)
        base = m_position;
    else if (mode == kIBSeekEnd)
        base = m_bytes.size();
    else if (mode != kIBSeekSet)
        return vst3::kInvalidArgument;
    vst3::int64 target = 0;
    if (__builtin_add_overflow(base, pos, &target) || target < 0 || target > kMaxBytes)
        return vst3::kResultFalse;
    m_position = target;
    if (result)
        *result = m_position;
    return vst3::kResultOk;
}

vst3::tresult VST3MemoryStream::tell(vst3::int64* pos)
{
    if (!pos)
        return vst3::kInvalidArgument;
    *pos = m_position;
    return vst3::kResultOk;
}
