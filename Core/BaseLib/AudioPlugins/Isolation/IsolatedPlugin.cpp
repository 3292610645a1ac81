#include "Core/BaseLib/AudioPlugins/Isolation/IsolatedPlugin.h"

#include "Core/BaseLib/AudioPlugins/AudioPluginListener.h"
#include "Core/BaseLib/AudioPlugins/Isolation/IsolationBlockExchange.h"
#include "Core/BaseLib/AudioPlugins/Isolation/IsolationCodec.h"
#include "Core/BaseLib/AudioPlugins/Isolation/IsolationProcess.h"
#include "Core/BaseLib/Debug.h"

#include <QWidget>
#include <algorithm>
#include <cstring>

namespace
{
// Loading a plug-in may take a while; answering a request may not.
constexpr int kCreateTimeoutMs = 60000;
constexpr int kRequestTimeoutMs = 10000;

std::int32_t Bounded(std::int32_t channels)
{
    return std::clamp<std::int32_t>(channels, 0, std::int32_t(IsolationBlock::kMaxChannels));
}
} // namespace

IsolatedPlugin::IsolatedPlugin(std::string hostProgram, std::wstring identifier, std::wstring effectsFolder)
    : m_hostProgram(std::move(hostProgram)), m_identifier(std::move(identifier)),
      m_effectsFolder(std::move(effectsFolder))
{
}

IsolatedPlugin::~IsolatedPlugin()
{
    Close();
}

void IsolatedPlugin::Close()
{
    m_exchange.reset();
    m_process.reset();
}

bool IsolatedPlugin::Initialise(float sampleRate, std::uint32_t blockSize, const PluginPlacement& placement)
{
    AudioPlugin::Initialise(sampleRate, blockSize, placement);
    m_sampleRate = sampleRate;
    m_blockSize = blockSize;
    m_placement = placement;
    return Launch();
}

bool IsolatedPlugin::Launch()
{
    SetFailure({});
    m_exchange.reset();
    m_process = std::make_unique<IsolationProcess>();
    m_exchange = std::make_unique<IsolationBlockExchange>(*m_process);
    m_exchange->SetSampleRate(m_sampleRate);
    m_exchange->SetMinimumDeadline(m_minimumDeadlineMicros);
    if (!m_process->Start(m_hostProgram))
    {
        SetFailure(L"the isolated host " + QString::fromStdString(m_hostProgram).toStdWString() +
                   L" could not be started");
        return false;
    }
    IsolationMessage arguments;
    arguments.PutText(m_identifier).PutText(m_effectsFolder).PutFloat(m_sampleRate).PutU32(m_blockSize);
    arguments.PutI32(m_placement.trackGroup).PutI32(m_placement.trackIndex).PutU32(m_placement.channelFormat);
    IsolationMessage reply;
    if (!m_process->Call(IsolationRequest::Create, arguments, reply, kCreateTimeoutMs))
        return false;
    const bool created = reply.TakeBool();
    const std::wstring failure = reply.TakeText();
    if (!created || reply.Failed())
    {
        SetFailure(failure.empty() ? L"the plug-in could not be created in its own process" : failure);
        m_process->Stop();
        return false;
    }
    return Describe();
}

bool IsolatedPlugin::Restart()
{
    if (!Launch())
        return false;
    if (m_hasPreset)
        LoadPreset(m_lastPreset);
    if (m_bypassed)
        SetBypassed(true);
    return !HasFailed();
}

bool IsolatedPlugin::HasFailed() const
{
    return !m_process || m_process->CurrentState() != IsolationProcess::State::Running ||
           !AudioPlugin::GetFailure().empty();
}

bool IsolatedPlugin::ProcessFailed() const
{
    const IsolationProcess::State state =
        m_process ? m_process->CurrentState() : IsolationProcess::State::Running;
    return state == IsolationProcess::State::Crashed || state == IsolationProcess::State::Hung;
}

