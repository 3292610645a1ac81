#include "Main/AudioEngineController/Effects/VST/VSTPlugin.h"

#include "Core/BaseLib/AudioPlugins/AudioPluginHost.h"
#include "Core/BaseLib/AudioPlugins/AudioPluginListener.h"
#include "Core/BaseLib/AudioPlugins/CategoryTable.h"
#include "Core/BaseLib/Debug.h"
#include "Main/AudioEngineController/Effects/VST/VSTBounds.h"
#include "Main/AudioEngineController/Effects/VST/VSTLoadingSlot.h"
#include "Main/AudioEngineController/Effects/VST/VSTText.h"
#include "Main/StudioModel/StudioModel.h"
#include "Main/VLib/VUI.h"
#include "Platform/FaultGuard.h"

#include <QSize>
#include <QWidget>
#include <algorithm>
#include <cstring>
#include <iostream>
#include <stdexcept>

namespace
{
// How much of each text is taken: more than the published limits, which
// plug-ins are known to overrun.
constexpr size_t kEffectNameBytes = 1024;
constexpr size_t kVendorBytes = 256;
constexpr size_t kShellNameBytes = 1024;
constexpr size_t kMaxIdentifierKey = 255;
constexpr size_t kProgramNameBytes = 128;

constexpr float kLinearPanLawGain = 0.707107f;
constexpr VstIntPtr kLinearKnobMode = 2;

template <class Action> struct OnExit
{
    Action action;
    ~OnExit() { action(); }
};

template <class Action> OnExit<Action> Finally(Action action)
{
    return {action};
}

// The file name up to its first ".".
std::wstring NameFromFileName(const QString& path)
{
    const QString file = VstFileNameOf(path);
    return file.left(file.indexOf(QLatin1Char('.'))).toStdWString();
}

std::uint32_t CatalogueMaskOf(const std::wstring& identifierKey)
{
    AudioPluginHost* catalogue = AudioPluginHost::Current();
    return catalogue ? catalogue->CategoryMaskOf("vst", identifierKey) : 0;
}

void Clear(float* buffer, std::uint32_t frames)
{
    std::fill_n(buffer, frames, 0.0f);
}
} // namespace

VSTPlugin::VSTPlugin() = default;

VSTPlugin::~VSTPlugin()
{
    TAutoLockCS lock(&m_pluginLock);
    StopProcessing();
    if (m_editor && _plugin)
        CloseEditor();
    m_delayLines.reset();
    if (m_opened && _plugin)
        Dispatch(effClose);
    _plugin = nullptr;
}

bool VSTPlugin::Load(const VstEffectRecord& description, audioMasterCallback callback, bool reload)
{
    if (reload)
        m_opened = false;
    else
    {
        if (_plugin)
        {
            StopProcessing();
            Dispatch(effClose);
            _plugin = nullptr;
        }
        m_library.Unload();
    }
    m_shellId = std::int32_t(description.subId);
    const QString path = QString::fromStdWString(description.path);
    bool isPluginModule = false;
    AEffect* effect = nullptr;
    {
        // A shell asks which sub-plug-in to create while its entry point runs.
        const VSTLoadingSlot loading(this);
        effect = RunEntryPoint(path, callback, isPluginModule);
    }
    if (!Accept(effect, path))
        return false;
    _plugin->resvd1 = reinterpret_cast<VstIntPtr>(this);
    Name(path);
    return true;
}

bool VSTPlugin::LoadModule(const QString& path, audioMasterCallback callback, bool& isPluginModule)
{
    if (!Accept(RunEntryPoint(path, callback, isPluginModule), path))
        return false;
    // The field is the host's; whatever the plug-in left there must not be
    // taken for a wrapper while it is described.
    _plugin->resvd1 = 0;
    m_opened = true;
    Name(path);
    return true;
}

// Not under the fault guard: a fault in a library's initialisers would leave
// the loader's own lock held for every other thread. Such a crash ends the
// process, and the crash marker records the plug-in.
bool VSTPlugin::OpenLibrary(const QString& path)
{
    return m_library.IsLoaded() || m_library.Load(path);
}

