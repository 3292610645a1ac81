#pragma once

#include "Main/AudioEngineController/Effects/VST3/Abi/Message.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Object.h"

#include <map>
#include <memory>
#include <string>

// The attribute list the host hands to a plug-in: named integers, floats,
// strings and byte blocks that a component and its controller exchange.
class VST3HostAttributeList : public VST3Object<vst3::IAttributeList>
{
public:
    VST3HostAttributeList() = default;
    virtual ~VST3HostAttributeList() = default;
    VST3HostAttributeList(const VST3HostAttributeList&) = delete;
    VST3HostAttributeList& operator=(const VST3HostAttributeList&) = delete;

    vst3::tresult setInt(AttrID id, vst3::int64 value) override;
    vst3::tresult getInt(AttrID id, vst3::int64& value) override;
    vst3::tresult setFloat(AttrID id, double value) override;
    vst3::tresult getFloat(AttrID id, double& value) override;
    vst3::tresult setString(AttrID id, const vst3::TChar* string) override;
    vst3::tresult getString(AttrID id, vst3::TChar* string, vst3::uint32 sizeInBytes) override;
    vst3::tresult setBinary(AttrID id, const void* data, vst3::uint32 sizeInBytes) override;
    vst3::tresult getBinary(AttrID id, const void*& data, vst3::uint32& sizeInBytes) override;

private:
    // The payload is kept as raw bits (a number, or the buffer's address); the
    // number getters hand them out whatever kind of value was stored.
    struct Value
    {
        std::uint64_t payload = 0;
        // 16-bit units with the terminator for a string, bytes for binary data.
        std::uint32_t size = 0;
        std::unique_ptr<unsigned char[]> buffer;
        // What the buffer holds in bytes; bounds reads through the wrong getter.
        std::size_t capacity = 0;
    };

    vst3::tresult Store(AttrID id, Value value);
    const Value* Find(AttrID id) const;
    static Value WithBuffer(const void* data, std::uint32_t size, std::size_t bytes, std::size_t capacity);

    std::map<std::string, Value> m_values;
};
