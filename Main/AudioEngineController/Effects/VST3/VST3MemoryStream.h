#pragma once

#include "Main/AudioEngineController/Effects/VST3/Abi/Stream.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Object.h"

#include <QByteArray>

// A growable byte stream in memory, through which a plug-in's component and
// controller state are read and written. Positions and sizes come from the
// plug-in: none may pass kMaxBytes, and a write that would is refused and
// remembered, so that a state cut short is never taken for a whole one.
class VST3MemoryStream : public VST3Object<vst3::IBStream>
{
public:
    VST3MemoryStream() = default;
    explicit VST3MemoryStream(QByteArray bytes) : m_bytes(std::move(bytes)) {}
    virtual ~VST3MemoryStream() = default;
    VST3MemoryStream(const VST3MemoryStream&) = delete;
    VST3MemoryStream& operator=(const VST3MemoryStream&) = delete;

    vst3::tresult read(void* buffer, vst3::int32 numBytes, vst3::int32* numBytesRead) override;
    vst3::tresult write(void* buffer, vst3::int32 numBytes, vst3::int32* numBytesWritten) override;
    vst3::tresult seek(vst3::int64 pos, vst3::int32 mode, vst3::int64* result) override;
    vst3::tresult tell(vst3::int64* pos) override;

    static constexpr vst3::int64 kMaxBytes = vst3::int64(1) << 30;

    const QByteArray& Bytes() const { return m_bytes; }
    // Whether a write was refused for the size it would have made.
    bool Overflowed() const { return m_overflowed; }

private:
    QByteArray m_bytes;
    vst3::int64 m_position = 0;
    bool m_overflowed = false;
};