AEffect* VSTPlugin::RunEntryPoint(const QString& path, audioMasterCallback callback, bool& isPluginModule)
{
    isPluginModule = true;
    if (!OpenLibrary(path))
        return nullptr;
    void* entry = m_library.Symbol("VSTPluginMain");
    if (!entry)
        entry = m_library.Symbol("main");
    if (!entry)
    {
        isPluginModule = false;
        return nullptr;
    }
    try
    {
        return Platform::GuardedCall([&] { return reinterpret_cast<VstPluginMainProc>(entry)(callback); });
    }
    catch (...)
    {
        m_library.Unload();
        return nullptr;
    }
}

bool VSTPlugin::Accept(AEffect* effect, const QString& path)
{
    // An answer that is no readable effect counts as none.
    if (effect && !VSTBounds::Readable(effect, sizeof *effect))
        effect = nullptr;
    if (effect && effect->magic == kEffectMagic)
    {
        _plugin = effect;
        CaptureCounts();
        return true;
    }
    if (effect)
        DebugOut(L"VSTPlugin::Load - Invalid VST Plugin");
    DebugOut(L"VSTPlugin::Load - Failed to Load DLL: %ls", path.toStdWString().c_str());
    return false;
}

// Instruments are named after their file: many report the name of their
// current patch or nothing useful.
bool VSTPlugin::ReportsOwnName()
{
    if (m_shellId != 0)
        return true;
    if (m_inputCount == 0)
        return false;
    return Dispatch(effGetPlugCategory) != kPlugCategSynth;
}

void VSTPlugin::Name(const QString& path)
{
    bool named = false;
    if (ReportsOwnName())
    {
        VSTText text;
        const VstIntPtr answer = Dispatch(effGetEffectName, text.Room());
        const std::wstring name = text.Read(kEffectNameBytes);
        named = answer != 0 || !name.empty();
        if (named)
            m_name = name;
    }
    if (!named)
        m_name = NameFromFileName(path);
    m_identifierKey = (m_name + L":" + std::to_wstring(_plugin->uniqueID)).substr(0, kMaxIdentifierKey);
    m_categoryMask = CatalogueMaskOf(m_identifierKey);
}

void VSTPlugin::Describe(VstEffectRecord& record)
{
    const bool instrument = m_inputCount == 0 || CategoryTable::Instance().IsInstrumentMask(m_categoryMask);
    record.category = instrument ? VstEffectRecord::kInstrument : std::uint32_t(Dispatch(effGetPlugCategory));
    VSTText vendor;
    Dispatch(effGetVendorString, vendor.Room());
    record.vendor = vendor.Read(kVendorBytes);
    record.width = m_outputCount;
    record.latency = GetLatency();
    record.name = m_name;
    record.id = m_identifierKey;
    record.favourite = false;
    record.categoryMask = m_categoryMask;
}

void VSTPlugin::EnumerateShellPlugins(std::map<std::wstring, std::int32_t>& subPlugins)
{
    for (std::int32_t entry = 0; entry < VSTBounds::kMaxShellPlugins; ++entry)
    {
        VSTText name;
        const auto id = std::int32_t(Dispatch(effShellGetNextPlugin, name.Room()));
        if (id == 0)
            return;
        subPlugins[name.Read(kShellNameBytes)] = id;
    }
    DebugOut("VSTPlugin::EnumerateShellPlugins - more than %d sub-plug-ins; the rest are left out",
             VSTBounds::kMaxShellPlugins);
}

void VSTPlugin::CaptureCounts()
{
    VSTBounds::TraceCaps(*_plugin);
    m_inputCount = VSTBounds::Channels(_plugin->numInputs);
    m_outputCount = VSTBounds::Channels(_plugin->numOutputs);
    m_parameterTable.SetCount(VSTBounds::Parameters(_plugin->numParams));
}

