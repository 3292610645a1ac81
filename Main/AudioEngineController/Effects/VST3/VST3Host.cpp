#include "Main/AudioEngineController/Effects/VST3/VST3Host.h"

#include "Interfaces/EngineContext.h"
#include "Interfaces/ICorvaneInterface.h"
#include "Main/AudioEngineController/Effects/VST3/VST3ConfigurationFile.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Plugin.h"
#include "Main/AudioEngineController/Effects/VST3/VST3ScanState.h"
#include "Platform/FaultGuard.h"

#include <QFileInfo>
#include <optional>

namespace
{
VST3Host* g_instance = nullptr;
} // namespace

VST3Host* VST3Host::GetInstance()
{
    if (!g_instance)
        g_instance = new VST3Host;
    return g_instance;
}

bool VST3Host::Initialise(const std::wstring& effectsFolder, const std::wstring&, std::uint32_t sampleRate,
                          std::int32_t blockSize)
{
    TAutoLockCS lock(&m_lock);
    m_effectsFolder = QString::fromStdWString(effectsFolder);
    m_sampleRate = sampleRate;
    m_blockSize = std::uint32_t(blockSize);
    std::vector<std::wstring> folders;
    if (ICorvaneInterface* host = EngineContext::Instance().Interface())
        for (const QString& folder : host->GetPluginFolders())
            folders.push_back(folder.toStdWString());
    m_scanState = std::make_unique<VST3ScanState>(m_effectsFolder, std::move(folders));
    ConfigurationChanged();
    return true;
}

bool VST3Host::Shutdown()
{
    g_instance = nullptr;
    delete this;
    return true;
}

QString VST3Host::ConfigurationPath() const
{
    return m_effectsFolder + QLatin1Char('/') + QLatin1String(VST3ConfigurationFile::kFileName);
}

bool VST3Host::ConfigurationChanged()
{
    TAutoLockCS lock(&m_lock);
    const QDateTime written = QFileInfo(ConfigurationPath()).lastModified();
    if (written == m_configurationTime)
        return false;
    m_configurationTime = written;
    return true;
}

std::vector<std::wstring> VST3Host::GetFolderList()
{
    TAutoLockCS lock(&m_lock);
    return m_scanState ? m_scanState->GetFolderList() : std::vector<std::wstring>();
}

bool VST3Host::LoadKnownPlugins()
{
    TAutoLockCS lock(&m_lock);
    return !m_scanState || m_scanState->LoadKnownPlugins();
}

bool VST3Host::LaunchScanner(bool scan, bool)
{
    TAutoLockCS lock(&m_lock);
    return m_scanState && m_scanState->LaunchScanner(scan);
}

bool VST3Host::StopScan()
{
    if (m_scanState)
        m_scanState->StopScan();
    return true;
}

bool VST3Host::FillPluginList(PluginTypeList& list)
{
    TAutoLockCS lock(&m_lock);
    if (m_scanState)
        m_scanState->FillPluginList(list, m_metadataWidths);
    return true;
}

bool VST3Host::ApplyCatalogueEdits(const PluginTypeList& edits, bool& rescanNeeded)
{
    TAutoLockCS lock(&m_lock);
    return m_scanState && m_scanState->ApplyCatalogueEdits(edits, rescanNeeded);
}

bool VST3Host::KnowsPlugin(const std::wstring& identifier)
{
    TAutoLockCS lock(&m_lock);
    return m_scanState && m_scanState->KnowsPlugin(identifier);
}

bool VST3Host::IsNameKnown(const std::wstring& name) const
{
    TAutoLockCS lock(&m_lock);
    return m_scanState && m_scanState->IsNameKnown(name);
}

void VST3Host::SetMetadataWidth(const std::wstring& identifier, std::int32_t width)
{
    TAutoLockCS lock(&m_lock);
    if (width > 0)
        m_metadataWidths[identifier] = width;
    else
        m_metadataWidths.erase(identifier);
}

