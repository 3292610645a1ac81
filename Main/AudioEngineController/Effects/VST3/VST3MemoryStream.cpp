#include "Main/AudioEngineController/Effects/VST3/VST3MemoryStream.h"

#include <algorithm>
#include <cstring>
#include <limits>

vst3::tresult VST3MemoryStream::queryInterface(const vst3::TUID interfaceId, void** obj)
{
    if (vst3::uidEqual(interfaceId, vst3::FUnknown::iid) || vst3::uidEqual(interfaceId, vst3::IBStream::iid))
    {
        addRef();
        *obj = static_cast<vst3::IBStream*>(this);
        return vst3::kResultOk;
    }
    *obj = nullptr;
    return vst3::kNoInterface;
}

vst3::uint32 VST3MemoryStream::addRef()
{
    return ++m_refCount;
}

vst3::uint32 VST3MemoryStream::release()
{
    const vst3::uint32 left = --m_refCount;
    if (left == 0)
        delete this;
    return left;
}

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
    if (numBytes < 0 || (numBytes > 0 && !buffer))
        return vst3::kInvalidArgument;
    const vst3::int64 end = m_position + numBytes;
    if (end > std::numeric_limits<int>::max())
        return vst3::kOutOfMemory;
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
    vst3::int64 target = pos;
    if (mode == kIBSeekCur)
        target += m_position;
    else if (mode == kIBSeekEnd)
        target += m_bytes.size();
    else if (mode != kIBSeekSet)
        return vst3::kInvalidArgument;
    if (target < 0)
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