bool VSTPlugin::Initialise(float sampleRate, std::uint32_t blockSize, const PluginPlacement& placement)
{
    m_blockSize = blockSize;
    m_channelFormat = placement.channelFormat;
    m_ticksPerFrame = std::int64_t(double(StudioModel::Instance().TimeBase()) / sampleRate);
    SendStreamSettings(sampleRate);
    m_opened = true;
    Dispatch(effOpen);
    // The counts a plug-in reports once it is open are the ones it runs with.
    CaptureCounts();
    if (Refuse())
        return false;
    m_arrangementEnabled = true;
    // Some plug-ins forget what they were told before they were opened.
    SendStreamSettings(sampleRate);
    Dispatch(effSetPanLaw, kLinearPanLawGain);
    Dispatch(effSetProgram, VstIntPtr(0));
    VstEffectRecord description;
    Describe(description);
    m_vendor = description.vendor;
    m_isEffect = description.category != VstEffectRecord::kInstrument;
    m_isInstrument = !m_isEffect;
    m_wantsMidi = Dispatch(effCanDo, const_cast<char*>("receiveVstMidiEvent")) == 1;
    DetectSoftBypass();
    if (m_channelSelection.empty())
        for (std::int32_t channel = 0; channel < m_inputCount; ++channel)
            m_channelSelection.push_back(std::uint32_t(channel));
    UpdateSpeakerArrangement(m_channelFormat, m_channelFormat);
    BuildParameterTable();
    return true;
}

// A plug-in that reports more than the wrapper can run is not run at all, and
// the user is told why.
bool VSTPlugin::Refuse()
{
    const std::wstring refusal = VSTBounds::Refusal(*_plugin);
    if (refusal.empty())
        return false;
    DebugOut(L"VSTPlugin::Initialise - %ls", refusal.c_str());
    SetFailure(refusal);
    return true;
}

void VSTPlugin::SendStreamSettings(float sampleRate)
{
    Dispatch(effSetSampleRate, sampleRate);
    Dispatch(effSetBlockSize, VstIntPtr(m_blockSize));
}

// A plug-in may claim to bypass itself and still refuse to; only one that
// accepts effSetBypass is trusted with it.
void VSTPlugin::DetectSoftBypass()
{
    m_softBypass = Dispatch(effCanDo, const_cast<char*>("bypass")) == 1;
    if (!m_softBypass)
        return;
    if (Dispatch(effSetBypass, VstIntPtr(1)) == 0)
    {
        DebugOut(L"Soft Bypass not supported");
        m_softBypass = false;
    }
    Dispatch(effSetBypass, VstIntPtr(0));
}

bool VSTPlugin::Process(const TransportRecord& transport, float** inputs, float** outputs,
                        std::uint32_t frames)
{
    TAutoLockCS lock(&m_pluginLock);
    if (!_plugin || m_buffers.Frames() == 0)
        return false;
    m_processing = true;
    const auto processed = Finally([this] { m_processing = false; });
    if (frames == 0)
        frames = m_blockSize;
    // A block longer than the buffers goes through in pieces: nothing is
    // allocated here.
    TransportRecord piece = transport;
    for (std::uint32_t offset = 0; offset < frames;)
    {
        const std::uint32_t length = std::min(frames - offset, m_buffers.Frames());
        ProcessBlock(piece, inputs, outputs, offset, length);
        offset += length;
        piece.position = transport.position + std::int64_t(offset) * m_ticksPerFrame;
    }
    return true;
}

void VSTPlugin::ProcessBlock(const TransportRecord& transport, float** inputs, float** outputs,
                             std::uint32_t offset, std::uint32_t frames)
{
    m_buffers.Map(inputs, outputs, m_inputMap, m_outputMap, offset);
    float** pluginInputs = m_buffers.Inputs();
    if (m_isInstrument)
        for (std::int32_t channel = 0; channel < m_buffers.InputCount(); ++channel)
            Clear(pluginInputs[channel], frames);
    FollowTransport(transport);
    Flush(frames);
    if (m_midiActive)
    {
        Dispatch(effProcessEvents, static_cast<void*>(m_eventBuffer.Events()));
        m_eventBuffer.Clear();
    }
    m_expectedPosition = transport.position + std::int64_t(frames) * m_ticksPerFrame;

    FollowLatency();
    const bool ownBypass = !m_softBypass;
    // Taken before the plug-in runs: it may process in place.
    if (ownBypass && m_crossfadePending)
        TakeDry(frames);
    else if (ownBypass && !m_bypassed && m_delayLines)
        for (std::int32_t channel = 0; channel < m_delayLines->Channels(); ++channel)
            m_delayLines->Push(channel, pluginInputs[channel], frames);

    if (!ownBypass || !m_bypassed || m_crossfadePending)
        RunPlugin(pluginInputs, m_buffers.Outputs(), frames);
    if (ownBypass && m_crossfadePending)
        Crossfade(frames);
    else if (ownBypass && m_bypassed)
        BypassDry(frames);
}