std::wstring IsolatedPlugin::GetFailure() const
{
    const std::wstring opening = AudioPlugin::GetFailure();
    if (!opening.empty() || !m_process)
        return opening;
    return m_process->FailureText();
}

bool IsolatedPlugin::Call(IsolationRequest request, const IsolationMessage& arguments,
                          IsolationMessage& reply)
{
    return m_process && m_process->Call(request, arguments, reply, kRequestTimeoutMs) && !reply.Failed();
}

bool IsolatedPlugin::Call(IsolationRequest request, const IsolationMessage& arguments)
{
    IsolationMessage reply;
    return Call(request, arguments, reply) && reply.TakeBool() && !reply.Failed();
}

IsolationMessage IsolatedPlugin::Ask(IsolationRequest request, std::int32_t index, float value)
{
    IsolationMessage arguments;
    arguments.PutI32(index).PutFloat(value);
    IsolationMessage reply;
    // A failed call leaves an empty reply, whose values all read as empty.
    Call(request, arguments, reply);
    return reply;
}

bool IsolatedPlugin::Describe()
{
    IsolationMessage reply;
    if (!Call(IsolationRequest::Describe, IsolationMessage(), reply))
        return false;
    IsolationDescription description;
    IsolationCodec::Take(reply, description);
    if (reply.Failed())
        return false;
    m_description = std::move(description);
    m_description.parameters = std::max(0, m_description.parameters);
    m_inputs = Bounded(m_description.inputs);
    m_outputs = Bounded(m_description.outputs);
    m_bypassed = m_description.bypassed;
    return true;
}

bool IsolatedPlugin::Process(const TransportRecord& transport, float** inputs, float** outputs,
                             std::uint32_t frames)
{
    bool processed = true;
    for (std::uint32_t offset = 0; offset < frames; offset += IsolationBlock::kMaxFrames)
    {
        const std::uint32_t chunk = std::min(frames - offset, IsolationBlock::kMaxFrames);
        processed = ProcessChunk(transport, inputs, outputs, offset, chunk) && processed;
    }
    return processed;
}

bool IsolatedPlugin::ProcessChunk(const TransportRecord& transport, float** inputs, float** outputs,
                                  std::uint32_t offset, std::uint32_t frames)
{
    if (!HasFailed() && m_exchange->Exchange(transport, inputs, outputs, std::uint32_t(m_inputs),
                                             std::uint32_t(m_outputs), offset, frames))
        return true;
    FillFailed(inputs, outputs, offset, frames);
    return false;
}

void IsolatedPlugin::FillFailed(float** inputs, float** outputs, std::uint32_t offset,
                                std::uint32_t frames) const
{
    for (std::int32_t channel = 0; channel < m_outputs; ++channel)
    {
        float* out = outputs[channel] + offset;
        if (m_bypassed && channel < m_inputs)
            std::memmove(out, inputs[channel] + offset, frames * sizeof(float));
        else
            std::fill_n(out, frames, 0.0f);
    }
}

void IsolatedPlugin::QueueMidi(const MidiMessage& message)
{
    if (m_exchange)
        m_exchange->QueueMidi(message);
}

void IsolatedPlugin::Idle()
{
    if (!m_process)
        return;
    std::vector<IsolationMessage> notices;
    m_process->TakeNotices(notices);
    for (IsolationMessage& notice : notices)
        Deliver(notice);
}

void IsolatedPlugin::Deliver(IsolationMessage& notice)
{
    const auto what = IsolationNotice(notice.TakeU32());
    const std::int32_t index = notice.TakeI32();
    const float value = notice.TakeFloat();
    if (notice.Failed())
        return;
    if (what == IsolationNotice::BypassChanged || what == IsolationNotice::LatencyChanged ||
        what == IsolationNotice::IOChanged)
        Describe();
    m_listeners.Tell(
        [&](AudioPluginListener& listener)
        {
            switch (what)
            {
            case IsolationNotice::ParameterGesture:
                listener.OnParameterGesture(index, value != 0.0f, this);
                break;
            case IsolationNotice::ParameterAutomated:
                listener.OnParameterAutomated(index, value, this);
                break;
            case IsolationNotice::BypassChanged:
                listener.OnBypassChanged(value != 0.0f, this);
                break;
            case IsolationNotice::DisplayChanged:
                listener.OnDisplayChanged(this);
                break;
            case IsolationNotice::LatencyChanged:
                listener.OnLatencyChanged(this);
                break;
            case IsolationNotice::IOChanged:
                listener.OnIOChanged(this);
                break;
            }
        });
}

