#include "Core/BaseLib/AudioPlugins/PluginHost.h"

#include "Core/BaseLib/AudioPlugins/AUHost.h"
#include "Core/BaseLib/AudioPlugins/AudioPlugin.h"
#include "Core/BaseLib/AudioPlugins/CategoryTable.h"
#include "Core/BaseLib/AudioPlugins/DummyAudioPlugin.h"
#include "Core/BaseLib/AudioPlugins/Event.h"
#include "Core/BaseLib/AudioPlugins/PlaceholderIdentifier.h"
#include "Core/BaseLib/AudioPlugins/PluginMenuBuilder.h"
#include "Core/BaseLib/AudioPlugins/TFDAudioPluginHost.h"
#include "Core/BaseLib/Debug.h"
#include "Core/BaseLib/ScanRequestFile.h"
#include "Main/Actions/Actions.h"
#include "Main/AudioEngineController/Effects/VST/VSTHost.h"
#include "Main/AudioEngineController/Effects/VST/VstConfigurationFile.h"
#include "Main/AudioEngineController/Effects/VST3/VST3ConfigurationFile.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Host.h"
#include "Main/StudioModel/ChannelFormat.h"
#include "Main/StudioModel/StudioModel.h"
#include "Main/VLib/VUI.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

// The metadata is compiled into the engine library; a static library's
// resources are registered only when something asks for them by name.
static void InitialisePluginResources()
{
    Q_INIT_RESOURCE(PluginMetadata);
}

namespace
{
constexpr const char* kChainPresetResources = ":/TFDAudioPlugins/TFDChainF/Presets";
constexpr int kShutdownScanWaitMs = 5000;

struct SplitIdentifier
{
    std::wstring scheme;
    std::wstring rest;

    explicit SplitIdentifier(const std::wstring& identifier)
    {
        const size_t colon = identifier.find(L':');
        if (colon == std::wstring::npos)
            rest = identifier;
        else
        {
            scheme = identifier.substr(0, colon);
            rest = identifier.substr(colon + 1);
        }
    }

    bool IsVst() const { return scheme.find(L"vst") != std::wstring::npos; }
};

const PluginListEntry* FindEntry(const std::string& typeKey, const std::wstring& id)
{
    const PluginList& list = AudioPluginHost::GetPluginList();
    const auto type = list.find(typeKey);
    if (type == list.end())
        return nullptr;
    const auto entry = type->second.find(id);
    return entry == type->second.end() ? nullptr : &entry->second;
}
} // namespace

PluginHost* PluginHost::GetInstance()
{
    static PluginHost* instance = new PluginHost;
    return instance;
}

PluginHost::PluginHost() : m_ownerThread(std::this_thread::get_id())
{
    InitialisePluginResources();
}

PluginHost::~PluginHost() = default;

VSTHost* PluginHost::Vst2()
{
    return VSTHost::GetInstance();
}

VST3Host* PluginHost::Vst3()
{
    return VST3Host::GetInstance();
}

TFDAudioPluginHost* PluginHost::Tfd()
{
    return TFDAudioPluginHost::GetInstance();
}

std::array<AudioPluginHost*, 4> PluginHost::SubHosts()
{
    return {Vst2(), Vst3(), &AUHost::Instance(), Tfd()};
}

std::array<AudioPluginHost*, 4> PluginHost::ScanOrder()
{
    return {Vst3(), Vst2(), &AUHost::Instance(), Tfd()};
}

bool PluginHost::Initialise(const std::wstring& preferencesRoot, const std::wstring& legacyRoot,
                            std::uint32_t sampleRate, std::int32_t blockSize)
{
    return InitialiseIn(preferencesRoot + L"/Effects", preferencesRoot, legacyRoot, sampleRate, blockSize);
}

