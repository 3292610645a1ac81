#pragma once

#include "Main/AudioEngineController/Effects/VST3/Abi/Message.h"

#include <atomic>
#include <memory>

class VST3HostAttributeList;

// A message a plug-in asks the host to create, so that its component and its
// controller can talk through their connection points.
class VST3HostMessage : public vst3::IMessage
{
public:
    VST3HostMessage() = default;
    virtual ~VST3HostMessage();
    VST3HostMessage(const VST3HostMessage&) = delete;
    VST3HostMessage& operator=(const VST3HostMessage&) = delete;

    vst3::tresult queryInterface(const vst3::TUID interfaceId, void** obj) override;
    vst3::uint32 addRef() override;
    vst3::uint32 release() override;

    vst3::FIDString getMessageID() override;
    void setMessageID(vst3::FIDString id) override;
    // Created on first request and kept by the message: no reference is added.
    vst3::IAttributeList* getAttributes() override;

private:
    std::atomic<vst3::uint32> m_refCount{1};
    std::unique_ptr<char[]> m_id;
    VST3HostAttributeList* m_attributes = nullptr;
};
