#include "Main/AudioEngineController/Effects/VST3/VST3Plugin.h"

#include "Core/BaseLib/AudioPlugins/AudioPluginListener.h"
#include "Core/BaseLib/AudioPlugins/CategoryTable.h"
#include "Core/BaseLib/Debug.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Controller.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Factory.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Message.h"
#include "Main/AudioEngineController/Effects/VST3/VST3ClassId.h"
#include "Main/AudioEngineController/Effects/VST3/VST3HostAttributeList.h"
#include "Main/AudioEngineController/Effects/VST3/VST3HostContext.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Limits.h"
#include "Main/AudioEngineController/Effects/VST3/VST3ModuleProbe.h"
#include "Main/AudioEngineController/Effects/VST3/VST3PluginState.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Refusal.h"
#include "Main/StudioModel/StudioModel.h"

#include <QString>
#include <QWidget>
#include <algorithm>
#include <stdexcept>
#include <utility>

namespace
{
// NaN counts as 0.
double Normalised(double value)
{
    return value >= 0.0 ? std::min(value, 1.0) : 0.0;
}
} // namespace

VST3Plugin::VST3Plugin() : m_hostContext(new VST3HostContext(this)) {}

VST3Plugin::~VST3Plugin()
{
    Close();
}

std::vector<VST3EffectRecord> VST3Plugin::ProbeModule(const std::string& path, bool isNew, bool& hasFactory)
{
    return VST3ModuleProbe(m_guard, m_module, Context(), m_record).Probe(path, isNew, hasFactory);
}

vst3::FUnknown* VST3Plugin::Context() const
{
    return static_cast<vst3::IComponentHandler*>(m_hostContext.Get());
}

std::wstring VST3Plugin::GetVendor() const
{
    return QString::fromStdString(m_record.vendor).toStdWString();
}

std::int32_t VST3Plugin::GetNumInputs()
{
    return m_record.inputs != -1 ? m_record.inputs
                                 : VST3ProcessData::CountChannels(m_guard, m_component.Get(), vst3::kInput);
}

std::int32_t VST3Plugin::GetNumOutputs()
{
    return m_record.outputs != -1 ? m_record.outputs
                                  : VST3ProcessData::CountChannels(m_guard, m_component.Get(), vst3::kOutput);
}

KriticalSection* VST3Plugin::ProcessingLock()
{
    return m_processingLockEnabled ? &m_lock : nullptr;
}

bool VST3Plugin::Instantiate(const VST3EffectRecord& record)
{
    try
    {
        return InstantiateClass(record);
    }
    catch (const std::exception& e)
    {
        DebugOut("%s", e.what());
    }
    catch (...)
    {
        DebugOut("VST3Plugin::Instantiate - unknown exception");
    }
    return false;
}

bool VST3Plugin::InstantiateClass(const VST3EffectRecord& record)
{
    if (!m_module.Load(QString::fromStdString(record.path).toStdWString()))
        throw std::runtime_error("VST3 Exception: Failed to get load module:");
    VST3ClassId::FromText(record.id, m_classId);
    vst3::IPluginFactory* factory = VST3ModuleProbe::AnsweringFactory(m_guard, m_module);
    if (!factory)
        throw std::runtime_error("VST3 Exception: Failed to get factory function");
    if (!CreateComponent(m_guard, *factory, m_classId, Context()))
        return false;
    m_componentInitialised = true;
    m_controllerInitialised = CreateController(m_guard, *factory, Context(), m_singleComponent);
    m_record = record;
    m_instrument = CategoryTable::Instance().IsInstrumentMask(record.categoryMask);
    if (m_record.vendor.empty())
        m_record.vendor = VST3ModuleProbe::FactoryVendor(m_guard, factory);
    return true;
}

bool VST3Plugin::Initialise(float sampleRate, std::uint32_t blockSize, const PluginPlacement& placement)
{
    TAutoLockCS lock(ProcessingLock());
    m_placement = placement;
    m_blockSize = blockSize;
    m_sampleRate = std::uint32_t(sampleRate);
    m_record.latency = -1;
    try
    {
        BringUp();
    }
    catch (const VST3Refusal& e)
    {
        Refuse(e.what());
    }
    if (m_guard.Faulted())
        Refuse("it faulted in " + m_guard.FirstFault());
    return m_processing && Usable();
}