// A plug-in with a very long latency is restarted when playback jumps,
// rather than left to play out what it held from before the jump.
void VSTPlugin::FollowTransport(const TransportRecord& transport)
{
    if (transport.position != m_expectedPosition)
        m_positionJump = true;
    if (GetLatency() > StudioModel::kLatencyThreshold && transport.rolling && m_positionJump &&
        transport.speed == 1.0)
    {
        m_positionJump = false;
        if (!m_flushRequested)
            RestartProcessing();
    }
}

void VSTPlugin::RestartProcessing()
{
    m_busy = true;
    Dispatch(effStopProcess);
    Dispatch(effMainsChanged, VstIntPtr(0));
    Dispatch(effMainsChanged, VstIntPtr(1));
    Dispatch(effStartProcess);
    m_busy = false;
}

// After a jump the plug-in still holds audio from before it: a restart
// forgets it, and for plug-ins that lose their settings on a restart a
// latency's worth of silence plays it out.
void VSTPlugin::Flush(std::uint32_t frames)
{
    if (!m_flushRequested)
        return;
    if (m_delayLines)
        m_delayLines->Clear();
    if (m_positionJump)
    {
        if (RestartsOnPositionJump())
            RestartProcessing();
        else
            for (std::int32_t left = GetLatency(); left > 0; left -= std::int32_t(frames))
            {
                const std::uint32_t chunk = std::min(std::uint32_t(left), frames);
                RunPlugin(m_buffers.SilentInputs(chunk), m_buffers.DiscardedOutputs(), chunk);
            }
    }
    m_flushRequested = false;
}

void VSTPlugin::RunPlugin(float** inputs, float** outputs, std::uint32_t frames)
{
    const auto silence = [&]
    {
        for (std::int32_t channel = 0; channel < m_buffers.OutputCount(); ++channel)
            Clear(outputs[channel], frames);
    };
    if (VSTBounds::ChannelsOutgrown(*_plugin))
        return silence();
    if (VSTBounds::Channels(_plugin->numInputs) > m_buffers.InputCount())
        m_buffers.ClearSpareInputs(frames);
    try
    {
        Platform::GuardedCall(
            [&]
            {
                if (_plugin->flags & effFlagsCanReplacing)
                {
                    _plugin->processReplacing(_plugin, inputs, outputs, VstInt32(frames));
                    return;
                }
                // The old call adds to what the outputs hold.
                if (!m_bypassed)
                    silence();
                _plugin->process(_plugin, inputs, outputs, VstInt32(frames));
            });
    }
    catch (...)
    {
        DebugOut(L"Exception Caught in VST Plugin");
        // What it wrote before it failed is no signal.
        silence();
    }
}

// The input, as late as the plug-in's output would have been.
void VSTPlugin::BypassDry(std::uint32_t frames)
{
    const std::int32_t channels = std::min(m_buffers.InputCount(), m_buffers.OutputCount());
    for (std::int32_t channel = 0; channel < channels; ++channel)
    {
        float* input = m_buffers.Inputs()[channel];
        float* output = m_buffers.Outputs()[channel];
        if (output != input)
            Clear(output, frames);
        if (m_delayLines)
            m_delayLines->Delay(channel, input, output, frames);
        else if (output != input)
            std::copy_n(input, frames, output);
    }
}

void VSTPlugin::TakeDry(std::uint32_t frames)
{
    for (std::int32_t channel = 0; channel < m_buffers.InputCount(); ++channel)
    {
        if (m_delayLines)
            m_delayLines->Delay(channel, m_buffers.Inputs()[channel], m_buffers.Dry(channel), frames);
        else
            std::copy_n(m_buffers.Inputs()[channel], frames, m_buffers.Dry(channel));
    }
}

