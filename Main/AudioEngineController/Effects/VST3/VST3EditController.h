#pragma once

#include "Main/AudioEngineController/Effects/VST3/Abi/Controller.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Message.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Ptr.h"

// The editing side of a plug-in as the wrapper holds it: owned references,
// null when the plug-in does not offer the interface. A single-component
// plug-in is its own controller.
struct VST3EditController
{
    VST3Ptr<vst3::IEditController> m_controller;
    VST3Ptr<vst3::IEditController2> m_controller2;
    VST3Ptr<vst3::IUnitInfo> m_unitInfo;
    VST3Ptr<vst3::IUnitData> m_unitData;
    VST3Ptr<vst3::IInfoListener> m_infoListener;
    VST3Ptr<vst3::IConnectionPoint> m_controllerPoint;
};
