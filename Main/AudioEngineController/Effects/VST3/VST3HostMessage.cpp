#include "Main/AudioEngineController/Effects/VST3/VST3HostMessage.h"

#include "Main/AudioEngineController/Effects/VST3/VST3HostAttributeList.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Limits.h"

#include <cstring>

VST3HostMessage::~VST3HostMessage() = default;

vst3::FIDString VST3HostMessage::getMessageID()
{
    return m_id.get();
}

// The copy is made before the old one is freed: a plug-in may pass back
// what getMessageID gave it. An id without a terminator is cut at our limit.
void VST3HostMessage::setMessageID(vst3::FIDString id)
{
    std::unique_ptr<char[]> copy;
    if (id)
    {
        const std::size_t length = strnlen(id, VST3Limits::kMaxTextUnits);
        copy.reset(new char[length + 1]());
        std::memcpy(copy.get(), id, length);
    }
    m_id = std::move(copy);
}

vst3::IAttributeList* VST3HostMessage::getAttributes()
{
    if (!m_attributes)
        m_attributes.Reset(new VST3HostAttributeList);
    return m_attributes.Get();
}