// One block from the processed signal to the dry one when bypass went on,
// the other way when it went off.
void VSTPlugin::Crossfade(std::uint32_t frames)
{
    const std::int32_t channels = std::min(m_buffers.InputCount(), m_buffers.OutputCount());
    const float step = 1.0f / float(frames);
    for (std::int32_t channel = 0; channel < channels; ++channel)
    {
        float* output = m_buffers.Outputs()[channel];
        const float* dry = m_buffers.Dry(channel);
        for (std::uint32_t frame = 0; frame < frames; ++frame)
        {
            const float toDry = m_bypassed ? float(frame) * step : 1.0f - float(frame) * step;
            output[frame] = output[frame] * (1.0f - toDry) + dry[frame] * toDry;
        }
    }
    m_crossfadePending = false;
}

void VSTPlugin::RequestFlush(bool resetPosition)
{
    m_flushRequested = true;
    if (resetPosition)
        m_expectedPosition = -1;
}

std::int32_t VSTPlugin::GetNumInputs()
{
    return _plugin ? m_inputCount : 0;
}

std::int32_t VSTPlugin::GetNumOutputs()
{
    return _plugin ? m_outputCount : 0;
}

bool VSTPlugin::SetBlockSize(std::uint32_t frames)
{
    TAutoLockCS lock(&m_pluginLock);
    StopProcessing();
    m_blockSize = frames;
    Dispatch(effSetBlockSize, VstIntPtr(frames));
    StartProcessing();
    return true;
}

bool VSTPlugin::SetSampleRate(std::uint32_t rate)
{
    TAutoLockCS lock(&m_pluginLock);
    Dispatch(effSetSampleRate, float(rate));
    m_ticksPerFrame = StudioModel::Instance().TimeBase() / std::int64_t(std::max(1u, rate));
    return true;
}

bool VSTPlugin::HasEditor()
{
    return _plugin && (_plugin->flags & effFlagsHasEditor);
}

std::int32_t VSTPlugin::GetLatency()
{
    return _plugin ? VSTBounds::Latency(_plugin->initialDelay) : 0;
}

std::int32_t VSTPlugin::GetChannelKind()
{
    return !_plugin || m_inputCount != 0 ? 2 : 0;
}

void VSTPlugin::SetTotalSamples(std::int64_t samples)
{
    Dispatch(effSetTotalSampleToProcess, VstIntPtr(samples));
}

bool VSTPlugin::SetChannelSelection(const std::vector<std::uint32_t>& channels)
{
    m_channelSelection = channels;
    return true;
}

bool VSTPlugin::CanDo(const char* capability)
{
    if (!capability)
        return false;
    if (std::strcmp(capability, "Tail") == 0)
        return true;
    return _plugin && Dispatch(effCanDo, const_cast<char*>(capability)) == 1;
}

bool VSTPlugin::StopProcessing()
{
    if (!m_active)
        return true;
    if (m_delayLines)
        m_delayLines->Clear();
    Dispatch(effStopProcess);
    m_active = false;
    return Dispatch(effMainsChanged, VstIntPtr(0)) == 0;
}

// A plug-in that cannot bypass itself gets delay lines even before it has
// a latency: some settle theirs only once they process, without reporting
// it, and nothing may be allocated then.
void VSTPlugin::PrepareDelayLines()
{
    if (m_softBypass || m_inputCount == 0)
        m_delayLines.reset();
    else if (!m_delayLines || m_delayLines->Channels() != m_inputCount)
        m_delayLines = std::make_unique<VSTDelayLines>(m_inputCount, GetLatency());
}

void VSTPlugin::FollowLatency()
{
    const std::int32_t latency = GetLatency();
    if (m_delayLines && m_delayLines->Latency() != latency)
        m_delayLines->Follow(latency);
}

bool VSTPlugin::StartProcessing()
{
    if (m_active)
        return true;
    m_active = true;
    Dispatch(effMainsChanged, VstIntPtr(1));
    m_buffers.Prepare(m_inputCount, m_outputCount, m_blockSize);
    PrepareDelayLines();
    m_crossfadePending = true;
    return Dispatch(effStartProcess) == 0;
}

