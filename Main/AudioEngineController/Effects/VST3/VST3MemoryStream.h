#pragma once

#include "Main/AudioEngineController/Effects/VST3/Abi/Stream.h"

#include <QByteArray>
#include <atomic>

// A growable byte stream in memory, through which a plug-in's component and
// controller state are read and written.
class VST3MemoryStream : public vst3::IBStream
{
public:
    VST3MemoryStream() = default;
    explicit VST3MemoryStream(QByteArray bytes) : m_bytes(std::move(bytes)) {}
    virtual ~VST3MemoryStream() = default;
    VST3MemoryStream(const VST3MemoryStream&) = delete;
    VST3MemoryStream& operator=(const VST3MemoryStream&) = delete;

    vst3::tresult queryInterface(const vst3::TUID interfaceId, void** obj) override;
    vst3::uint32 addRef() override;
    vst3::uint32 release() override;

    vst3::tresult read(void* buffer, vst3::int32 numBytes, vst3::int32* numBytesRead) override;
    vst3::tresult write(void* buffer, vst3::int32 numBytes, vst3::int32* numBytesWritten) override;
    vst3::tresult seek(vst3::int64 pos, vst3::int32 mode, vst3::int64* result) override;
    vst3::tresult tell(vst3::int64* pos) override;

    const QByteArray& Bytes() const { return m_bytes; }

private:
    std::atomic<vst3::uint32> m_refCount{1};
    QByteArray m_bytes;
    vst3::int64 m_position = 0;
};
