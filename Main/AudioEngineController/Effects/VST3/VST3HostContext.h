#pragma once

#include "Main/AudioEngineController/Effects/VST3/Abi/Host.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Object.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Ptr.h"

#include <atomic>

class IVST3HostContextOwner;
class VST3HostAttributeList;

// What a VST 3 plug-in sees of its host: the context given to initialize. One
// object with one reference count answers for the host application and for
// every component handler interface, and passes the plug-in's edits and
// restart requests on to its owner, the wrapper that created it.
//
// Plug-ins may keep references to the context for as long as they like; the
// owner pointer is never cleared, so none may call a handler method after its
// wrapper is gone.
class VST3HostContext
    : public VST3Object<vst3::IComponentHandler, vst3::IComponentHandler2, vst3::IComponentHandler3,
                        vst3::IContextMenuTarget, vst3::IHostApplication, vst3::IUnitHandler,
                        vst3::IComponentHandlerBusActivation, vst3::IPlugInterfaceSupport>
{
public:
    // The name every plug-in is told it runs in.
    static constexpr const char16_t* kHostName = u"Orvella Corvane";

    // owner may be null; the handler methods then answer kResultFalse.
    explicit VST3HostContext(IVST3HostContextOwner* owner);
    virtual ~VST3HostContext();
    VST3HostContext(const VST3HostContext&) = delete;
    VST3HostContext& operator=(const VST3HostContext&) = delete;

    vst3::tresult queryInterface(const vst3::TUID interfaceId, void** obj) override;

    vst3::tresult beginEdit(vst3::ParamID id) override;
    vst3::tresult performEdit(vst3::ParamID id, vst3::ParamValue valueNormalized) override;
    vst3::tresult endEdit(vst3::ParamID id) override;
    vst3::tresult restartComponent(vst3::int32 flags) override;

    vst3::tresult setDirty(vst3::TBool state) override;
    vst3::tresult requestOpenEditor(vst3::FIDString name) override;
    vst3::tresult startGroupEdit() override;
    vst3::tresult finishGroupEdit() override;

    vst3::IContextMenu* createContextMenu(vst3::IPlugView* plugView, const vst3::ParamID* paramID) override;
    vst3::tresult executeMenuItem(vst3::int32 tag) override;

    vst3::tresult getName(vst3::String128 name) override;
    vst3::tresult createInstance(vst3::TUID cid, vst3::TUID interfaceId, void** obj) override;

    vst3::tresult notifyUnitSelection(vst3::UnitID unitId) override;
    vst3::tresult notifyProgramListChange(vst3::ProgramListID listId, vst3::int32 programIndex) override;

    vst3::tresult requestBusActivation(vst3::MediaType type, vst3::BusDirection dir, vst3::int32 index,
                                       vst3::TBool state) override;

    // Only the interfaces the wrapper asks for and calls.
    vst3::tresult isPlugInterfaceSupported(const vst3::TUID interfaceId) override;

    // The context's own list, which the wrapper fills with the channel context.
    VST3HostAttributeList* AttributeList() const { return m_attributes.Get(); }

private:
    void Restart(vst3::int32 flags);

    IVST3HostContextOwner* const m_owner;
    // Set while a restart runs, so that one the plug-in asks for meanwhile
    // (a reload from inside setActive, say) cannot recurse without end.
    std::atomic<bool> m_restarting{false};
    const VST3Ptr<VST3HostAttributeList> m_attributes;
};
