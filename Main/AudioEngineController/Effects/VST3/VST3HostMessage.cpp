#include "Main/AudioEngineController/Effects/VST3/VST3HostMessage.h"

#include "Main/AudioEngineController/Effects/VST3/VST3HostAttributeList.h"

#include <cstring>

VST3HostMessage::~VST3HostMessage()
{
    if (m_attributes)
        m_attributes->release();
}

vst3::FIDString VST3HostMessage::getMessageID()
{
    return m_id.get();
}

// The copy is made before the old one is freed: a plug-in may pass back
// what getMessageID gave it.
void VST3HostMessage::setMessageID(vst3::FIDString id)
{
    std::unique_ptr<char[]> copy;
    if (id)
    {
        const std::size_t size = std::strlen(id) + 1;
        copy.reset(new char[size]);
        std::memcpy(copy.get(), id, size);
    }
    m_id = std::move(copy);
}

vst3::IAttributeList* VST3HostMessage::getAttributes()
{
    if (!m_attributes)
        m_attributes = new VST3HostAttributeList;
    return m_attributes;
}
