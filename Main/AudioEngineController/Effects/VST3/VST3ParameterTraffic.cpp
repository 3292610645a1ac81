#include "Main/AudioEngineController/Effects/VST3/VST3ParameterTraffic.h"

#include "Main/AudioEngineController/Effects/VST3/VST3Guard.h"

namespace
{
// Sized so that the processing path allocates nothing in the common case.
constexpr vst3::int32 kMaxParameterChanges = 1000;
} // namespace

VST3ParameterTraffic::VST3ParameterTraffic()
    : m_inputChanges(new VST3ParameterChanges(kMaxParameterChanges)),
      m_outputChanges(new VST3ParameterChanges(kMaxParameterChanges)), m_inputTransfer(kMaxParameterChanges),
      m_outputTransfer(kMaxParameterChanges)
{
    m_delivery.reserve(std::size_t(2 * kMaxParameterChanges));
}

void VST3ParameterTraffic::Add(vst3::ParamID id, float value, bool toProcessor, bool toController)
{
    TAutoLockCS lock(&m_producerLock);
    if (toProcessor)
        m_inputTransfer.AddChange(id, value, 0);
    if (toController)
        m_outputTransfer.AddChange(id, value, 0);
}

// What the controller is told is remembered, so that the plug-in's echo of
// it is not taken for a new edit.
void VST3ParameterTraffic::Deliver(VST3Guard& guard, vst3::IEditController* controller,
                                   KriticalSection* processingLock)
{
    {
        TAutoLockCS lock(processingLock);
        TAutoLockCS producer(&m_producerLock);
        m_outputTransfer.TransferFrom(*m_outputChanges.Get());
        m_outputChanges->Clear();
    }
    // Taken out first: a plug-in that answers setParamNormalized with an
    // edit fills the ring again, and those wait for the next step.
    m_delivery.clear();
    vst3::ParamID id = 0;
    vst3::ParamValue value = 0.0;
    vst3::int32 sampleOffset = 0;
    while (m_delivery.size() < m_delivery.capacity() &&
           m_outputTransfer.GetNextChange(id, value, sampleOffset))
        m_delivery.emplace_back(id, value);
    for (const auto& [changed, normalised] : m_delivery)
    {
        m_echoes[changed] = float(normalised);
        if (controller)
            guard.Call("setParamNormalized", vst3::kResultFalse,
                       [&] { return controller->setParamNormalized(changed, normalised); });
    }
}

bool VST3ParameterTraffic::IsEcho(vst3::ParamID id, float value) const
{
    const auto echo = m_echoes.find(id);
    return echo != m_echoes.end() && echo->second == value;
}
