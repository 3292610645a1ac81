#include "Main/AudioEngineController/Effects/VST3/VST3HostAttributeList.h"

#include "Main/AudioEngineController/Effects/VST3/VST3Limits.h"

#include <algorithm>
#include <cstring>

namespace
{
// A plug-in's text ends at its terminator or at our limit, whichever comes first.
template <typename Unit> std::size_t BoundedLength(const Unit* text)
{
    std::size_t length = 0;
    while (length < VST3Limits::kMaxTextUnits && text[length] != Unit(0))
        ++length;
    return length;
}
} // namespace

vst3::tresult VST3HostAttributeList::Store(AttrID id, Value value)
{
    if (!id)
        return vst3::kInvalidArgument;
    const std::string key(id, BoundedLength(id));
    m_values.erase(key);
    m_values.emplace(key, std::move(value));
    return vst3::kResultOk;
}

const VST3HostAttributeList::Value* VST3HostAttributeList::Find(AttrID id) const
{
    if (!id)
        return nullptr;
    const auto found = m_values.find(std::string(id, BoundedLength(id)));
    return found == m_values.end() ? nullptr : &found->second;
}

// capacity may exceed bytes: the extra bytes stay zero.
VST3HostAttributeList::Value VST3HostAttributeList::WithBuffer(const void* data, std::uint32_t size,
                                                               std::size_t bytes, std::size_t capacity)
{
    Value value;
    value.size = size;
    value.capacity = capacity;
    if (capacity > 0)
    {
        value.buffer.reset(new unsigned char[capacity]());
        if (bytes > 0)
            std::memcpy(value.buffer.get(), data, bytes);
    }
    value.payload = reinterpret_cast<std::uintptr_t>(value.buffer.get());
    return value;
}

vst3::tresult VST3HostAttributeList::setInt(AttrID id, vst3::int64 value)
{
    Value stored;
    std::memcpy(&stored.payload, &value, sizeof value);
    return Store(id, std::move(stored));
}

vst3::tresult VST3HostAttributeList::getInt(AttrID id, vst3::int64& value)
{
    const Value* stored = Find(id);
    if (!stored)
        return vst3::kResultFalse;
    std::memcpy(&value, &stored->payload, sizeof value);
    return vst3::kResultOk;
}

vst3::tresult VST3HostAttributeList::setFloat(AttrID id, double value)
{
    Value stored;
    std::memcpy(&stored.payload, &value, sizeof value);
    return Store(id, std::move(stored));
}

vst3::tresult VST3HostAttributeList::getFloat(AttrID id, double& value)
{
    const Value* stored = Find(id);
    if (!stored)
        return vst3::kResultFalse;
    std::memcpy(&value, &stored->payload, sizeof value);
    return vst3::kResultOk;
}

// The buffer holds one 0 unit beyond the terminator, which a text cut at
// our limit gets too.
vst3::tresult VST3HostAttributeList::setString(AttrID id, const vst3::TChar* string)
{
    const std::size_t length = string ? BoundedLength(string) : 0;
    const vst3::TChar empty = 0;
    Value value = WithBuffer(string ? string : &empty, std::uint32_t(length + 1),
                             length * sizeof(vst3::TChar), (length + 2) * sizeof(vst3::TChar));
    return Store(id, std::move(value));
}

// A text cut by a small buffer is left without its terminator.
vst3::tresult VST3HostAttributeList::getString(AttrID id, vst3::TChar* string, vst3::uint32 sizeInBytes)
{
    const Value* stored = Find(id);
    if (!stored)
        return vst3::kResultFalse;
    const std::size_t bytes = std::min<std::size_t>(
        {std::size_t(stored->size) * sizeof(vst3::TChar), stored->capacity, std::size_t(sizeInBytes)});
    if (string && bytes > 0 && stored->buffer)
        std::memcpy(string, stored->buffer.get(), bytes);
    return vst3::kResultOk;
}

vst3::tresult VST3HostAttributeList::setBinary(AttrID id, const void* data, vst3::uint32 sizeInBytes)
{
    const std::size_t bytes = data ? sizeInBytes : 0;
    return Store(id, WithBuffer(data, std::uint32_t(bytes), bytes, bytes));
}

// The plug-in reads the list's own bytes, valid until the attribute changes.
vst3::tresult VST3HostAttributeList::getBinary(AttrID id, const void*& data, vst3::uint32& sizeInBytes)
{
    const Value* stored = Find(id);
    if (!stored)
        return vst3::kResultFalse;
    data = stored->buffer.get();
    sizeInBytes = stored->size;
    return vst3::kResultOk;
}