bool PluginHost::InitialiseIn(const std::wstring& effectsFolder, const std::wstring& preferencesRoot,
                              const std::wstring& legacyRoot, std::uint32_t sampleRate,
                              std::int32_t blockSize)
{
    SetPreferencesRoot(preferencesRoot);
    m_effectsFolder = effectsFolder;
    if (!QDir().mkpath(EffectsFolder()) || !QFileInfo(EffectsFolder()).isWritable())
        DebugOut(L"PluginHost - The effects folder %ls cannot be written: no scan can keep its results there",
                 m_effectsFolder.c_str());
    MoveLegacyConfiguration(legacyRoot);
    TAutoLockCS lock(&m_lock);
    for (const auto& device : m_fixedDevices)
        device.second->SetBlockSize(std::uint32_t(blockSize));
    for (AudioPluginHost* host : SubHosts())
        host->Initialise(m_effectsFolder, std::wstring(), sampleRate, blockSize);
    StudioModel::Instance().RegisterIntParameter(kCategoryFilterParameter, this,
                                                 std::int32_t(GetCategoryNameList().size()));
    m_metadata.Clear();
    m_metadata.Load(PluginMetadata::Folders());
    m_isolation.Open(EffectsFolder());
    m_initialised = true;
    return true;
}

// Older versions kept the VST 2 results under another root.
void PluginHost::MoveLegacyConfiguration(const std::wstring& legacyRoot) const
{
    if (legacyRoot.empty())
        return;
    QDir legacyEffects(QString::fromStdWString(legacyRoot) + QStringLiteral("/Effects"));
    if (!legacyEffects.exists())
        return;
    const QString legacyFile = legacyEffects.filePath(QStringLiteral("FXConfiguration.xml"));
    if (QFileInfo::exists(legacyFile))
        QFile::rename(legacyFile, EffectsFolder() + QStringLiteral("/FXConfiguration.xml"));
    legacyEffects.removeRecursively();
}

bool PluginHost::Shutdown()
{
    m_initialised = false;
    StudioModel::Instance().UnregisterIntParameter(kCategoryFilterParameter);
    if (m_scanComplete)
    {
        m_scanComplete->Wait(kShutdownScanWaitMs);
        m_scanComplete.reset();
    }
    m_scanner.Stop();
    m_scanner.ReleaseLock();
    ReleaseAllPlaceholders();
    Vst2()->Shutdown();
    Vst3()->Shutdown();
    Tfd()->Shutdown();
    return true;
}

QMenu* PluginHost::BuildPluginMenu(std::int32_t track, std::int32_t channelSetting, QWidget* parent,
                                   bool includeChainPresets)
{
    return PluginMenuBuilder(m_menuData, PluginMenuFilter::ForTrack(track, channelSetting))
        .Build(track, parent, includeChainPresets);
}

void PluginHost::RefreshPluginList()
{
    PluginList& list = GetPluginList();
    Vst2()->FillPluginList(list["vst2"]);
    Vst3()->FillPluginList(list["vst3"]);
    MergeVstLists(list, [](const std::wstring& name) { return Vst3()->IsNameKnown(name); });
    m_isolation.MarkCrashed(list["vst"]);
    Tfd()->FillPluginList(list["tfd"]);
    ApplyMetadata();
    RefreshChainPresets();
    m_menuData.Rebuild(list);
}

void PluginHost::ApplyMetadata()
{
    m_refused.clear();
    m_metadata.ApplyCategories(GetPluginList());
    if (const PluginMetadata::TypeEntries* vst = m_metadata.Find("vst"))
        for (const auto& [id, entry] : *vst)
            Vst3()->SetMetadataWidth(id, entry.width);
}

QString PluginHost::ChainPresetFolder() const
{
    return QString::fromStdWString(PreferencesRoot()) + QStringLiteral("/Presets/PLUGIN/") +
           QString::fromStdWString(kChainPluginKey).replace(QLatin1Char(':'), QLatin1Char('_'));
}

void PluginHost::RefreshChainPresets()
{
    m_chainPresets.clear();
    const QDir resources(QString::fromLatin1(kChainPresetResources));
    QDirIterator shipped(resources.path(), QDir::Files, QDirIterator::Subdirectories);
    while (shipped.hasNext())
        m_chainPresets.insert(resources.relativeFilePath(shipped.next()).toStdWString());
    for (const QString& file : QDir(ChainPresetFolder()).entryList({QStringLiteral("*.dat")}, QDir::Files))
        m_chainPresets.insert(file.chopped(4).toStdWString());
    PluginTypeList& chain = GetPluginList()["chain"];
    chain.clear();
    for (const std::wstring& name : m_chainPresets)
    {
        PluginListEntry& entry = chain[std::wstring(kChainPluginKey) + L"@" + name];
        entry.name = name;
        entry.vendor = L"tfd";
        entry.categoryMask = CategoryTable::kChainFx;
    }
}

