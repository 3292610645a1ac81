#include "IsolationHost/IsolationServer.h"

#include "Core/BaseLib/AudioPlugins/AudioPlugin.h"
#include "Core/BaseLib/AudioPlugins/Isolation/IsolationCodec.h"
#include "IsolationHost/IsolationBlockLoop.h"

#include <QCoreApplication>
#include <QWidget>
#include <QWindow>

namespace
{
// How often the editor and the plug-in's housekeeping run while no request comes.
constexpr int kIdleIntervalMs = 20;
// A request has begun to arrive; the rest follows at once from a live host.
constexpr int kRequestRestMs = 5000;
} // namespace

IsolationServer::IsolationServer(Platform::LocalSocket& socket, void* sharedBlock)
    : m_channel(socket), m_block(sharedBlock), m_notices(m_channel, m_block.Fields().notices)
{
}

IsolationServer::~IsolationServer()
{
    m_loop.reset();
    CloseEditor();
    if (m_plugin)
        m_plugin->RemoveListener(&m_notices);
}

void IsolationServer::Run()
{
    for (;;)
    {
        if (!m_channel.Readable(kIdleIntervalMs))
        {
            Idle();
            continue;
        }
        std::uint32_t kind = 0;
        IsolationMessage arguments;
        if (m_channel.Receive(kind, arguments, kRequestRestMs) != IsolationChannel::Result::Done)
            return;
        const auto request = IsolationRequest(kind);
        if (request == IsolationRequest::Quit)
            return;
        IsolationMessage reply;
        if (request == IsolationRequest::Create)
            Create(arguments, reply);
        else if (m_plugin)
            Answer(request, arguments, reply);
        if (!m_channel.Send(IsolationFrame::kReply, reply))
            return;
    }
}

void IsolationServer::Idle()
{
    if (m_plugin)
        m_plugin->Idle();
    QCoreApplication::processEvents();
}

void IsolationServer::Create(IsolationMessage& arguments, IsolationMessage& reply)
{
    const std::wstring identifier = arguments.TakeText();
    const QString effectsFolder = QString::fromStdWString(arguments.TakeText());
    const float sampleRate = arguments.TakeFloat();
    const std::uint32_t blockSize = arguments.TakeU32();
    PluginPlacement placement;
    placement.trackGroup = arguments.TakeI32();
    placement.trackIndex = arguments.TakeI32();
    placement.channelFormat = arguments.TakeU32();
    std::wstring failure;
    if (!m_plugin && !arguments.Failed())
        m_plugin = m_loader.Load(identifier, effectsFolder, sampleRate, blockSize, placement, failure);
    if (m_plugin && !m_loop)
    {
        m_plugin->AddListener(&m_notices);
        m_loop = std::make_unique<IsolationBlockLoop>(m_block, *m_plugin, *m_loader.Host());
    }
    reply.PutU32(m_plugin != nullptr).PutText(failure);
}

void IsolationServer::Describe(IsolationMessage& reply)
{
    IsolationDescription description;
    description.name = m_plugin->GetName();
    description.displayName = m_plugin->GetDisplayName();
    description.vendor = m_plugin->GetVendor();
    description.creationText = m_plugin->GetCreationText();
    description.identifierKey = m_plugin->GetIdentifierKey();
    description.identifierPrefix = m_plugin->GetIdentifierPrefix();
    description.inputs = m_plugin->GetNumInputs();
    description.outputs = m_plugin->GetNumOutputs();
    description.latency = m_plugin->GetLatency();
    description.channelKind = m_plugin->GetChannelKind();
    description.parameters = m_plugin->GetNumParameters();
    description.blockSize = m_plugin->GetBlockSize();
    description.hasEditor = m_plugin->HasEditor();
    description.editorResizable = m_plugin->IsEditorResizable();
    description.effect = m_plugin->IsEffect();
    description.wantsMidi = m_plugin->WantsMidi();
    description.bypassed = m_plugin->IsBypassed();
    IsolationCodec::Put(reply, description);
}

void IsolationServer::Answer(IsolationRequest request, IsolationMessage& arguments, IsolationMessage& reply)
{
    if (AnswerParameter(request, arguments, reply) || AnswerSetting(request, arguments, reply))
        return;
    switch (request)
    {
    case IsolationRequest::Describe:
        Describe(reply);
        break;
    case IsolationRequest::StorePreset:
        StorePreset(reply);
        break;
    case IsolationRequest::LoadPreset:
        reply.PutU32(LoadPreset(arguments));
        break;
    case IsolationRequest::GetParameterTable:
        ParameterTable(reply);
        break;
    case IsolationRequest::OpenEditor:
        OpenEditor(arguments, reply);
        break;
    case IsolationRequest::CloseEditor:
        CloseEditor();
        reply.PutU32(1);
        break;
    case IsolationRequest::GetProgramName:
        reply.PutText(m_plugin->GetProgramName());
        break;
    case IsolationRequest::CanDo:
        reply.PutU32(m_plugin->CanDo(arguments.TakeNarrow().c_str()));
        break;
    default:
        break;
    }
}

