#include "Main/AudioEngineController/Effects/VST3/VST3Instance.h"

#include "Main/AudioEngineController/Effects/VST3/Abi/Factory.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Guard.h"

bool VST3Instance::CreateComponent(VST3Guard& guard, vst3::IPluginFactory& factory, const vst3::TUID classId,
                                   vst3::FUnknown* context)
{
    void* obj = nullptr;
    vst3::tresult created = vst3::kResultFalse;
    if (auto factory3 = VST3Ptr<vst3::IPluginFactory3>::QueryFrom(guard, &factory))
    {
        guard.Call("setHostContext", vst3::kResultFalse, [&] { return factory3->setHostContext(context); });
        created = guard.Call("createInstance", vst3::kResultFalse,
                             [&] { return factory3->createInstance(classId, vst3::IComponent::iid, &obj); });
    }
    else
        created = guard.Call("createInstance", vst3::kResultFalse,
                             [&] { return factory.createInstance(classId, vst3::IComponent::iid, &obj); });
    if (created != vst3::kResultOk || !obj)
        return false;
    m_component.Reset(static_cast<vst3::IComponent*>(obj));
    guard.Call("setIoMode", vst3::kResultFalse, [this] { return m_component->setIoMode(vst3::kAdvanced); });
    return guard.Call("initialize", vst3::kResultFalse, [&] { return m_component->initialize(context); }) ==
           vst3::kResultOk;
}

bool VST3Instance::CreateController(VST3Guard& guard, vst3::IPluginFactory& factory, vst3::FUnknown* context,
                                    bool& singleComponent)
{
    if ((m_controller = m_component.Query<vst3::IEditController>(guard)))
    {
        singleComponent = true;
        return true;
    }
    vst3::TUID controllerId = {};
    if (guard.Call("getControllerClassId", vst3::kResultFalse,
                   [&] { return m_component->getControllerClassId(controllerId); }) != vst3::kResultOk)
        return false;
    void* obj = nullptr;
    if (guard.Call("createInstance", vst3::kResultFalse,
                   [&] { return factory.createInstance(controllerId, vst3::IEditController::iid, &obj); }) !=
            vst3::kResultOk ||
        !obj)
        return false;
    m_controller.Reset(static_cast<vst3::IEditController*>(obj));
    const bool initialised = guard.Call("initialize", vst3::kResultFalse,
                                        [&] { return m_controller->initialize(context); }) == vst3::kResultOk;
    if (!initialised)
        m_controller.Reset();
    return initialised;
}

template <class Interface> VST3Ptr<Interface> VST3Instance::Ask(VST3Guard& guard)
{
    VST3Ptr<Interface> answered = m_component.template Query<Interface>(guard);
    return answered ? std::move(answered) : m_controller.template Query<Interface>(guard);
}

void VST3Instance::AskInterfaces(VST3Guard& guard)
{
    m_componentHandler = Ask<vst3::IComponentHandler>(guard);
    m_componentHandler2 = Ask<vst3::IComponentHandler2>(guard);
    m_processor = Ask<vst3::IAudioProcessor>(guard);
    m_midiMapping = Ask<vst3::IMidiMapping>(guard);
    m_programListData = Ask<vst3::IProgramListData>(guard);
    m_controller2 = Ask<vst3::IEditController2>(guard);
    m_unitInfo = Ask<vst3::IUnitInfo>(guard);
    m_unitData = Ask<vst3::IUnitData>(guard);
    m_infoListener = Ask<vst3::IInfoListener>(guard);
}

bool VST3Instance::ConnectPoints(VST3Guard& guard)
{
    m_componentPoint = m_component.Query<vst3::IConnectionPoint>(guard);
    m_controllerPoint = m_controller.Query<vst3::IConnectionPoint>(guard);
    if (!m_componentPoint || !m_controllerPoint)
    {
        m_componentPoint.Reset();
        m_controllerPoint.Reset();
        return false;
    }
    guard.Call("connect", vst3::kResultFalse,
               [this] { return m_componentPoint->connect(m_controllerPoint.Get()); });
    guard.Call("connect", vst3::kResultFalse,
               [this] { return m_controllerPoint->connect(m_componentPoint.Get()); });
    return true;
}

void VST3Instance::ReleaseAsked(VST3Guard& guard)
{
    if (m_componentPoint && m_controllerPoint)
    {
        guard.Call("disconnect", vst3::kResultFalse,
                   [this] { return m_controllerPoint->disconnect(m_componentPoint.Get()); });
        guard.Call("disconnect", vst3::kResultFalse,
                   [this] { return m_componentPoint->disconnect(m_controllerPoint.Get()); });
    }
    m_componentPoint.Reset();
    m_controllerPoint.Reset();
    m_componentHandler.Reset();
    m_componentHandler2.Reset();
    m_processor.Reset();
    m_midiMapping.Reset();
    m_programListData.Reset();
    m_controller2.Reset();
    m_unitInfo.Reset();
    m_unitData.Reset();
    m_infoListener.Reset();
}