void IsolatedPlugin::RequestFlush(bool resetPosition)
{
    Call(IsolationRequest::RequestFlush, IsolationMessage().PutU32(resetPosition));
}

bool IsolatedPlugin::SetBlockSize(std::uint32_t frames)
{
    m_blockSize = frames;
    return Call(IsolationRequest::SetBlockSize, IsolationMessage().PutU32(frames)) && Describe();
}

bool IsolatedPlugin::SetSampleRate(std::uint32_t rate)
{
    m_sampleRate = float(rate);
    if (m_exchange)
        m_exchange->SetSampleRate(m_sampleRate);
    return Call(IsolationRequest::SetSampleRate, IsolationMessage().PutU32(rate)) && Describe();
}

void IsolatedPlugin::SetTotalSamples(std::int64_t samples)
{
    Call(IsolationRequest::SetTotalSamples, IsolationMessage().PutU64(std::uint64_t(samples)));
}

bool IsolatedPlugin::UpdateSpeakerArrangement(std::uint32_t inputs, std::uint32_t outputs, bool force)
{
    const bool changed = Call(IsolationRequest::UpdateSpeakerArrangement,
                              IsolationMessage().PutU32(inputs).PutU32(outputs).PutU32(force));
    Describe();
    return changed;
}

bool IsolatedPlugin::SetChannelSelection(const std::vector<std::uint32_t>& channels)
{
    IsolationMessage arguments;
    arguments.PutU32(std::uint32_t(channels.size()));
    for (std::uint32_t channel : channels)
        arguments.PutU32(channel);
    return Call(IsolationRequest::SetChannelSelection, arguments);
}

std::intptr_t IsolatedPlugin::OpenEditor(QWidget* parent)
{
    if (!parent || !m_description.hasEditor)
        return 0;
    IsolationMessage reply;
    if (!Call(IsolationRequest::OpenEditor, IsolationMessage().PutU64(std::uint64_t(parent->winId())), reply))
        return 0;
    const bool opened = reply.TakeBool();
    const std::int32_t width = reply.TakeI32();
    const std::int32_t height = reply.TakeI32();
    if (!opened || reply.Failed())
        return 0;
    m_editorParent = parent;
    m_editorSize = QSize(std::max(0, width), std::max(0, height));
    return 1;
}

bool IsolatedPlugin::CloseEditor()
{
    if (!m_editorParent)
        return true;
    m_editorParent = nullptr;
    return Call(IsolationRequest::CloseEditor, IsolationMessage());
}

std::wstring IsolatedPlugin::GetProgramName()
{
    return Ask(IsolationRequest::GetProgramName, 0).TakeText();
}

bool IsolatedPlugin::SetBypassed(bool on)
{
    const bool accepted = Call(IsolationRequest::SetBypassed, IsolationMessage().PutU32(on));
    // Remembered even when the process is gone: the dry signal follows it.
    if (!Describe())
        m_bypassed = on;
    return accepted;
}

bool IsolatedPlugin::CanDo(const char* what)
{
    return what && Call(IsolationRequest::CanDo, IsolationMessage().PutNarrow(what));
}

bool IsolatedPlugin::StopProcessing()
{
    return Call(IsolationRequest::StopProcessing, IsolationMessage());
}

bool IsolatedPlugin::StartProcessing()
{
    return Call(IsolationRequest::StartProcessing, IsolationMessage());
}

