#pragma once

namespace vst3
{
class IConnectionPoint;
class IEditController;
class IEditController2;
class IInfoListener;
class IUnitData;
class IUnitInfo;
} // namespace vst3

// The editing side of a plug-in as the wrapper holds it: owned references,
// null when the plug-in does not offer the interface. A single-component
// plug-in is its own controller.
struct VST3EditController
{
    vst3::IEditController* m_controller = nullptr;
    vst3::IEditController2* m_controller2 = nullptr;
    vst3::IUnitInfo* m_unitInfo = nullptr;
    vst3::IUnitData* m_unitData = nullptr;
    vst3::IInfoListener* m_infoListener = nullptr;
    vst3::IConnectionPoint* m_controllerPoint = nullptr;
};