void PluginHost::ApplyPluginListEdits(const PluginList& edits)
{
    PluginList& list = GetPluginList();
    bool vst2Changed = false;
    bool vst3Changed = false;
    const auto vst = edits.find("vst");
    if (vst != edits.end())
    {
        bool vst2Rescan = false;
        bool vst3Rescan = false;
        vst2Changed = Vst2()->ApplyCatalogueEdits(vst->second, vst2Rescan);
        vst3Changed = Vst3()->ApplyCatalogueEdits(vst->second, vst3Rescan);
        m_rescanNeeded = m_rescanNeeded || vst2Rescan || vst3Rescan;
        list["vst"] = vst->second;
        m_isolation.ForgetReenabled(list["vst"]);
    }
    const auto tfd = edits.find("tfd");
    if (tfd != edits.end())
    {
        Tfd()->ApplyCatalogueEdits(tfd->second);
        list["tfd"] = tfd->second;
    }
    m_menuData.Rebuild(list);
    if (vst2Changed)
        Actions::Instance().DoAsyncAction(Actions::kReloadPlugins, true);
    else if (vst3Changed)
        Actions::Instance().DoAsyncAction(Actions::kPluginListChanged);
}

void PluginHost::SetFavourite(const std::wstring& identifier, bool on)
{
    const SplitIdentifier split(identifier);
    const std::string typeKey = split.IsVst() ? "vst" : split.scheme == L"tfd" ? "tfd" : "";
    if (typeKey.empty())
        return;
    PluginTypeList& list = GetPluginList()[typeKey];
    const auto entry = list.find(split.rest);
    if (entry != list.end())
        entry->second.favourite = on;
    bool rescan = false;
    if (typeKey == "tfd")
        Tfd()->ApplyCatalogueEdits(list);
    else if (Vst3()->KnowsPlugin(split.rest))
        Vst3()->ApplyCatalogueEdits(list, rescan);
    else if (Vst2()->KnowsPlugin(split.rest))
        Vst2()->ApplyCatalogueEdits(list, rescan);
    m_menuData.Rebuild(GetPluginList());
}

bool PluginHost::SetSampleRate(std::uint32_t rate)
{
    for (AudioPluginHost* host : SubHosts())
        host->SetSampleRate(rate);
    TAutoLockCS lock(&m_lock);
    for (const auto& device : m_fixedDevices)
        device.second->SetSampleRate(rate);
    return true;
}

// The VST 3 host takes the frame rate from the transport of each block.
bool PluginHost::SetFrameRate(std::int32_t frameRateCode)
{
    bool all = Vst2()->SetFrameRate(frameRateCode);
    all = AUHost::Instance().SetFrameRate(frameRateCode) && all;
    return Tfd()->SetFrameRate(frameRateCode) && all;
}

bool PluginHost::SetBlockSize(std::uint32_t frames)
{
    {
        TAutoLockCS lock(&m_lock);
        for (const auto& device : m_fixedDevices)
            device.second->SetBlockSize(frames);
    }
    for (AudioPluginHost* host : SubHosts())
        host->SetBlockSize(frames);
    return true;
}

bool PluginHost::Start()
{
    if (m_started)
        return false;
    m_started = true;
    return true;
}

bool PluginHost::End()
{
    m_started = false;
    TAutoLockCS lock(&m_lock);
    for (const auto& device : m_fixedDevices)
        delete device.second;
    m_fixedDevices.clear();
    return true;
}

void PluginHost::AddFixedDevice(const std::wstring& identifier, AudioPlugin* plugin)
{
    if (!plugin)
        return;
    TAutoLockCS lock(&m_lock);
    AudioPlugin*& slot = m_fixedDevices[identifier];
    if (slot != plugin)
        delete slot;
    slot = plugin;
}

