#include "Core/BaseLib/AudioPlugins/AudioPluginHost.h"

#include "Core/BaseLib/AudioPlugins/AudioPlugin.h"
#include "Core/BaseLib/AudioPlugins/CategoryTable.h"
#include "Core/BaseLib/Debug.h"

#include <QString>
#include <mutex>

namespace
{
AudioPluginHost* g_current = nullptr;
std::mutex g_rootLock;
std::wstring g_preferencesRoot;
} // namespace

AudioPluginHost* AudioPluginHost::Current()
{
    AudioPluginHost* _this = g_current;
    if (!_this)
        ReportAssertion(L"0 != _this", L"Core\\BaseLib\\AudioPlugins", __LINE__);
    return _this;
}

void AudioPluginHost::SetCurrent(AudioPluginHost* host)
{
    g_current = host;
}

PluginList& AudioPluginHost::GetPluginList()
{
    static PluginList list;
    return list;
}

const std::vector<std::string>& AudioPluginHost::GetCategoryNameList()
{
    return CategoryTable::Instance().NameList();
}

std::uint32_t AudioPluginHost::FileMaskToRuntime(std::uint32_t fileMask)
{
    return CategoryTable::Instance().FileMaskToRuntime(fileMask);
}

std::uint32_t AudioPluginHost::RuntimeMaskToFile(std::uint32_t runtimeMask)
{
    return CategoryTable::Instance().RuntimeMaskToFile(runtimeMask);
}

std::wstring AudioPluginHost::PreferencesRoot()
{
    std::lock_guard<std::mutex> lock(g_rootLock);
    return g_preferencesRoot;
}

void AudioPluginHost::SetPreferencesRoot(const std::wstring& root)
{
    std::lock_guard<std::mutex> lock(g_rootLock);
    g_preferencesRoot = root;
}

std::wstring AudioPluginHost::GetPresetFilePath(AudioPlugin* plugin, const std::wstring& presetName)
{
    if (!plugin)
        return {};
    const QString key =
        QString::fromStdWString(plugin->GetIdentifierKey()).replace(QLatin1Char(':'), QLatin1Char('_'));
    return (QString::fromStdWString(PreferencesRoot()) + QStringLiteral("/Presets/PLUGIN/") + key +
            QLatin1Char('/') + QString::fromStdWString(presetName) + QStringLiteral(".dat"))
        .toStdWString();
}