// Without a bypass of its own the plug-in is stopped while bypassed, and
// Process fades between it and the delayed input.
bool VSTPlugin::SetBypassed(bool on)
{
    TAutoLockCS lock(&m_pluginLock);
    if (on == m_bypassed)
        return true;
    m_crossfadePending = true;
    m_bypassed = on;
    if (m_softBypass)
        Dispatch(effSetBypass, VstIntPtr(on));
    else
        Dispatch(on ? effStopProcess : effStartProcess);
    return true;
}

template <class Notify> void VSTPlugin::TellListeners(Notify notify)
{
    TAutoLockCS lock(&m_listenerLock);
    for (AudioPluginListener* listener : m_listeners)
        notify(listener);
}

// Never waits for the plug-in lock: automation may arrive from the audio
// thread while another thread holds it. The plug-in's own processing thread
// holds it already and is answered at once.
void VSTPlugin::OnAutomate(std::int32_t index, float value)
{
    if (m_busy)
        return;
    value = VSTBounds::Normalised(value);
    TAutoLockCS plugin(&m_pluginLock, true);
    if (plugin.Locked())
    {
        TellListeners([&](AudioPluginListener* listener)
                      { listener->OnParameterAutomated(index, value, this); });
        return;
    }
    TAutoLockCS pending(&m_pendingLock);
    m_pendingAutomation[index] = value;
}

// Reported from inside the plug-in's own processing call, the change waits
// for the next idle call: the buffers in use stay as they are, and nothing
// is allocated on the processing thread. From any other thread it waits for
// the processing call to end.
void VSTPlugin::OnIOChanged()
{
    if (m_busy)
        return;
    TAutoLockCS lock(&m_pluginLock);
    if (m_processing)
        m_ioChangePending = true;
    else
        ApplyIOChange();
}

void VSTPlugin::ApplyIOChange()
{
    const bool wasActive = m_active;
    StopProcessing();
    m_delayLines.reset();
    CaptureCounts();
    UpdateSpeakerArrangement(m_channelFormat, m_channelFormat);
    m_buffers.Prepare(m_inputCount, m_outputCount, m_blockSize);
    TellListeners([this](AudioPluginListener* listener) { listener->OnIOChanged(this); });
    if (wasActive)
        StartProcessing();
}

void VSTPlugin::OnUpdateDisplay()
{
    TellListeners([this](AudioPluginListener* listener) { listener->OnDisplayChanged(this); });
    if (m_editor)
        emit UpdateWindow();
}

VstIntPtr VSTPlugin::OnSizeWindow(std::int32_t width, std::int32_t height)
{
    if (!m_editor || !VSTBounds::EditorSizeAccepted(width, height))
        return 0;
    emit ResizeWindow(width, height);
    return 1;
}

void VSTPlugin::ParameterGesture(std::int32_t index, bool begin)
{
    if (m_busy)
        return;
    TellListeners([&](AudioPluginListener* listener) { listener->OnParameterGesture(index, begin, this); });
}

void VSTPlugin::SetMidiActive(bool on)
{
    m_midiActive = on && m_wantsMidi;
}

void VSTPlugin::QueueMidi(const MidiMessage& message)
{
    if (!m_midiActive)
        return;
    TAutoLockCS lock(&m_pluginLock);
    m_eventBuffer.Add(message);
}

void VSTPlugin::Idle()
{
    if (m_ioChangePending.exchange(false))
        OnIOChanged();
    if (m_needsIdle)
        Dispatch(effIdle);
    if (m_editor)
        Dispatch(effEditIdle);
    TAutoLockCS pending(&m_pendingLock);
    for (const auto& pending : m_pendingAutomation)
        TellListeners([&](AudioPluginListener* listener)
                      { listener->OnParameterAutomated(pending.first, pending.second, this); });
    m_pendingAutomation.clear();
}

bool VSTPlugin::Refresh()
{
    OnUpdateDisplay();
    return true;
}

void VSTPlugin::AddListener(AudioPluginListener* listener)
{
    TAutoLockCS lock(&m_listenerLock);
    m_listeners.insert(listener);
}

void VSTPlugin::RemoveListener(AudioPluginListener* listener)
{
    TAutoLockCS lock(&m_listenerLock);
    m_listeners.erase(listener);
}