bool VST3Host::SetSampleRate(std::uint32_t rate)
{
    TAutoLockCS lock(&m_liveLock);
    m_sampleRate = rate;
    for (const auto& live : m_livePlugins)
        live.second->SetSampleRate(rate);
    return true;
}

bool VST3Host::SetBlockSize(std::uint32_t frames)
{
    TAutoLockCS lock(&m_liveLock);
    m_blockSize = frames;
    for (const auto& live : m_livePlugins)
        live.second->SetBlockSize(frames);
    return true;
}

bool VST3Host::SetFrameRate(std::int32_t frameRateCode)
{
    struct Rate
    {
        std::uint32_t framesPerSecond;
        // -1 leaves the flags as they were.
        std::int32_t flags;
    };
    constexpr std::int32_t kPull = vst3::FrameRate::kPullDownRate;
    constexpr std::int32_t kDrop = vst3::FrameRate::kDropRate;
    // By code, from 2 to 28.
    static const Rate kRates[] = {
        {24, kPull}, {24, -1}, {25, -1},    {29, kDrop},  {29, -1},    {30, kDrop}, {30, -1},
        {50, -1},    {50, -1}, {59, kDrop}, {59, kDrop},  {60, kPull}, {60, kPull}, {60, kDrop},
        {60, kDrop}, {60, -1}, {60, -1},    {48, kPull},  {48, -1},    {72, -1},    {90, -1},
        {24, kPull}, {96, -1}, {100, -1},   {119, kDrop}, {119, -1},   {120, -1},
    };
    if (frameRateCode < 2 || frameRateCode > 28)
        return true;
    const Rate& rate = kRates[frameRateCode - 2];
    TAutoLockCS lock(&m_liveLock);
    m_frameRate.framesPerSecond = rate.framesPerSecond;
    if (rate.flags >= 0)
        m_frameRate.flags = std::uint32_t(rate.flags);
    for (const auto& live : m_livePlugins)
        live.second->SetFrameRate(m_frameRate);
    return true;
}

// A block size the caller names wins over the host's.
AudioPlugin* VST3Host::LoadPlugin(const std::wstring& identifier, std::uint32_t blockSize,
                                  const PluginPlacement& placement)
{
    // The results lock alone: a scan under way keeps the known classes loadable.
    const std::optional<VST3EffectRecord> record =
        m_scanState ? m_scanState->EnabledRecord(identifier) : std::nullopt;
    if (!record)
        return nullptr;
    // Faults in the plug-in's code become exceptions on the thread that loads it.
    Platform::InstallFaultTranslator();
    auto plugin = std::make_unique<VST3Plugin>();
    if (!plugin->Instantiate(*record))
    {
        plugin->Close();
        return nullptr;
    }
    TAutoLockCS lock(&m_liveLock);
    plugin->SetFrameRate(m_frameRate);
    plugin->Initialise(float(m_sampleRate), blockSize ? blockSize : m_blockSize.load(), placement);
    AudioPlugin* loaded = plugin.get();
    m_livePlugins.emplace(loaded, plugin.release());
    return loaded;
}

bool VST3Host::ReleasePlugin(AudioPlugin* plugin)
{
    VST3Plugin* live = nullptr;
    {
        TAutoLockCS lock(&m_liveLock);
        const auto found = m_livePlugins.find(plugin);
        if (found == m_livePlugins.end())
            return false;
        live = found->second;
        m_livePlugins.erase(found);
    }
    live->Close();
    delete live;
    return true;
}

VST3Host::VST3Host() = default;

// Plug-ins nobody released go with the host.
VST3Host::~VST3Host()
{
    for (const auto& live : m_livePlugins)
        delete live.second;
}

std::int32_t VST3Host::ChannelCountOfFormat(std::uint32_t)
{
    return 2;
}

std::int64_t VST3Host::TimeBase()
{
    return 1;
}
