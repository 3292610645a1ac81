#include "Main/AudioEngineController/Effects/VST/VSTPlugin.h"

#include "Core/BaseLib/AudioPlugins/AudioPluginHost.h"
#include "Core/BaseLib/AudioPlugins/CategoryTable.h"
#include "Core/BaseLib/Debug.h"
#include "Core/BaseLib/SDebug.h"
#include "Main/AudioEngineController/Effects/VST/VSTHost.h"
#include "Core/BaseLib/AudioPlugins/AudioPluginListener.h"
#include "Platform/FaultGuard.h"

#include <cstring>
#include <stdexcept>

namespace
{
constexpr const wchar_t* kSource = L"Main\\AudioEngineController\\Effects\\VST\\VSTPlugin";
// The lines the dispatch preconditions have always been reported with.
constexpr unsigned kDispatchLine = 1951;
constexpr unsigned kDispatchPointerLine = 1967;
constexpr unsigned kDispatchValueLine = 1990;
constexpr unsigned kDispatchFloatLine = 2013;

// Buffers larger than the published limits, which plug-ins are known to
// overrun; texts are read only up to the buffer's end.
constexpr size_t kEffectNameBytes = 1024;
constexpr size_t kVendorBytes = 256;
constexpr size_t kShellNameBytes = 1024;
constexpr size_t kMaxIdentifierKey = 255;

constexpr float kLinearPanLawGain = 0.707107f;

std::wstring Latin1(const char* text, size_t capacity)
{
    const size_t length = strnlen(text, capacity);
    std::wstring wide(length, L'\0');
    for (size_t i = 0; i < length; ++i)
        wide[i] = wchar_t(static_cast<unsigned char>(text[i]));
    return wide;
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

bool TraceDispatch()
{
    return g_vstDispatchDebug.Level & 1;
}
} // namespace

VSTPlugin::VSTPlugin() = default;

VSTPlugin::~VSTPlugin()
{
    TAutoLockCS lock(&m_pluginLock);
    StopProcessing();
    if (m_opened && _plugin)
        Dispatch(effClose);
    _plugin = nullptr;
}

template <class Call> VstIntPtr VSTPlugin::Guarded(Call call)
{
    try
    {
        return Platform::GuardedCall(call);
    }
    catch (...)
    {
        // Whatever a plug-in throws, the wrapper answers 0 and stays usable.
        return 0;
    }
}

VstIntPtr VSTPlugin::Dispatch(VstInt32 opcode)
{
    if (!_plugin)
    {
        ReportAssertion(L"0 != _plugin", kSource, kDispatchLine);
        return 0;
    }
    return Guarded([&] { return _plugin->dispatcher(_plugin, opcode, 0, 0, nullptr, 0.0f); });
}

VstIntPtr VSTPlugin::Dispatch(VstInt32 opcode, void* ptr)
{
    if (!_plugin)
    {
        ReportAssertion(L"0 != _plugin", kSource, kDispatchPointerLine);
        return 0;
    }
    if (TraceDispatch())
        g_vstDispatchDebug.Debug("VST Plugin Dispatch(%d,%p);", opcode, ptr);
    return Guarded([&] { return _plugin->dispatcher(_plugin, opcode, 0, 0, ptr, 0.0f); });
}

VstIntPtr VSTPlugin::Dispatch(VstInt32 opcode, VstIntPtr value)
{
    if (!_plugin)
    {
        ReportAssertion(L"0 != _plugin", kSource, kDispatchValueLine);
        return 0;
    }
    if (TraceDispatch())
        g_vstDispatchDebug.Debug("VST Plugin Dispatch(%d,%d);", opcode, int(value));
    return Guarded([&] { return _plugin->dispatcher(_plugin, opcode, 0, value, nullptr, 0.0f); });
}

VstIntPtr VSTPlugin::Dispatch(VstInt32 opcode, float opt)
{
    if (!_plugin)
    {
        ReportAssertion(L"0 != _plugin", kSource, kDispatchFloatLine);
        return 0;
    }
    if (TraceDispatch())
        g_vstDispatchDebug.Debug("VST Plugin Dispatch(%d,%f);", opcode, double(opt));
    return Guarded([&] { return _plugin->dispatcher(_plugin, opcode, 0, 0, nullptr, opt); });
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
    VSTHost* host = VSTHost::GetInstance();
    // A shell asks which sub-plug-in to create while its entry point runs.
    host->SetLoadingPlugin(this);
    bool isPluginModule = false;
    AEffect* effect = RunEntryPoint(path, callback, isPluginModule);
    host->SetLoadingPlugin(nullptr);
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
    if (effect && effect->magic == kEffectMagic)
    {
        _plugin = effect;
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
    if (_plugin->numInputs == 0)
        return false;
    return Dispatch(effGetPlugCategory) != kPlugCategSynth;
}

void VSTPlugin::Name(const QString& path)
{
    bool named = false;
    if (ReportsOwnName())
    {
        char buffer[kEffectNameBytes] = {};
        const VstIntPtr answer = Dispatch(effGetEffectName, static_cast<void*>(buffer));
        named = answer != 0 || buffer[0] != '\0';
        if (named)
            m_name = Latin1(buffer, sizeof buffer);
    }
    if (!named)
        m_name = NameFromFileName(path);
    m_identifierKey = (m_name + L":" + std::to_wstring(_plugin->uniqueID)).substr(0, kMaxIdentifierKey);
    m_categoryMask = CatalogueMaskOf(m_identifierKey);
}

void VSTPlugin::Describe(VstEffectRecord& record)
{
    const bool instrument =
        _plugin->numInputs == 0 || CategoryTable::Instance().IsInstrumentMask(m_categoryMask);
    record.category = instrument ? VstEffectRecord::kInstrument : std::uint32_t(Dispatch(effGetPlugCategory));
    char vendor[kVendorBytes] = {};
    Dispatch(effGetVendorString, static_cast<void*>(vendor));
    record.vendor = Latin1(vendor, sizeof vendor);
    record.width = _plugin->numOutputs;
    record.latency = _plugin->initialDelay;
    record.name = m_name;
    record.id = m_identifierKey;
    record.favourite = false;
    record.categoryMask = m_categoryMask;
}

void VSTPlugin::EnumerateShellPlugins(std::map<std::wstring, std::int32_t>& subPlugins)
{
    for (;;)
    {
        char name[kShellNameBytes] = {};
        const auto id = std::int32_t(Dispatch(effShellGetNextPlugin, static_cast<void*>(name)));
        if (id == 0)
            return;
        subPlugins[Latin1(name, sizeof name)] = id;
    }
}

bool VSTPlugin::Initialise(float sampleRate, std::uint32_t blockSize, const PluginPlacement& placement)
{
    m_blockSize = blockSize;
    m_channelFormat = placement.channelFormat;
    SendStreamSettings(sampleRate);
    m_opened = true;
    Dispatch(effOpen);
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
    UpdateSpeakerArrangement(m_channelFormat, m_channelFormat);
    StartProcessing();
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

// Audio runs once the parameter table and the speaker arrangements are in
// place; until then a VST 2 plug-in produces nothing.
bool VSTPlugin::Process(const TransportRecord&, float**, float**, std::uint32_t)
{
    return false;
}

void VSTPlugin::RequestFlush(bool) {}

std::int32_t VSTPlugin::GetNumInputs()
{
    return _plugin ? _plugin->numInputs : 0;
}

std::int32_t VSTPlugin::GetNumOutputs()
{
    return _plugin ? _plugin->numOutputs : 0;
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
    return true;
}

bool VSTPlugin::HasEditor()
{
    return _plugin && (_plugin->flags & effFlagsHasEditor);
}

std::int32_t VSTPlugin::GetLatency()
{
    return _plugin ? _plugin->initialDelay : 0;
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
    return Dispatch(effStartProcess) == 0;
}

// Never waits for the plug-in lock: automation may arrive from the audio
// thread while another thread holds it. The plug-in's own processing thread
// holds it already and is answered at once.
void VSTPlugin::OnAutomate(std::int32_t index, float value)
{
    if (m_busy)
        return;
    TAutoLockCS plugin(&m_pluginLock, true);
    if (plugin.Locked())
    {
        TAutoLockCS listeners(&m_listenerLock);
        for (AudioPluginListener* listener : m_listeners)
            listener->OnParameterAutomated(index, value, this);
        return;
    }
    TAutoLockCS pending(&m_pendingLock);
    m_pendingAutomation[index] = value;
}

void VSTPlugin::OnIOChanged()
{
    if (m_busy)
        return;
    bool wasActive = false;
    {
        TAutoLockCS lock(&m_pluginLock);
        wasActive = m_active;
        StopProcessing();
        UpdateSpeakerArrangement(m_channelFormat, m_channelFormat);
    }
    TAutoLockCS lock(&m_listenerLock);
    for (AudioPluginListener* listener : m_listeners)
        listener->OnIOChanged(this);
    if (wasActive)
        StartProcessing();
}

void VSTPlugin::OnUpdateDisplay()
{
    TAutoLockCS lock(&m_listenerLock);
    for (AudioPluginListener* listener : m_listeners)
        listener->OnDisplayChanged(this);
    if (m_editor)
        emit UpdateWindow();
}

VstIntPtr VSTPlugin::OnSizeWindow(std::int32_t width, std::int32_t height)
{
    if (!m_editor)
        return 0;
    emit ResizeWindow(width, height);
    return 1;
}

void VSTPlugin::ParameterGesture(std::int32_t index, bool begin)
{
    if (m_busy)
        return;
    TAutoLockCS lock(&m_listenerLock);
    for (AudioPluginListener* listener : m_listeners)
        listener->OnParameterGesture(index, begin, this);
}

void VSTPlugin::SetMidiActive(bool on)
{
    m_midiActive = on && m_wantsMidi;
}

void VSTPlugin::Idle()
{
    if (m_needsIdle)
        Dispatch(effIdle);
    TAutoLockCS pending(&m_pendingLock);
    {
        TAutoLockCS listeners(&m_listenerLock);
        for (const auto& [index, value] : m_pendingAutomation)
            for (AudioPluginListener* listener : m_listeners)
                listener->OnParameterAutomated(index, value, this);
    }
    m_pendingAutomation.clear();
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
