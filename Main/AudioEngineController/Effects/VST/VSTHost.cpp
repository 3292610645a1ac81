#include "Main/AudioEngineController/Effects/VST/VSTHost.h"

#include "Core/BaseLib/Debug.h"
#include "Main/AudioEngineController/Effects/VST/VSTPlugin.h"
#include "Main/AudioEngineController/Effects/VST/VSTSpeakerArrangements.h"
#include "Main/AudioEngineController/Effects/VST/VstScanState.h"
#include "Main/StudioModel/ChannelFormat.h"
#include "Main/StudioModel/StudioModel.h"
#include "Platform/FaultGuard.h"

#include <QFileInfo>

#include <algorithm>
#include <chrono>
#include <map>

namespace
{
constexpr unsigned kTimeInfoAssertionLine = 294;
constexpr std::int32_t kInitialFlags =
    kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid | kVstSmpteValid;
// SMPTE offsets count eightieths of a frame.
constexpr std::int64_t kSmpteSubframes = 80;

VstInt32 SmpteFrameRate(std::int32_t engineCode)
{
    static const std::map<std::int32_t, VstInt32> rates = {
        {4, kVstSmpte25fps},     {9, kVstSmpte25fps},     {10, kVstSmpte25fps},  {5, kVstSmpte2997dfps},
        {11, kVstSmpte2997dfps}, {12, kVstSmpte2997dfps}, {6, kVstSmpte2997fps}, {7, kVstSmpte30dfps},
        {15, kVstSmpte30dfps},   {16, kVstSmpte30dfps},   {8, kVstSmpte30fps},   {13, kVstSmpte599fps},
        {14, kVstSmpte599fps},   {17, kVstSmpte60fps},    {18, kVstSmpte60fps},
    };
    const auto found = rates.find(engineCode);
    return found == rates.end() ? VstInt32(kVstSmpte24fps) : found->second;
}

// The studio model numbers its rates on its own; the host speaks the
// engine's frame-rate codes.
std::int32_t EngineFrameRateCode(std::int32_t studioModelRate)
{
    switch (studioModelRate)
    {
    case StudioModel::kFrameRate25:
        return 4;
    case StudioModel::kFrameRate2997Drop:
        return 5;
    case StudioModel::kFrameRate2997:
        return 6;
    case StudioModel::kFrameRate30:
        return 8;
    default:
        return 0;
    }
}
} // namespace

VSTHost* VSTHost::GetInstance()
{
    if (!Existing())
        SetExisting(new VSTHost);
    return Existing();
}

VSTHost* VSTHost::Existing()
{
    return static_cast<VSTHost*>(VSTHostContext::Existing());
}

// Plug-in faults on this thread become exceptions that the wrappers catch.
VSTHost::VSTHost()
{
    Platform::InstallFaultTranslator();
}

VSTHost::~VSTHost()
{
    m_lock.SetEnabled(false);
}

bool VSTHost::Initialise(const std::wstring& effectsFolder, const std::wstring&, std::uint32_t sampleRate,
                         std::int32_t blockSize)
{
    m_sampleRate = std::int32_t(sampleRate);
    m_blockSize = std::uint32_t(blockSize);
    CreateTimeInfo();
    SetFrameRate(EngineFrameRateCode(StudioModel::Instance().FrameRateCode()));
    VSTSpeakerArrangements::Instance().Build();
    m_scanState = std::make_unique<VstScanState>(effectsFolder);
    ConfigurationChanged();
    return true;
}

void VSTHost::CreateTimeInfo()
{
    m_timeInfo = std::make_unique<VstTimeInfo>();
    m_timeInfo->sampleRate = m_sampleRate;
    m_timeInfo->tempo = 120.0;
    m_timeInfo->timeSigNumerator = 4;
    m_timeInfo->timeSigDenominator = 4;
    m_timeInfo->smpteFrameRate = kVstSmpte25fps;
    m_timeInfo->flags = kInitialFlags;
}

// Plug-ins still live are not destroyed here: they belong to the catalogue.
bool VSTHost::Shutdown()
{
    m_scanState.reset();
    m_timeInfo.reset();
    SetExisting(nullptr);
    delete this;
    return true;
}

bool VSTHost::LoadKnownPlugins()
{
    return m_scanState && m_scanState->LoadKnownPlugins();
}

std::vector<std::wstring> VSTHost::GetFolderList()
{
    return m_scanState ? m_scanState->GetFolderList() : std::vector<std::wstring>();
}

// Tells the host application whether a scanner run rewrote the file since
// it last looked.
bool VSTHost::ConfigurationChanged()
{
    if (!m_scanState)
        return false;
    const QDateTime written = QFileInfo(m_scanState->ConfigurationPath()).lastModified();
    if (written == m_configurationTime)
        return false;
    m_configurationTime = written;
    return true;
}