// The first reason stands; the plug-in is not run again.
void VST3Plugin::Refuse(const std::string& reason)
{
    DebugOut("VST3Plugin - %s", reason.c_str());
    if (!m_refused)
        SetFailure(QString::fromStdString(reason).toStdWString());
    m_refused = true;
}

void VST3Plugin::BringUp()
{
    if (m_controller)
        m_guard.Call("setComponentHandler", vst3::kResultFalse,
                     [this] {
                         return m_controller->setComponentHandler(
                             static_cast<vst3::IComponentHandler*>(m_hostContext.Get()));
                     });
    AcquireInterfaces();
    if (!m_processor || !Usable())
        return;
    UpdateSpeakerArrangement(m_placement.channelFormat, m_placement.channelFormat);
    RebuildParameterList();
    SendChannelContext();
    SetupProcessing();
    m_processData.Connect(&m_traffic.Input(), &m_traffic.Output(), m_midi.Current(), m_sampleRate);
    if (Usable())
        StartProcessing();
}

// A reload asks again, so what was acquired before is given back first.
void VST3Plugin::AcquireInterfaces()
{
    ReleaseInterfaces();
    AskInterfaces(m_guard);
    // The controller of a connected pair learns the component's state.
    if (ConnectPoints(m_guard))
        State().Synchronise();
    if (m_midiMapping && m_component)
        m_midi.ReadMapping(m_guard, *m_component.Get(), *m_midiMapping.Get(), m_activeBuses);
}

void VST3Plugin::ReleaseInterfaces()
{
    if (m_component)
        m_activeBuses.DeactivateAll(m_guard, *m_component.Get());
    m_midi.ClearMapping();
    ReleaseAsked(m_guard);
}

void VST3Plugin::Close()
{
    TAutoLockCS lock(ProcessingLock());
    StopProcessing();
    if (m_component)
        TearDown();
    m_hostContext.Reset();
}

// A single-component plug-in is terminated once, as the component.
void VST3Plugin::TearDown()
{
    CloseEditor();
    if (m_componentInitialised)
    {
        // Audio buses go while the component still knows them: it is
        // inactive by now, and forgets its buses when terminated.
        m_activeBuses.DeactivateAudio(m_guard, *m_component.Get());
        m_guard.Call("terminate", vst3::kResultFalse, [this] { return m_component->terminate(); });
        if (m_controllerInitialised)
        {
            m_guard.Call("setComponentHandler", vst3::kResultFalse,
                         [this] { return m_controller->setComponentHandler(nullptr); });
            if (!m_singleComponent)
                m_guard.Call("terminate", vst3::kResultFalse, [this] { return m_controller->terminate(); });
        }
        m_controllerInitialised = false;
        ReleaseInterfaces();
        m_controller.Reset();
    }
    m_component.Reset();
    m_componentInitialised = false;
    m_processor.Reset();
}

bool VST3Plugin::StopProcessing()
{
    TAutoLockCS lock(ProcessingLock());
    if (!m_processing)
        return true;
    m_processing = false;
    m_guard.Call("setProcessing", vst3::kResultFalse, [this] { return m_processor->setProcessing(false); });
    m_guard.Call("setActive", vst3::kResultFalse, [this] { return m_component->setActive(false); });
    return true;
}

bool VST3Plugin::StartProcessing()
{
    TAutoLockCS lock(ProcessingLock());
    if (!m_processor || !m_component || m_processing || !Usable())
        return m_processing;
    Activate();
    m_guard.Call("setProcessing", vst3::kResultFalse, [this] { return m_processor->setProcessing(true); });
    m_processing = Usable();
    return m_processing;
}

// A plug-in may answer a placeholder latency until it is active, so it is
// asked again after every activation.
void VST3Plugin::Activate()
{
    m_activeBuses.ActivateAudio(m_guard, *m_component.Get());
    m_guard.Call("setActive", vst3::kResultFalse, [this] { return m_component->setActive(true); });
    RereadLatency();
}

void VST3Plugin::Reload()
{
    StopProcessing();
    Initialise(float(m_sampleRate), m_blockSize, m_placement);
}

// The plug-in may be asked for more than one block's worth when the engine
// runs above the base rate.
vst3::int32 VST3Plugin::ComputeMaxSamples() const
{
    return vst3::int32(m_blockSize * std::max(1u, StudioModel::Instance().SampleRate() / 48000));
}

void VST3Plugin::SetupProcessing()
{
    m_processData.Setup(m_guard, *m_processor.Get(), m_sampleRate, ComputeMaxSamples(), GetNumInputs(),
                        GetNumOutputs());
}