// The plug-in draws into the native window behind the widget; the widget
// follows the plug-in's redraw and resize requests through its slots.
std::intptr_t VSTPlugin::OpenEditor(QWidget* parent)
{
    if (!parent || !HasEditor())
        return 0;
    m_editor = parent;
    // Connected first: editors ask for their size while they open.
    if (parent->metaObject()->indexOfSlot("UpdateEditorWindow()") >= 0)
        connect(this, SIGNAL(UpdateWindow()), parent, SLOT(UpdateEditorWindow()));
    if (parent->metaObject()->indexOfSlot("ResizeEditorWindow(int,int)") >= 0)
        connect(this, SIGNAL(ResizeWindow(int, int)), parent, SLOT(ResizeEditorWindow(int, int)));
    Dispatch(effSetEditKnobMode, kLinearKnobMode);
    // Plug-ins disagree on what effEditOpen answers; the editor is open once
    // it has its window.
    Dispatch(effEditOpen, reinterpret_cast<void*>(parent->winId()));
    return 1;
}

void VSTPlugin::GetEditorSize(QSize& size)
{
    ERect* own = nullptr;
    ERect rect{};
    if (Dispatch(effEditGetRect, static_cast<void*>(&own)) && VSTBounds::ReadRect(own, rect))
        size = QSize(rect.right - rect.left, rect.bottom - rect.top);
    else if (m_editor)
        size = m_editor->size();
}

bool VSTPlugin::CloseEditor()
{
    TAutoLockCS lock(&m_pluginLock);
    if (m_editor)
        disconnect(this, nullptr, m_editor, nullptr);
    m_editor = nullptr;
    return Dispatch(effEditClose) == 0;
}

std::int32_t VSTPlugin::GetEditorRect(QRect& rect, bool& bypassLike)
{
    QRect stored;
    AudioPlugin::GetEditorRect(stored, bypassLike);
    ERect* own = nullptr;
    ERect plugin{};
    if (!Dispatch(effEditGetRect, static_cast<void*>(&own)) || !VSTBounds::ReadRect(own, plugin))
        return 0;
    if (stored.left() != -1 && stored.width() != 0)
        rect = stored;
    else
        // Width and height come out as the plug-in's own.
        rect = QRect(QPoint(-1, -1), QPoint(plugin.right - plugin.left - 2, plugin.bottom - plugin.top - 2));
    return 1;
}

std::wstring VSTPlugin::GetProgramName()
{
    VSTText name;
    Dispatch(effGetProgramName, name.Room());
    return name.Read(kProgramNameBytes);
}

// Classifying sweeps the parameters, so the plug-in's state is kept aside
// and put back afterwards.
void VSTPlugin::BuildParameterTable()
{
    PluginState saved;
    StorePreset(saved);
    m_parameterTable.Build(SpecialParameterNames(), m_vendor);
    LoadPreset(saved);
    StartProcessing();
}

bool VSTPlugin::StorePreset(PluginState& state)
{
    VUISetMessage(VUI::kStatusMessage, L"Storing %ls Preset", m_name.c_str());
    state.identifier = GetIdentifierPrefix() + GetIdentifierKey();
    state.name = QString::fromStdWString(m_name).toStdString();
    if (m_presetCodec.KeepsChunks())
    {
        if (!m_presetCodec.StoreChunk(state))
        {
            VUISetMessage(VUI::kStatusDone, L" ");
            return false;
        }
    }
    else
        m_presetCodec.StoreParameterList(state);

    VSTPresetCodec::WrapperState wrapper;
    AudioPlugin::GetEditorRect(wrapper.editorRect, wrapper.bypassLike);
    GetOffset(wrapper.offset, wrapper.offsetValue);
    wrapper.bypassed = m_bypassed;
    VSTPresetCodec::StoreWrapperState(wrapper, state);
    VUISetMessage(VUI::kStatusDone, L" ");
    return true;
}

