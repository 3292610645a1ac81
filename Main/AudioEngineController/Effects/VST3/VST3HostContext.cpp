#include "Main/AudioEngineController/Effects/VST3/VST3HostContext.h"

#include "Core/BaseLib/Debug.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Component.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Controller.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Message.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Processor.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/View.h"
#include "Main/AudioEngineController/Effects/VST3/IVST3HostContextOwner.h"
#include "Main/AudioEngineController/Effects/VST3/VST3HostAttributeList.h"
#include "Main/AudioEngineController/Effects/VST3/VST3HostMessage.h"

#include <algorithm>
#include <new>
#include <string>

VST3HostContext::VST3HostContext(IVST3HostContextOwner* owner)
    : m_owner(owner), m_attributes(new VST3HostAttributeList)
{
}

VST3HostContext::~VST3HostContext() = default;

vst3::tresult VST3HostContext::queryInterface(const vst3::TUID interfaceId, void** obj)
{
    if (!obj)
        return vst3::kInvalidArgument;
    // The context's own list is lent, not shared: no reference is added.
    if (vst3::uidEqual(interfaceId, vst3::IAttributeList::iid))
    {
        *obj = static_cast<vst3::IAttributeList*>(m_attributes.Get());
        return vst3::kResultOk;
    }
    if (Offer(interfaceId, obj))
        return vst3::kResultOk;
    *obj = nullptr;
    return vst3::kNotImplemented;
}

vst3::tresult VST3HostContext::beginEdit(vst3::ParamID id)
{
    return m_owner ? m_owner->EditNotification(id, true) : vst3::kResultFalse;
}

vst3::tresult VST3HostContext::performEdit(vst3::ParamID id, vst3::ParamValue valueNormalized)
{
    return m_owner ? m_owner->ParameterChange(id, float(valueNormalized)) : vst3::kResultFalse;
}

vst3::tresult VST3HostContext::endEdit(vst3::ParamID id)
{
    return m_owner ? m_owner->EditNotification(id, false) : vst3::kResultFalse;
}

// The reactions run in this order whatever the bits' values: a reload first,
// then the buses, whose arrangement the latency and the values may depend on.
// A fault in what the owner asks of the plug-in meanwhile never unwinds into
// the plug-in that called.
vst3::tresult VST3HostContext::restartComponent(vst3::int32 flags)
{
    if (!m_owner)
        return vst3::kResultFalse;
    if (m_restarting.exchange(true))
    {
        DebugOut("VST3HostContext::restartComponent - %d asked for during a restart; ignored", int(flags));
        return vst3::kResultFalse;
    }
    try
    {
        Restart(flags);
    }
    catch (const std::exception& e)
    {
        DebugOut("VST3HostContext::restartComponent - %s", e.what());
    }
    catch (...)
    {
        DebugOut("VST3HostContext::restartComponent - unknown exception");
    }
    m_restarting = false;
    return vst3::kResultOk;
}

void VST3HostContext::Restart(vst3::int32 flags)
{
    if (flags & vst3::kReloadComponent)
        m_owner->Reload();
    if (flags & vst3::kIoChanged)
        m_owner->RereadBuses();
    if (flags & vst3::kLatencyChanged)
        m_owner->RereadLatency();
    if (flags & vst3::kParamValuesChanged)
    {
        m_owner->RereadParameterValues();
        m_owner->SetModified(true);
    }
    if (flags & vst3::kParamTitlesChanged)
        m_owner->RebuildParameterList();
}

// The state is not trusted: any report means the plug-in's state moved away
// from what was saved.
vst3::tresult VST3HostContext::setDirty(vst3::TBool)
{
    if (m_owner)
        m_owner->SetModified(true);
    return vst3::kResultOk;
}

vst3::tresult VST3HostContext::requestOpenEditor(vst3::FIDString)
{
    return vst3::kResultFalse;
}

vst3::tresult VST3HostContext::startGroupEdit()
{
    return vst3::kResultFalse;
}

vst3::tresult VST3HostContext::finishGroupEdit()
{
    return vst3::kResultFalse;
}

// The host never supplies a menu; the parameter the menu was asked for is
// touched with an edit gesture instead, so that the engine selects it.
vst3::IContextMenu* VST3HostContext::createContextMenu(vst3::IPlugView*, const vst3::ParamID* paramID)
{
    if (paramID)
    {
        beginEdit(*paramID);
        endEdit(*paramID);
    }
    return nullptr;
}

vst3::tresult VST3HostContext::executeMenuItem(vst3::int32)
{
    return vst3::kResultFalse;
}

vst3::tresult VST3HostContext::getName(vst3::String128 name)
{
    const std::u16string text = kHostName;
    const std::size_t length = std::min<std::size_t>(text.size(), 127);
    std::copy_n(text.begin(), length, name);
    name[length] = 0;
    return vst3::kResultOk;
}

// Plug-ins pass the interface identifier as the class identifier too; two
// different ones mean the plug-in asked for something no host class offers.
vst3::tresult VST3HostContext::createInstance(vst3::TUID cid, vst3::TUID interfaceId, void** obj)
{
    if (!obj)
        return vst3::kInvalidArgument;
    *obj = nullptr;
    if (!vst3::uidEqual(cid, interfaceId))
        return vst3::kInvalidArgument;
    if (vst3::uidEqual(interfaceId, vst3::IMessage::iid))
    {
        *obj = static_cast<vst3::IMessage*>(new (std::nothrow) VST3HostMessage);
        return vst3::kResultOk;
    }
    if (vst3::uidEqual(interfaceId, vst3::IAttributeList::iid))
    {
        *obj = static_cast<vst3::IAttributeList*>(new (std::nothrow) VST3HostAttributeList);
        return vst3::kResultOk;
    }
    return vst3::kNotImplemented;
}

vst3::tresult VST3HostContext::notifyUnitSelection(vst3::UnitID)
{
    return vst3::kResultFalse;
}

vst3::tresult VST3HostContext::notifyProgramListChange(vst3::ProgramListID, vst3::int32)
{
    return vst3::kResultFalse;
}

vst3::tresult VST3HostContext::requestBusActivation(vst3::MediaType, vst3::BusDirection, vst3::int32,
                                                    vst3::TBool)
{
    return vst3::kResultFalse;
}

vst3::tresult VST3HostContext::isPlugInterfaceSupported(const vst3::TUID interfaceId)
{
    for (const vst3::Uid& used :
         {vst3::IComponent::iid, vst3::IAudioProcessor::iid, vst3::IEditController::iid,
          vst3::IConnectionPoint::iid, vst3::IMidiMapping::iid, vst3::IInfoListener::iid,
          vst3::IPlugViewContentScaleSupport::iid})
        if (vst3::uidEqual(interfaceId, used))
            return vst3::kResultTrue;
    return vst3::kResultFalse;
}