void IsolatedPlugin::SetMidiActive(bool on)
{
    Call(IsolationRequest::SetMidiActive, IsolationMessage().PutU32(on));
}

std::wstring IsolatedPlugin::GetParameterName(std::int32_t index)
{
    return Ask(IsolationRequest::GetParameterName, index).TakeText();
}

std::uint32_t IsolatedPlugin::GetParameterFlags(std::int32_t index)
{
    return Ask(IsolationRequest::GetParameterFlags, index).TakeU32();
}

void IsolatedPlugin::ParameterGesture(std::int32_t index, bool begin)
{
    Ask(IsolationRequest::ParameterGesture, index, begin ? 1.0f : 0.0f);
}

bool IsolatedPlugin::SetParameter(std::int32_t index, float value)
{
    return Ask(IsolationRequest::SetParameter, index, value).TakeBool();
}

float IsolatedPlugin::GetParameter(std::int32_t index)
{
    return Ask(IsolationRequest::GetParameter, index).TakeFloat();
}

AudioPluginParameter IsolatedPlugin::GetParameterRecord(std::int32_t index)
{
    IsolationMessage reply = Ask(IsolationRequest::GetParameterRecord, index);
    AudioPluginParameter parameter;
    IsolationCodec::Take(reply, parameter);
    return reply.Failed() ? AudioPluginParameter() : parameter;
}

std::wstring IsolatedPlugin::GetParameterDisplay(std::int32_t index, float value)
{
    return Ask(IsolationRequest::GetParameterDisplay, index, value).TakeText();
}

float IsolatedPlugin::StepsToValue(std::int32_t index, std::uint32_t steps)
{
    IsolationMessage reply;
    Call(IsolationRequest::StepsToValue, IsolationMessage().PutI32(index).PutU32(steps), reply);
    return reply.TakeFloat();
}

std::uint32_t IsolatedPlugin::ValueToSteps(std::int32_t index, float value)
{
    return Ask(IsolationRequest::ValueToSteps, index, value).TakeU32();
}

void IsolatedPlugin::GetParameterTable(std::vector<AudioPluginParameter>& table)
{
    table.clear();
    IsolationMessage reply;
    if (!Call(IsolationRequest::GetParameterTable, IsolationMessage(), reply))
        return;
    // Every record takes at least its ten fields' worth of bytes.
    table.resize(reply.TakeCount(10 * sizeof(std::uint32_t)));
    for (AudioPluginParameter& parameter : table)
        IsolationCodec::Take(reply, parameter);
    if (reply.Failed())
        table.clear();
}

bool IsolatedPlugin::StorePreset(PluginState& state)
{
    IsolationMessage reply;
    if (!Call(IsolationRequest::StorePreset, IsolationMessage(), reply) || !reply.TakeBool())
        return false;
    PluginState stored;
    IsolationCodec::Take(reply, stored);
    if (reply.Failed())
        return false;
    state = stored;
    m_lastPreset = std::move(stored);
    m_hasPreset = true;
    return true;
}

bool IsolatedPlugin::LoadPreset(const PluginState& state)
{
    IsolationMessage arguments;
    IsolationCodec::Put(arguments, state);
    SetLoadingPreset(true);
    const bool loaded = Call(IsolationRequest::LoadPreset, arguments);
    SetLoadingPreset(false);
    Describe();
    if (loaded)
    {
        m_lastPreset = state;
        m_hasPreset = true;
    }
    return loaded;
}

std::wstring IsolatedPlugin::GetInputName(std::int32_t index)
{
    return Ask(IsolationRequest::GetChannelName, index, 0.0f).TakeText();
}

std::wstring IsolatedPlugin::GetOutputName(std::int32_t index)
{
    return Ask(IsolationRequest::GetChannelName, index, 1.0f).TakeText();
}

void IsolatedPlugin::SetMinimumDeadline(std::uint64_t micros)
{
    m_minimumDeadlineMicros = micros;
    if (m_exchange)
        m_exchange->SetMinimumDeadline(micros);
}