void VST3Plugin::SetupBuffers()
{
    m_processData.SetupBuffers(GetNumInputs(), GetNumOutputs());
}

// Stops and starts a running plug-in around a change of its set-up.
void VST3Plugin::Reconfigure()
{
    TAutoLockCS lock(ProcessingLock());
    if (!m_processor)
        return;
    const bool wasProcessing = m_processing;
    StopProcessing();
    SetupProcessing();
    if (wasProcessing)
        StartProcessing();
}

bool VST3Plugin::SetBlockSize(std::uint32_t frames)
{
    m_blockSize = frames;
    Reconfigure();
    return true;
}

bool VST3Plugin::SetSampleRate(std::uint32_t rate)
{
    m_sampleRate = rate;
    m_processData.Context().sampleRate = rate;
    Reconfigure();
    return true;
}

bool VST3Plugin::UpdateSpeakerArrangement(std::uint32_t inputFormat, std::uint32_t outputFormat, bool)
{
    TAutoLockCS lock(ProcessingLock());
    if (!m_processor || !m_component)
        return false;
    try
    {
        const vst3::tresult result =
            m_processData.Arrange(m_guard, *m_processor.Get(), *m_component.Get(), inputFormat, outputFormat);
        SetupBuffers();
        return result == vst3::kResultOk;
    }
    catch (const VST3Refusal& e)
    {
        Refuse(e.what());
        return false;
    }
}

bool VST3Plugin::Process(const TransportRecord& transport, float** inputs, float** outputs,
                         std::uint32_t frames)
{
    TAutoLockCS lock(ProcessingLock());
    if (!m_processing || !Usable())
        return false;
    m_playing = transport.rolling;
    vst3::ProcessContext context = m_processData.Context();
    context.state =
        vst3::ProcessContext::kTempoValid | (transport.rolling ? vst3::ProcessContext::kPlaying : 0u);
    context.projectTimeSamples = transport.position / (StudioModel::kTimeBase / std::max(1u, m_sampleRate));
    context.frameRate = m_frameRate;
    PrepareBlock(context, false);
    m_processData.Data().numSamples = std::min(vst3::int32(frames), m_processData.MaxSamples());
    m_processData.Bind(inputs, outputs);
    const bool processed = RunProcessor();
    m_traffic.Input().Clear();
    return processed;
}

// A plug-in that faulted is not run again.
bool VST3Plugin::RunProcessor()
{
    return m_processData.Run(m_guard, *m_processor.Get());
}

void VST3Plugin::PrepareBlock(const vst3::ProcessContext& context, bool offline)
{
    TAutoLockCS lock(ProcessingLock());
    vst3::ProcessData& data = m_processData.Data();
    data.numSamples = vst3::int32(m_blockSize);
    data.processMode = offline ? vst3::kOffline : vst3::kRealtime;
    data.inputEvents = m_midi.NextBlock();
    m_processData.Context() = context;
    m_traffic.TakeInput();
}

void VST3Plugin::Idle()
{
    if (!m_processor || !Usable())
        return;
    m_traffic.Deliver(m_guard, m_controller.Get(), ProcessingLock());
    if (!m_playing)
        FlushInputChanges();
}

// Without blocks the processor would never see what changed; an empty block
// carries the changes to it.
void VST3Plugin::FlushInputChanges()
{
    TAutoLockCS lock(ProcessingLock());
    if (!m_processing || !Usable())
        return;
    m_traffic.TakeInput();
    if (m_traffic.Input().getParameterCount() > 0)
    {
        // The events of the last block were delivered with it.
        vst3::ProcessData& data = m_processData.Data();
        vst3::IEventList* const events = std::exchange(data.inputEvents, m_midi.None());
        data.numSamples = 0;
        m_processData.Bind(nullptr, nullptr);
        RunProcessor();
        data.inputEvents = events;
    }
    m_traffic.Input().Clear();
}

void VST3Plugin::AddChange(vst3::ParamID id, float value, bool toProcessor)
{
    m_traffic.Add(id, value, toProcessor, bool(m_controller));
}

void VST3Plugin::QueueMidi(const MidiMessage& message)
{
    if (const std::optional<VST3MidiInput::Change> change = m_midi.Queue(message))
        AddChange(change->id, change->value, true);
}

