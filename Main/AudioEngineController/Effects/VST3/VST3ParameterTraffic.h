#pragma once

#include "Core/BaseLib/KriticalSection.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Controller.h"
#include "Main/AudioEngineController/Effects/VST3/VST3ParameterChangeTransfer.h"
#include "Main/AudioEngineController/Effects/VST3/VST3ParameterChanges.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Ptr.h"

#include <map>
#include <utility>
#include <vector>

class VST3Guard;

// Parameter changes cross threads through two rings: the engine's and the
// editor's edits go to the processor through the input ring, and what the
// processor and the edits report goes to the controller through the output
// ring on the idle step. Producers of a ring are serialised among
// themselves; its consumer never waits.
class VST3ParameterTraffic
{
public:
    VST3ParameterTraffic();

    // The controller hears of a change only when the plug-in has one.
    void Add(vst3::ParamID id, float value, bool toProcessor, bool toController);
    // Moves what waits for the processor into the block's input changes.
    void TakeInput() { m_inputTransfer.TransferTo(*m_inputChanges.Get()); }
    VST3ParameterChanges& Input() const { return *m_inputChanges.Get(); }
    VST3ParameterChanges& Output() const { return *m_outputChanges.Get(); }
    // The idle step: what the processor reported, taken under its lock, and
    // what the edits reported go to the controller, which may be null.
    void Deliver(VST3Guard& guard, vst3::IEditController* controller, KriticalSection* processingLock);
    // Whether value is what the controller was last told of the parameter.
    bool IsEcho(vst3::ParamID id, float value) const;

private:
    VST3Ptr<VST3ParameterChanges> m_inputChanges;
    VST3Ptr<VST3ParameterChanges> m_outputChanges;
    VST3ParameterChangeTransfer m_inputTransfer;
    VST3ParameterChangeTransfer m_outputTransfer;
    KriticalSection m_producerLock;
    // The idle step's share of the output ring: what arrives while it hands
    // changes to the controller waits for the next step.
    std::vector<std::pair<vst3::ParamID, vst3::ParamValue>> m_delivery;
    std::map<vst3::ParamID, float> m_echoes;
};