bool VSTHost::FillPluginList(PluginTypeList& list)
{
    return m_scanState && m_scanState->FillPluginList(list);
}

bool VSTHost::SetSampleRate(std::uint32_t rate)
{
    m_sampleRate = std::int32_t(rate);
    if (m_timeInfo)
        m_timeInfo->sampleRate = rate;
    for (VSTPlugin* plugin : m_livePlugins)
        plugin->SetSampleRate(rate);
    return true;
}

bool VSTHost::SetFrameRate(std::int32_t frameRateCode)
{
    if (!m_timeInfo)
        return false;
    m_timeInfo->smpteFrameRate = SmpteFrameRate(frameRateCode);
    m_frameTime = StudioModel::Instance().TimeBase() / kSmpteSubframes;
    m_timeInfo->flags |= kVstSmpteValid | kVstTransportChanged;
    return true;
}

bool VSTHost::SetBlockSize(std::uint32_t frames)
{
    m_blockSize = frames;
    for (VSTPlugin* plugin : m_livePlugins)
        plugin->SetBlockSize(frames);
    return true;
}

bool VSTHost::UpdateTimeInfo(const TransportRecord& transport, bool offline)
{
    if (!m_timeInfo)
    {
        ReportAssertion(L"_vstTimeInfo", L"Main\\AudioEngineController\\Effects\\VST\\VSTHost",
                        kTimeInfoAssertionLine);
        return false;
    }
    VstTimeInfo& time = *m_timeInfo;
    time.nanoSeconds = double(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                  std::chrono::steady_clock::now().time_since_epoch())
                                  .count());
    time.samplePos = double(transport.position) * m_sampleRate / double(StudioModel::Instance().TimeBase());
    if (transport.state == 1)
        time.flags |= kVstTransportPlaying;
    else
        time.flags &= ~kVstTransportPlaying;
    if (transport.state != m_playing)
    {
        time.flags |= kVstTransportChanged;
        m_playing = std::int8_t(transport.state);
    }
    time.ppqPos = time.samplePos / time.sampleRate * time.tempo / 60.0;
    time.smpteOffset = 0;
    m_processLevel = offline ? kVstProcessLevelOffline : kVstProcessLevelRealtime;
    return true;
}

bool VSTHost::AdvanceTimeInfo()
{
    if (m_timeInfo)
    {
        m_timeInfo->samplePos += m_blockSize;
        m_timeInfo->flags &= ~kVstTransportChanged;
    }
    m_processLevel = kVstProcessLevelUser;
    return true;
}

AudioPlugin* VSTHost::LoadPlugin(const std::wstring& identifier, std::uint32_t blockSize,
                                 const PluginPlacement& placement)
{
    TAutoLockCS lock(&m_lock);
    VSTPlugin* plugin = m_scanState ? m_scanState->CreatePlugin(identifier) : nullptr;
    if (!plugin)
        return nullptr;
    plugin->Initialise(float(m_sampleRate), blockSize == 0 ? m_blockSize.load() : blockSize, placement);
    m_livePlugins.insert(plugin);
    return plugin;
}

bool VSTHost::ReleasePlugin(AudioPlugin* plugin)
{
    TAutoLockCS lock(&m_lock);
    // Compared by address only: a plug-in that is not ours is never touched.
    const auto found =
        std::find_if(m_livePlugins.begin(), m_livePlugins.end(),
                     [plugin](VSTPlugin* live) { return static_cast<AudioPlugin*>(live) == plugin; });
    if (found == m_livePlugins.end())
        return false;
    m_releasingPlugin = *found;
    delete *found;
    m_livePlugins.erase(found);
    return true;
}

bool VSTHost::KnowsPlugin(const std::wstring& identifier)
{
    return m_scanState && m_scanState->KnowsPlugin(identifier);
}

bool VSTHost::LaunchScanner(bool scan, bool)
{
    return m_scanState && m_scanState->LaunchScanner(scan);
}

bool VSTHost::StopScan()
{
    if (m_scanState)
        m_scanState->StopScan();
    return true;
}

void VSTHost::DebugDump()
{
    DebugOut("VSTs ");
    TAutoLockCS lock(&m_lock);
    for (VSTPlugin* plugin : m_livePlugins)
        DebugOut(L"vst: %ls: ", plugin->GetName().c_str());
}

std::int32_t VSTHost::ChannelCountOfFormat(std::uint32_t format)
{
    const ChannelFormat* found = ChannelFormat::Find(format);
    return found ? found->ChannelCount() : 0;
}

std::int64_t VSTHost::TimeBase()
{
    return StudioModel::Instance().TimeBase();
}

bool VSTHost::ApplyCatalogueEdits(const PluginTypeList& edits, bool& rescanNeeded)
{
    return m_scanState && m_scanState->ApplyCatalogueEdits(edits, rescanNeeded);
}
