#pragma once

namespace vst3
{
class IAudioProcessor;
class IComponent;
class IComponentHandler;
class IComponentHandler2;
class IConnectionPoint;
class IMidiMapping;
class IProgramListData;
} // namespace vst3

// The processing side of a plug-in as the wrapper holds it: owned
// references, null when the plug-in does not offer the interface.
struct VST3Component
{
    vst3::IComponent* m_component = nullptr;
    vst3::IComponentHandler* m_componentHandler = nullptr;
    vst3::IComponentHandler2* m_componentHandler2 = nullptr;
    vst3::IAudioProcessor* m_processor = nullptr;
    vst3::IMidiMapping* m_midiMapping = nullptr;
    vst3::IProgramListData* m_programListData = nullptr;
    vst3::IConnectionPoint* m_componentPoint = nullptr;
};
