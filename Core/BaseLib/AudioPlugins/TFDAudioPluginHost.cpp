#include "Core/BaseLib/AudioPlugins/TFDAudioPluginHost.h"

#include "Core/BaseLib/AudioPlugins/AudioPlugin.h"
#include "Core/BaseLib/AudioPlugins/FavouritesFile.h"
#include "Core/BaseLib/AudioPlugins/TFDPluginFactory.h"
#include "Main/StudioModel/ChannelFormat.h"
#include "Main/StudioModel/StudioModel.h"

namespace
{
TFDAudioPluginHost* g_instance = nullptr;
}

TFDAudioPluginHost* TFDAudioPluginHost::GetInstance()
{
    if (!g_instance)
        g_instance = new TFDAudioPluginHost;
    return g_instance;
}

bool TFDAudioPluginHost::Initialise(const std::wstring& effectsFolder, const std::wstring&,
                                    std::uint32_t sampleRate, std::int32_t blockSize)
{
    m_blockSize = std::uint32_t(blockSize);
    m_sampleRate = sampleRate;
    m_effectsFolder = effectsFolder;
    SetFrameRate(StudioModel::Instance().FrameRateCode());
    if (!m_registry)
        return true;
    m_registry->AttachHost(this);
    TFDRegisteredPlugins registered;
    m_registry->ListPlugins(registered);
    m_registered = std::move(registered);
    FavouritesFile::Read(FavouritesPath(), m_registered);
    return true;
}

bool TFDAudioPluginHost::Shutdown()
{
    g_instance = nullptr;
    delete this;
    return true;
}

QString TFDAudioPluginHost::FavouritesPath() const
{
    return QString::fromStdWString(m_effectsFolder) + QLatin1Char('/') +
           QLatin1String(FavouritesFile::kFileName);
}

bool TFDAudioPluginHost::FillPluginList(PluginTypeList& list)
{
    list.clear();
    const bool showOptional = StudioModel::Instance().GlobalSetting(StudioModel::kPluginVisibility) &
                              StudioModel::kShowOptionalPlugins;
    for (const auto& [id, plugin] : m_registered)
    {
        if ((plugin.flags & TFDRegisteredPlugin::kOptional) && !showOptional)
            continue;
        PluginListEntry& entry = list[id];
        entry.name = plugin.name;
        entry.vendor = L"Thornfield Design";
        entry.state = (plugin.flags & TFDRegisteredPlugin::kHidden) ? PluginListEntry::State::Disabled
                                                                    : PluginListEntry::State::Enabled;
        entry.categoryMask = plugin.categoryMask;
        entry.width = std::int32_t(plugin.width);
        entry.favourite = plugin.favourite;
        entry.flags = plugin.flags;
    }
    return true;
}

bool TFDAudioPluginHost::SetSampleRate(std::uint32_t rate)
{
    m_sampleRate = rate;
    TAutoLockCS lock(&m_lock);
    for (const auto& live : m_live)
        live.first->SetSampleRate(rate);
    return true;
}

bool TFDAudioPluginHost::SetBlockSize(std::uint32_t frames)
{
    m_blockSize = frames;
    TAutoLockCS lock(&m_lock);
    for (const auto& live : m_live)
        live.first->SetBlockSize(frames);
    return true;
}

bool TFDAudioPluginHost::UpdateTimeInfo(const TransportRecord& transport, bool offline)
{
    TAutoLockCS lock(&m_lock);
    for (const auto& live : m_live)
        live.first->UpdateTimeInfo(transport, offline);
    return true;
}

bool TFDAudioPluginHost::AdvanceTimeInfo()
{
    TAutoLockCS lock(&m_lock);
    for (const auto& live : m_live)
        live.first->AdvanceTimeInfo();
    return true;
}

AudioPlugin* TFDAudioPluginHost::LoadPlugin(const std::wstring& key, std::uint32_t blockSize,
                                            const PluginPlacement& placement)
{
    TAutoLockCS lock(&m_lock);
    if (!m_registry)
        return nullptr;
    TFDPluginFactory* factory = m_registry->Find(QString::fromStdWString(key).toStdString());
    if (!factory)
        return nullptr;
    AudioPlugin* plugin = factory->CreateInstance();
    if (!plugin)
        return nullptr;
    plugin->Initialise(float(m_sampleRate), blockSize ? blockSize : m_blockSize, placement);
    plugin->UpdateSpeakerArrangement(placement.channelFormat, placement.channelFormat);
    m_live[plugin] = factory;
    plugin->StartProcessing();
    return plugin;
}

bool TFDAudioPluginHost::ReleasePlugin(AudioPlugin* plugin)
{
    TAutoLockCS lock(&m_lock);
    const auto live = m_live.find(plugin);
    if (live == m_live.end())
        return false;
    plugin->Close();
    live->second->DestroyInstance(plugin);
    m_live.erase(live);
    return true;
}

std::int32_t TFDAudioPluginHost::ChannelCountOfFormat(std::uint32_t format)
{
    const ChannelFormat* found = ChannelFormat::Find(format);
    return found ? found->ChannelCount() : 0;
}

std::int64_t TFDAudioPluginHost::TimeBase()
{
    return StudioModel::Instance().TimeBase();
}

bool TFDAudioPluginHost::ApplyCatalogueEdits(const PluginTypeList& edits)
{
    bool changed = false;
    for (auto& [id, plugin] : m_registered)
    {
        const auto edit = edits.find(id);
        if (edit == edits.end())
            continue;
        if (edit->second.categoryMask != plugin.categoryMask)
        {
            plugin.categoryMask = edit->second.categoryMask;
            changed = true;
        }
        if ((edit->second.favourite != 0) != plugin.favourite)
        {
            plugin.favourite = edit->second.favourite != 0;
            changed = true;
        }
    }
    if (changed)
        FavouritesFile::Write(FavouritesPath(), m_registered);
    return changed;
}
