#pragma once

#include "Main/AudioEngineController/Effects/VST3/Abi/Message.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Object.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Ptr.h"

#include <memory>

class VST3HostAttributeList;

// A message a plug-in asks the host to create, so that its component and its
// controller can talk through their connection points.
class VST3HostMessage : public VST3Object<vst3::IMessage>
{
public:
    VST3HostMessage() = default;
    virtual ~VST3HostMessage();
    VST3HostMessage(const VST3HostMessage&) = delete;
    VST3HostMessage& operator=(const VST3HostMessage&) = delete;

    vst3::FIDString getMessageID() override;
    void setMessageID(vst3::FIDString id) override;
    // Created on first request and kept by the message: no reference is added.
    vst3::IAttributeList* getAttributes() override;

private:
    std::unique_ptr<char[]> m_id;
    VST3Ptr<VST3HostAttributeList> m_attributes;
};
