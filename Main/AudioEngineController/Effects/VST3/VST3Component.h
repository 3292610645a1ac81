#pragma once

#include "Main/AudioEngineController/Effects/VST3/Abi/Component.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Controller.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Host.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Message.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Processor.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Ptr.h"

// The processing side of a plug-in as the wrapper holds it: owned
// references, null when the plug-in does not offer the interface.
struct VST3Component
{
    VST3Ptr<vst3::IComponent> m_component;
    VST3Ptr<vst3::IComponentHandler> m_componentHandler;
    VST3Ptr<vst3::IComponentHandler2> m_componentHandler2;
    VST3Ptr<vst3::IAudioProcessor> m_processor;
    VST3Ptr<vst3::IMidiMapping> m_midiMapping;
    VST3Ptr<vst3::IProgramListData> m_programListData;
    VST3Ptr<vst3::IConnectionPoint> m_componentPoint;
};