vst3::tresult VST3Plugin::ParameterChange(vst3::ParamID id, float value)
{
    value = float(Normalised(value));
    if (m_parameters.HasBypass() && id == m_parameters.BypassId())
    {
        m_bypassed = value == 1.0f;
        m_listeners.Tell([this](AudioPluginListener& listener)
                         { listener.OnBypassChanged(m_bypassed, this); });
        AddChange(id, value, false);
        return vst3::kResultOk;
    }
    if (m_traffic.IsEcho(id, value))
    {
        if (!RestartsOnPositionJump())
            AddChange(id, value, true);
        return vst3::kResultOk;
    }
    const std::int32_t index = m_parameters.IndexOf(id);
    if (index < 0)
        return vst3::kResultFalse;
    AddChange(id, value, true);
    m_listeners.Tell([&](AudioPluginListener& listener)
                     { listener.OnParameterAutomated(index, value, this); });
    return vst3::kResultOk;
}

vst3::tresult VST3Plugin::EditNotification(vst3::ParamID id, bool begin)
{
    const std::int32_t index = m_parameters.IndexOf(id);
    if (index >= 0)
        m_listeners.Tell([&](AudioPluginListener& listener)
                         { listener.OnParameterGesture(index, begin, this); });
    return vst3::kResultOk;
}

void VST3Plugin::RereadBuses()
{
    const bool wasProcessing = m_processing;
    StopProcessing();
    if (m_component)
        m_activeBuses.DeactivateAudio(m_guard, *m_component.Get());
    UpdateSpeakerArrangement(m_placement.channelFormat, m_placement.channelFormat);
    m_listeners.Tell([this](AudioPluginListener& listener) { listener.OnIOChanged(this); });
    if (wasProcessing)
        StartProcessing();
}

void VST3Plugin::RereadLatency()
{
    if (!m_processor)
        return;
    const vst3::uint32 latency =
        m_guard.Call("getLatencySamples", 0u, [this] { return m_processor->getLatencySamples(); });
    m_record.latency = VST3Guard::Capped("latency", latency, VST3Limits::kMaxLatency);
    m_listeners.Tell([this](AudioPluginListener& listener) { listener.OnLatencyChanged(this); });
}

// The values themselves are asked for when they are shown; only the bypass
// state is kept here.
void VST3Plugin::RereadParameterValues()
{
    if (!m_controller || !m_parameters.HasBypass())
        return;
    m_bypassed = BypassValue() == 1.0;
    m_listeners.Tell([this](AudioPluginListener& listener) { listener.OnDisplayChanged(this); });
}

double VST3Plugin::BypassValue()
{
    return Normalised(m_guard.Call("getParamNormalized", 0.0,
                                   [this]
                                   { return m_controller->getParamNormalized(m_parameters.BypassId()); }));
}

void VST3Plugin::RebuildParameterList()
{
    if (!m_controller)
        return;
    m_parameters.Build(m_guard, *m_controller.Get());
    m_bypassed = m_parameters.BypassWasOn();
}

// The track's name and colour, for plug-ins that show where they sit.
void VST3Plugin::SendChannelContext()
{
    if (!m_infoListener || !m_hostContext)
        return;
    vst3::IAttributeList* list = m_hostContext->AttributeList();
    const std::u16string name =
        QStringLiteral("Track %1").arg(m_placement.trackIndex + 1).left(127).toStdU16String();
    list->setString(vst3::ChannelContext::kChannelNameKey, name.c_str());
    list->setInt(vst3::ChannelContext::kChannelNameLengthKey, vst3::int64(name.size()));
    list->setInt(vst3::ChannelContext::kChannelColorKey, 0);
    m_guard.Call("setChannelContextInfos", vst3::kResultFalse,
                 [&] { return m_infoListener->setChannelContextInfos(list); });
}

bool VST3Plugin::HasEditor()
{
    return m_editor.Exists(m_guard, m_controller.Get());
}

bool VST3Plugin::IsEditorResizable()
{
    return m_record.name == L"Melodyne" && HasEditor() && m_editor.CanResize(m_guard);
}

std::intptr_t VST3Plugin::OpenEditor(QWidget* parent)
{
    if (!HasEditor())
        return 0;
    const bool attached = m_editor.Open(parent);
    if (parent && parent->metaObject()->indexOfSlot("UpdateWindow()") >= 0)
        connect(this, SIGNAL(UpdateEditorWindow()), parent, SLOT(UpdateWindow()), Qt::UniqueConnection);
    return attached ? 1 : 0;
}

QWidget* VST3Plugin::GetEditorWindow()
{
    return m_editor.Window();
}

