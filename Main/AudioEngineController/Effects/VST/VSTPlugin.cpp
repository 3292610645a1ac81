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

#include <QScopeGuard>
#include <QSize>
#include <QWidget>
#include <algorithm>
#include <cstring>
#include <iostream>

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
} // namespace

VSTPlugin::VSTPlugin() = default;

VSTPlugin::~VSTPlugin()
{
    TAutoLockCS lock(&m_pluginLock);
    StopProcessing();
    if (m_editor && _plugin)
        CloseEditor();
    m_audioPath.DropDelayLines();
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
        m_module.Unload();
    }
    m_shellId = std::int32_t(description.subId);
    const QString path = QString::fromStdWString(description.path);
    bool isPluginModule = false;
    AEffect* effect = nullptr;
    {
        // A shell asks which sub-plug-in to create while its entry point runs.
        const VSTLoadingSlot loading(this);
        effect = m_module.Open(path, callback, isPluginModule);
    }
    if (!Accept(effect, path))
        return false;
    _plugin->resvd1 = reinterpret_cast<VstIntPtr>(this);
    Name(path);
    return true;
}

bool VSTPlugin::LoadModule(const QString& path, audioMasterCallback callback, bool& isPluginModule)
{
    if (!Accept(m_module.Open(path, callback, isPluginModule), path))
        return false;
    // The field is the host's; whatever the plug-in left there must not be
    // taken for a wrapper while it is described.
    _plugin->resvd1 = 0;
    m_opened = true;
    Name(path);
    return true;
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
    m_audioPath.SetTicksPerFrame(std::int64_t(double(StudioModel::Instance().TimeBase()) / sampleRate));
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
    m_audioPath.SetSoftBypass(Dispatch(effCanDo, const_cast<char*>("bypass")) == 1);
    if (!m_audioPath.SoftBypass())
        return;
    if (Dispatch(effSetBypass, VstIntPtr(1)) == 0)
    {
        DebugOut(L"Soft Bypass not supported");
        m_audioPath.SetSoftBypass(false);
    }
    Dispatch(effSetBypass, VstIntPtr(0));
}

bool VSTPlugin::Process(const TransportRecord& transport, float** inputs, float** outputs,
                        std::uint32_t frames)
{
    TAutoLockCS lock(&m_pluginLock);
    if (!_plugin || !m_audioPath.Ready())
        return false;
    m_processing = true;
    const auto processed = qScopeGuard([this] { m_processing = false; });
    const VSTAudioPath::Routing routing{m_inputMap, m_outputMap, m_isInstrument, m_midiActive, m_eventBuffer};
    m_audioPath.Process(transport, inputs, outputs, frames == 0 ? m_blockSize : frames, routing);
    return true;
}

void VSTPlugin::RequestFlush(bool resetPosition)
{
    m_audioPath.RequestFlush(resetPosition);
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
    m_audioPath.SetTicksPerFrame(StudioModel::Instance().TimeBase() / std::int64_t(std::max(1u, rate)));
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
    m_audioPath.ClearDelayLines();
    Dispatch(effStopProcess);
    m_active = false;
    return Dispatch(effMainsChanged, VstIntPtr(0)) == 0;
}

bool VSTPlugin::StartProcessing()
{
    if (m_active)
        return true;
    m_active = true;
    Dispatch(effMainsChanged, VstIntPtr(1));
    m_audioPath.Prepare(m_inputCount, m_outputCount, m_blockSize);
    return Dispatch(effStartProcess) == 0;
}

// Without a bypass of its own the plug-in is stopped while bypassed, and
// Process fades between it and the delayed input.
bool VSTPlugin::SetBypassed(bool on)
{
    TAutoLockCS lock(&m_pluginLock);
    if (on == m_audioPath.IsBypassed())
        return true;
    m_audioPath.SetBypassed(on);
    if (m_audioPath.SoftBypass())
        Dispatch(effSetBypass, VstIntPtr(on));
    else
        Dispatch(on ? effStopProcess : effStartProcess);
    return true;
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
        m_listeners.Tell([&](AudioPluginListener& listener)
                         { listener.OnParameterAutomated(index, value, this); });
        return;
    }
    m_listeners.Defer(index, value);
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
    m_audioPath.DropDelayLines();
    CaptureCounts();
    UpdateSpeakerArrangement(m_channelFormat, m_channelFormat);
    m_audioPath.PrepareBuffers(m_inputCount, m_outputCount, m_blockSize);
    m_listeners.Tell([this](AudioPluginListener& listener) { listener.OnIOChanged(this); });
    if (wasActive)
        StartProcessing();
}

void VSTPlugin::OnUpdateDisplay()
{
    m_listeners.Tell([this](AudioPluginListener& listener) { listener.OnDisplayChanged(this); });
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
    m_listeners.Tell([&](AudioPluginListener& listener) { listener.OnParameterGesture(index, begin, this); });
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
    m_listeners.TellDeferred(this);
}

bool VSTPlugin::Refresh()
{
    OnUpdateDisplay();
    return true;
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
    wrapper.bypassed = m_audioPath.IsBypassed();
    VSTPresetCodec::StoreWrapperState(wrapper, state);
    VUISetMessage(VUI::kStatusDone, L" ");
    return true;
}

bool VSTPlugin::LoadPreset(const PluginState& state)
{
    SetLoadingPreset(true);
    const auto loadingDone = qScopeGuard([this] { SetLoadingPreset(false); });
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
        m_audioPath.RestoreBypassed(wrapper.bypassed);
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