AudioPlugin* PluginHost::FindFixedDevice(const std::wstring& identifier)
{
    TAutoLockCS lock(&m_lock);
    const auto found = m_fixedDevices.find(identifier);
    return found == m_fixedDevices.end() ? nullptr : found->second;
}

bool PluginHost::OnProcessingThread() const
{
    return m_processingThread == std::thread::id() || m_processingThread == std::this_thread::get_id();
}

bool PluginHost::UpdateTimeInfo(const TransportRecord& transport, bool offline)
{
    if (!m_initialised || !OnProcessingThread())
        return false;
    for (AudioPluginHost* host : SubHosts())
        host->UpdateTimeInfo(transport, offline);
    return true;
}

bool PluginHost::AdvanceTimeInfo()
{
    if (!m_initialised || !OnProcessingThread())
        return false;
    for (AudioPluginHost* host : SubHosts())
        host->AdvanceTimeInfo();
    return true;
}

AudioPlugin* PluginHost::LoadPlugin(const std::wstring& identifier, std::uint32_t blockSize,
                                    const PluginPlacement& placement)
{
    const SplitIdentifier split(identifier);
    if (m_refused.count(split.rest))
        return nullptr;
    AudioPlugin* plugin = nullptr;
    if (split.IsVst() && m_isolation.IsIsolated(split.rest))
        plugin = LoadIsolatedPlugin(identifier, blockSize, placement);
    else if (split.IsVst())
    {
        plugin = Vst3()->LoadPlugin(split.rest, blockSize, placement);
        if (!plugin)
            plugin = Vst2()->LoadPlugin(split.rest, blockSize, placement);
    }
    else if (split.scheme == L"tfd")
        plugin = Tfd()->LoadPlugin(split.rest, blockSize, placement);
    else if (split.scheme == L"chain")
        plugin = LoadChainPlugin(split.rest, blockSize, placement);
    else if (split.scheme == L"placeholder")
        plugin = TakePlaceholder(split.rest, blockSize);
    else
        plugin = FindFixedDevice(identifier);
    if (!plugin)
        DebugOut(L"PluginHost::LoadPlugin - Failed to Find Effect: %ls", identifier.c_str());
    return plugin;
}

AudioPlugin* PluginHost::LoadIsolatedPlugin(const std::wstring& identifier, std::uint32_t blockSize,
                                            const PluginPlacement& placement)
{
    const SplitIdentifier split(identifier);
    if (!split.IsVst())
        return nullptr;
    return m_isolation.Load(split.rest, float(Vst2()->SampleRate()),
                            blockSize ? blockSize : Vst2()->BlockSize(), placement);
}

void PluginHost::ReportIsolatedCrash(const std::wstring& identifier)
{
    const std::wstring id = SplitIdentifier(identifier).rest;
    PluginList edits;
    PluginTypeList& vst = edits["vst"] = GetPluginList()["vst"];
    const auto entry = vst.find(id);
    if (entry == vst.end())
        return;
    entry->second.state = PluginListEntry::State::Disabled;
    ApplyPluginListEdits(edits);
    m_isolation.SetCrashed(id, true);
    m_isolation.Save();
    m_isolation.MarkCrashed(GetPluginList()["vst"]);
}

AudioPlugin* PluginHost::LoadChainPlugin(const std::wstring& rest, std::uint32_t blockSize,
                                         const PluginPlacement& placement)
{
    const size_t at = rest.find(L'@');
    if (at == std::wstring::npos)
        return nullptr;
    AudioPlugin* plugin = Tfd()->LoadPlugin(rest.substr(0, at), blockSize, placement);
    if (!plugin)
        return nullptr;
    plugin->SetPresetFolder(ChainPresetFolder().toStdWString());
    plugin->SetPresetName(rest.substr(at + 1));
    return plugin;
}

// Each placeholder is handed out once: the slot that asks for it owns it.
AudioPlugin* PluginHost::TakePlaceholder(const std::wstring& key, std::uint32_t blockSize)
{
    TAutoLockCS lock(&m_lock);
    const auto found = m_placeholders.find(key);
    if (found == m_placeholders.end())
        return nullptr;
    DummyAudioPlugin* placeholder = found->second;
    placeholder->SetBlockSize(blockSize);
    m_placeholders.erase(found);
    return placeholder;
}