void VST3Plugin::GetEditorSize(QSize& size)
{
    m_editor.GetSize(m_guard, size);
}

bool VST3Plugin::CloseEditor()
{
    m_editor.Close();
    return true;
}

void VST3Plugin::AddListener(AudioPluginListener* listener)
{
    m_listeners.Add(listener);
}

void VST3Plugin::RemoveListener(AudioPluginListener* listener)
{
    m_listeners.Remove(listener);
}

bool VST3Plugin::SetBypassed(bool on)
{
    if (!m_parameters.HasBypass())
        return false;
    m_bypassed = on;
    AddChange(m_parameters.BypassId(), on ? 1.0f : 0.0f, true);
    return true;
}

std::wstring VST3Plugin::GetParameterName(std::int32_t index)
{
    return m_parameters.Holds(index) ? VST3ParameterList::Title(m_parameters.Info(index)) : std::wstring();
}

std::uint32_t VST3Plugin::GetParameterFlags(std::int32_t index)
{
    return m_parameters.Flags(index);
}

// The processor takes the change with its next block; the controller learns
// of it on the next idle step.
bool VST3Plugin::SetParameter(std::int32_t index, float value)
{
    if (!m_parameters.Holds(index))
        return false;
    AddChange(m_parameters.Info(index).id, std::clamp(value, 0.0f, 1.0f), true);
    return true;
}

float VST3Plugin::GetParameter(std::int32_t index)
{
    if (!m_parameters.Holds(index) || !m_controller)
        return 0.0f;
    const vst3::ParamID id = m_parameters.Info(index).id;
    return float(Normalised(
        m_guard.Call("getParamNormalized", 0.0, [&] { return m_controller->getParamNormalized(id); })));
}

AudioPluginParameter VST3Plugin::GetParameterRecord(std::int32_t index)
{
    if (!m_parameters.Holds(index) || !m_controller)
        return {};
    return m_parameters.Describe(index, m_guard, *m_controller.Get());
}

std::wstring VST3Plugin::GetParameterDisplay(std::int32_t index, float value)
{
    if (!m_parameters.Holds(index) || !m_controller)
        return {};
    return VST3ParameterList::Display(m_guard, *m_controller.Get(), m_parameters.Info(index).id, value);
}

float VST3Plugin::StepsToValue(std::int32_t index, std::uint32_t steps)
{
    return m_parameters.StepsToValue(index, steps);
}

std::uint32_t VST3Plugin::ValueToSteps(std::int32_t index, float value)
{
    return m_parameters.ValueToSteps(index, value);
}

void VST3Plugin::GetParameterTable(std::vector<AudioPluginParameter>& table)
{
    table.clear();
    for (std::int32_t index = 0; index < m_parameters.Count(); ++index)
        table.push_back(GetParameterRecord(index));
}

VST3PluginState VST3Plugin::State()
{
    return VST3PluginState(m_guard, *m_component.Get(), m_controller.Get());
}

// A state is taken whole or not at all: one the plug-in refused, cut short
// or grown past what a preset may hold is no preset.
bool VST3Plugin::StorePreset(PluginState& state)
{
    if (!m_component || !Usable())
        return false;
    QByteArray component;
    QByteArray controller;
    {
        TAutoLockCS lock(ProcessingLock());
        if (!State().Read(component, controller))
            return false;
    }
    if (!Usable() || !VST3PluginState::Pack(component, controller, state.data))
        return false;
    state.isChunk = 1;
    state.identifier = GetIdentifierPrefix() + GetIdentifierKey();
    state.name = QString::fromStdWString(m_record.name).toStdString();
    return true;
}

bool VST3Plugin::LoadPreset(const PluginState& state)
{
    if (!m_component || !Usable() || state.isChunk != 1)
        return false;
    QByteArray component;
    QByteArray controller;
    if (!VST3PluginState::Unpack(state.data, component, controller))
        return false;
    SetLoadingPreset(true);
    try
    {
        SetState(component, controller);
    }
    catch (...)
    {
        DebugOut("VST3Plugin::LoadPreset - the state could not be handed over");
    }
    SetLoadingPreset(false);
    return Usable();
}

void VST3Plugin::SetState(const QByteArray& component, const QByteArray& controller)
{
    TAutoLockCS lock(ProcessingLock());
    State().Write(component, controller);
    if (m_parameters.HasBypass())
        m_bypassed = BypassValue() == 1.0;
}