// Requests of one parameter: an index and a value. Takes a copy of the
// arguments, which the other requests read from the start.
bool IsolationServer::AnswerParameter(IsolationRequest request, IsolationMessage arguments,
                                      IsolationMessage& reply)
{
    const std::int32_t index = arguments.TakeI32();
    const float value = arguments.TakeFloat();
    switch (request)
    {
    case IsolationRequest::SetParameter:
        reply.PutU32(m_plugin->SetParameter(index, value));
        return true;
    case IsolationRequest::GetParameter:
        reply.PutFloat(m_plugin->GetParameter(index));
        return true;
    case IsolationRequest::GetParameterName:
        reply.PutText(m_plugin->GetParameterName(index));
        return true;
    case IsolationRequest::GetParameterFlags:
        reply.PutU32(m_plugin->GetParameterFlags(index));
        return true;
    case IsolationRequest::GetParameterRecord:
        IsolationCodec::Put(reply, m_plugin->GetParameterRecord(index));
        return true;
    case IsolationRequest::GetParameterDisplay:
        reply.PutText(m_plugin->GetParameterDisplay(index, value));
        return true;
    case IsolationRequest::ValueToSteps:
        reply.PutU32(m_plugin->ValueToSteps(index, value));
        return true;
    case IsolationRequest::ParameterGesture:
        m_plugin->ParameterGesture(index, value != 0.0f);
        reply.PutU32(1);
        return true;
    case IsolationRequest::GetChannelName:
        reply.PutText(value != 0.0f ? m_plugin->GetOutputName(index) : m_plugin->GetInputName(index));
        return true;
    default:
        return false;
    }
}

// Requests that change how the plug-in runs; the reply is the call's result.
bool IsolationServer::AnswerSetting(IsolationRequest request, IsolationMessage& arguments,
                                    IsolationMessage& reply)
{
    switch (request)
    {
    case IsolationRequest::SetSampleRate:
        reply.PutU32(m_plugin->SetSampleRate(arguments.TakeU32()));
        return true;
    case IsolationRequest::SetBlockSize:
        reply.PutU32(m_plugin->SetBlockSize(arguments.TakeU32()));
        return true;
    case IsolationRequest::SetBypassed:
        reply.PutU32(m_plugin->SetBypassed(arguments.TakeBool()));
        return true;
    case IsolationRequest::RequestFlush:
        m_plugin->RequestFlush(arguments.TakeBool());
        reply.PutU32(1);
        return true;
    case IsolationRequest::StartProcessing:
        reply.PutU32(m_plugin->StartProcessing());
        return true;
    case IsolationRequest::StopProcessing:
        reply.PutU32(m_plugin->StopProcessing());
        return true;
    case IsolationRequest::SetMidiActive:
        m_plugin->SetMidiActive(arguments.TakeBool());
        reply.PutU32(1);
        return true;
    case IsolationRequest::SetTotalSamples:
        m_plugin->SetTotalSamples(std::int64_t(arguments.TakeU64()));
        reply.PutU32(1);
        return true;
    case IsolationRequest::StepsToValue:
    {
        const std::int32_t index = arguments.TakeI32();
        reply.PutFloat(m_plugin->StepsToValue(index, arguments.TakeU32()));
        return true;
    }
    case IsolationRequest::UpdateSpeakerArrangement:
    {
        const std::uint32_t inputs = arguments.TakeU32();
        const std::uint32_t outputs = arguments.TakeU32();
        reply.PutU32(m_plugin->UpdateSpeakerArrangement(inputs, outputs, arguments.TakeBool()));
        return true;
    }
    case IsolationRequest::SetChannelSelection:
    {
        std::vector<std::uint32_t> channels(arguments.TakeCount(sizeof(std::uint32_t)));
        for (std::uint32_t& channel : channels)
            channel = arguments.TakeU32();
        reply.PutU32(m_plugin->SetChannelSelection(channels));
        return true;
    }
    default:
        return false;
    }
}

void IsolationServer::StorePreset(IsolationMessage& reply)
{
    PluginState state;
    const bool stored = m_plugin->StorePreset(state);
    reply.PutU32(stored);
    if (stored)
        IsolationCodec::Put(reply, state);
}

bool IsolationServer::LoadPreset(IsolationMessage& arguments)
{
    PluginState state;
    IsolationCodec::Take(arguments, state);
    return !arguments.Failed() && m_plugin->LoadPreset(state);
}

void IsolationServer::ParameterTable(IsolationMessage& reply)
{
    std::vector<AudioPluginParameter> table;
    m_plugin->GetParameterTable(table);
    reply.PutU32(std::uint32_t(table.size()));
    for (const AudioPluginParameter& parameter : table)
        IsolationCodec::Put(reply, parameter);
}

// The editor lives in a window of ours that is made a child of the host's
// window, so that it shows inside the host's window.
void IsolationServer::OpenEditor(IsolationMessage& arguments, IsolationMessage& reply)
{
    CloseEditor();
    const auto windowId = WId(arguments.TakeU64());
    m_hostWindow = arguments.Failed() ? nullptr : QWindow::fromWinId(windowId);
    std::intptr_t opened = 0;
    if (m_hostWindow)
    {
        m_editor = std::make_unique<QWidget>();
        m_editor->setAttribute(Qt::WA_NativeWindow);
        m_editor->winId();
        m_editor->windowHandle()->setParent(m_hostWindow);
        opened = m_plugin->OpenEditor(m_editor.get());
    }
    QSize size;
    if (opened)
    {
        m_plugin->GetEditorSize(size);
        m_editor->resize(size);
        m_editor->show();
    }
    else
        CloseEditor();
    reply.PutU32(opened != 0).PutI32(size.width()).PutI32(size.height());
}

void IsolationServer::CloseEditor()
{
    if (m_editor && m_plugin)
        m_plugin->CloseEditor();
    m_editor.reset();
    delete m_hostWindow;
    m_hostWindow = nullptr;
}