bool PluginHost::ReleasePlugin(AudioPlugin* plugin)
{
    if (!OnOwnerThread())
    {
        TAutoLockCS lock(&m_deferredLock);
        m_deferred.push_back(plugin);
        return true;
    }
    for (AudioPluginHost* host : SubHosts())
        if (host->ReleasePlugin(plugin))
            return true;
    if (IsFixedDevice(plugin))
        return false;
    delete plugin;
    return true;
}

bool PluginHost::IsFixedDevice(AudioPlugin* plugin)
{
    TAutoLockCS lock(&m_lock);
    for (const auto& device : m_fixedDevices)
        if (device.second == plugin)
            return true;
    return false;
}

bool PluginHost::KnowsPlugin(const std::wstring& identifier)
{
    const SplitIdentifier split(identifier);
    if (split.IsVst())
        return Vst3()->KnowsPlugin(split.rest) || Vst2()->KnowsPlugin(split.rest);
    return split.scheme == L"tfd" && Tfd()->KnowsPlugin(split.rest);
}

std::uint32_t PluginHost::CategoryMaskOf(const std::string& typeKey, const std::wstring& id)
{
    const PluginListEntry* entry = FindEntry(typeKey, id);
    return entry ? entry->categoryMask : 0;
}

std::wstring PluginHost::DisplayNameOf(const std::string& typeKey, const std::wstring& id) const
{
    const PluginListEntry* entry = FindEntry(typeKey, id);
    return entry ? entry->name : L"unknown";
}

// Instruments cannot go where the placement asks for a channel format.
bool PluginHost::CanInsertPlugin(const std::wstring& identifier, const PluginPlacement& placement,
                                 std::wstring& message)
{
    const SplitIdentifier split(identifier);
    const std::string typeKey = QString::fromStdWString(split.scheme).toStdString();
    if (placement.channelFormat != 0 && IsInstrumentMask(CategoryMaskOf(typeKey, split.rest)))
    {
        message.clear();
        return false;
    }
    return split.scheme != L"tfd" || Tfd()->CanInsertPlugin(split.rest, placement, message);
}

bool PluginHost::StopScan()
{
    for (AudioPluginHost* host : SubHosts())
        host->StopScan();
    return true;
}

// Never waits: the processing thread calls this while it works.
bool PluginHost::Poll()
{
    TAutoLockCS lock(&m_lock, true);
    if (lock.Locked())
        for (const auto& device : m_fixedDevices)
            device.second->Poll();
    for (AudioPluginHost* host : SubHosts())
        host->Poll();
    return true;
}

void PluginHost::DebugDump()
{
    TAutoLockCS lock(&m_lock);
    DebugOut("Fixed Devices");
    for (const auto& [identifier, device] : m_fixedDevices)
        DebugOut(L"%ls: -> %ls", identifier.c_str(), device->GetName().c_str());
}

std::wstring PluginHost::KeyOfIdentifier(const std::wstring& identifier)
{
    const SplitIdentifier split(identifier);
    return split.IsVst() || split.scheme == L"tfd" ? split.rest : identifier;
}

std::uint32_t PluginHost::CategoryMaskFromText(std::string& text)
{
    return CategoryTable::Instance().CategoryMaskFromText(text);
}

std::wstring PluginHost::MakePlaceholder(const std::wstring& suffix, std::int32_t channels,
                                         const PluginState& missing, std::uint32_t blockSize,
                                         const std::wstring& creationText, std::uint32_t mode)
{
    const PlaceholderIdentifier placeholder = PlaceholderIdentifier::From(missing.name, missing.identifier);
    const std::wstring key = placeholder.Key(suffix);
    TAutoLockCS lock(&m_lock);
    DummyAudioPlugin*& slot = m_placeholders[key];
    if (!slot)
        slot = new DummyAudioPlugin(placeholder.displayName, placeholder.prefix, placeholder.tail, missing,
                                    channels, blockSize, creationText, mode);
    return placeholder.Identifier(suffix);
}

void PluginHost::ReleaseAllPlaceholders()
{
    TAutoLockCS lock(&m_lock);
    for (const auto& placeholder : m_placeholders)
        delete placeholder.second;
    m_placeholders.clear();
}