bool VSTPlugin::LoadPreset(const PluginState& state)
{
    SetLoadingPreset(true);
    const auto loadingDone = Finally([this] { SetLoadingPreset(false); });
    VUISetMessage(VUI::kStatusMessage, L"Loading %ls Preset", m_name.c_str());
    bool loaded = false;
    if (_plugin && state.isChunk == 1)
        loaded = LoadChunk(state);
    else if (_plugin && state.isChunk == 0)
    {
        loaded = m_presetCodec.LoadParameterList(state);
        if (loaded)
            OnUpdateDisplay();
    }
    if (loaded)
    {
        const VSTPresetCodec::WrapperState wrapper = VSTPresetCodec::ReadWrapperState(state);
        SetEditorRect(wrapper.editorRect);
        SetBypassLike(wrapper.bypassLike);
        m_bypassed = wrapper.bypassed;
        SetOffset(wrapper.offset, wrapper.offsetValue);
    }
    VUISetMessage(VUI::kStatusDone, L" ");
    return loaded;
}

bool VSTPlugin::LoadChunk(const PluginState& state)
{
    if (state.data.isEmpty() || !m_presetCodec.KeepsChunks())
        return false;
    TAutoLockCS lock(&m_pluginLock);
    try
    {
        StopProcessing();
        m_presetCodec.SendChunk(state);
        StartProcessing();
    }
    catch (...)
    {
        DebugOut(L"VST Plugin exception in %ls", m_name.c_str());
    }
    return true;
}

bool VSTPlugin::SendArrangements(const SpeakerArrangementRecord& input,
                                 const SpeakerArrangementRecord& output)
{
    // Copies: a plug-in may write into what it is given. A fault is no
    // refusal: it ends the attempts rather than calling the plug-in again.
    SpeakerArrangementRecord in = input;
    SpeakerArrangementRecord out = output;
    return m_dispatcher.Ask(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out) != 0;
}

bool VSTPlugin::UpdateSpeakerArrangement(std::uint32_t inputFormat, std::uint32_t outputFormat, bool force)
{
    if (!_plugin)
        return false;
    const std::int32_t inputs = m_inputCount;
    const std::int32_t outputs = m_outputCount;
    force = force || inputs != m_lastInputs || outputs != m_lastOutputs;
    if (!force && !m_arrangementEnabled)
        return false;
    m_arrangementEnabled = false;
    m_lastInputs = inputs;
    m_lastOutputs = outputs;
    m_inputMap.clear();
    m_outputMap.clear();
    bool accepted = false;
    try
    {
        std::uint32_t in = inputFormat;
        std::uint32_t out = outputFormat;
        if (m_name.find(L"VisLM") != std::wstring::npos)
        {
            in = std::uint32_t(std::min(inputs, 8));
            out = std::uint32_t(std::min(outputs, 8));
        }
        std::cout << "USA: " << inputFormat << "," << outputFormat << " | " << in << "," << out << " | ("
                  << inputs << "," << outputs << std::endl;
        // A plug-in that narrows or widens the signal keeps its own count on
        // the side that differs.
        if (outputs < inputs && inputs == VSTSpeakerArrangements::ChannelCountOf(in))
            out = std::uint32_t(outputs);
        else if (outputs > inputs && outputs == VSTSpeakerArrangements::ChannelCountOf(out))
            in = std::uint32_t(inputs);
        if (VSTSpeakerArrangements::ChannelCountOf(in) != 0)
        {
            TAutoLockCS lock(&m_pluginLock);
            accepted = SendArrangementsFor(in, out);
        }
    }
    catch (...)
    {
        DebugOut(L"Exception Caught in VST Plugin");
    }
    m_arrangementEnabled = true;
    return accepted;
}

// A surround plug-in that refuses smaller formats is offered larger ones
// as if the engine had asked for them.
bool VSTPlugin::SendArrangementsFor(std::uint32_t in, std::uint32_t out)
{
    const auto send = [this](const SpeakerArrangementRecord& input, const SpeakerArrangementRecord& output)
    { return SendArrangements(input, output); };
    const VSTSpeakerArrangements::Offer offer = VSTSpeakerArrangements::Instance().OfferArrangements(
        in, out, m_inputCount, m_outputCount, send, m_inputMap, m_outputMap);
    if (!offer.retry)
        return offer.accepted;
    m_arrangementEnabled = true;
    return UpdateSpeakerArrangement(offer.retryInput, offer.retryOutput);
}