void PluginHost::ReleaseDeferredPlugins()
{
    if (!OnOwnerThread())
        return;
    TAutoLockCS lock(&m_deferredLock);
    for (AudioPlugin* plugin : m_deferred)
        ReleasePlugin(plugin);
    m_deferred.clear();
}

bool PluginHost::IsInstrumentMask(std::uint32_t mask)
{
    return CategoryTable::Instance().IsInstrumentMask(mask);
}

bool PluginHost::IsAmbisonicMask(std::uint32_t mask)
{
    return CategoryTable::Instance().IsAmbisonicMask(mask);
}

std::int32_t PluginHost::ChannelCountOfFormat(std::uint32_t format)
{
    const ChannelFormat* found = ChannelFormat::Find(format);
    return found ? found->ChannelCount() : 0;
}

std::int64_t PluginHost::TimeBase()
{
    return StudioModel::Instance().TimeBase();
}

void PluginHost::SetProcessingThread(bool on)
{
    m_processingThread = on ? std::this_thread::get_id() : std::thread::id();
}

std::wstring PluginHost::IntParameterText(std::int32_t parameter, std::int32_t value) const
{
    const std::vector<std::string>& names = GetCategoryNameList();
    if (parameter != kCategoryFilterParameter || value < 0 || size_t(value) >= names.size())
        return {};
    return value == 0 ? L"Favourites" : QString::fromStdString(names[size_t(value)]).toStdWString();
}

QString PluginHost::ScanRequestPath() const
{
    return EffectsFolder() + QLatin1Char('/') + QLatin1String(ScanRequestFile::kFileName);
}

void PluginHost::WriteScanRequest()
{
    QStringList folders;
    for (const std::wstring& folder : Vst2()->GetFolderList())
        folders << QString::fromStdWString(folder);
    ScanRequestFile::Write(ScanRequestPath().toStdWString(), folders);
}

bool PluginHost::LaunchScanner(bool scan, bool inProcess)
{
    // Reloading takes crash markers over and rewrites results: never while
    // another process scans the same folder.
    std::shared_ptr<ScanLock> folderLock = inProcess ? nullptr : m_scanner.TakeLock(EffectsFolder());
    if (!inProcess && !folderLock)
        return false;
    if (!m_scanComplete)
        m_scanComplete = std::make_unique<qmx::Event>();
    m_scanComplete->Reset();
    for (AudioPluginHost* host : SubHosts())
        host->LoadKnownPlugins();
    WriteScanRequest();
    const bool separateProcess = scan && !inProcess && QFileInfo::exists(m_scanner.Path());
    if (separateProcess && !m_scanner.IsRunning())
    {
        for (AudioPluginHost* host : ScanOrder())
            host->LaunchScanner(false, true);
        Actions::Instance().DoAsyncAction(Actions::kPluginListChanged);
        StartScannerWorker(std::move(folderLock));
    }
    else if (!separateProcess)
    {
        for (AudioPluginHost* host : ScanOrder())
            host->LaunchScanner(scan, true);
        if (scan)
            Actions::Instance().DoAsyncAction(Actions::kPluginListChanged);
    }
    VUISetMessage(VUI::kStatusMessage, L"Plugin Scan Complete");
    m_scanComplete->Set();
    return true;
}

void PluginHost::StartScannerWorker(std::shared_ptr<ScanLock> folderLock)
{
    ScannerWorker::Hooks hooks{[this] { WriteScanRequest(); }, [this] { ReloadChangedConfigurations(); }};
    m_scanner.Start(
        ScanRequestPath(), EffectsFolder(),
        {QLatin1String(VstConfigurationFile::kFileName), QLatin1String(VST3ConfigurationFile::kFileName)},
        std::move(hooks), std::move(folderLock));
}

void PluginHost::ReloadChangedConfigurations()
{
    bool anyChanged = false;
    for (AudioPluginHost* host : SubHosts())
    {
        if (!host->ConfigurationChanged())
            continue;
        host->LoadKnownPlugins();
        host->LaunchScanner(false, true);
        anyChanged = true;
    }
    if (anyChanged)
        Actions::Instance().DoAsyncAction(Actions::kPluginListChanged);
}
