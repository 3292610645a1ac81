#include "Core/BaseLib/AudioPlugins/Isolation/PluginIsolation.h"

#include "Core/BaseLib/AudioPlugins/Isolation/IsolatedPlugin.h"

#include <QCoreApplication>
#include <QFile>
#include <memory>
#include <pugixml.hpp>

namespace
{
const char* const kRoot = "Isolation";
const char* const kDefault = "default";
const char* const kPlugin = "Plugin";
const char* const kCrashed = "Crashed";
const char* const kId = "id";
const char* const kIsolated = "isolated";

std::wstring IdOf(const pugi::xml_node& node)
{
    return QString::fromUtf8(node.attribute(kId).value()).toStdWString();
}

std::string Utf8(const std::wstring& text)
{
    return QString::fromStdWString(text).toStdString();
}

void AddPlugins(pugi::xml_node& root, const std::set<std::wstring>& ids, bool isolated)
{
    for (const std::wstring& id : ids)
    {
        pugi::xml_node node = root.append_child(kPlugin);
        node.append_attribute(kId) = Utf8(id).c_str();
        node.append_attribute(kIsolated) = isolated;
    }
}
} // namespace

void PluginIsolation::Open(const QString& effectsFolder)
{
    m_effectsFolder = effectsFolder;
    m_default = false;
    m_isolated.clear();
    m_inProcess.clear();
    m_crashed.clear();
    pugi::xml_document document;
    const QString path = effectsFolder + QLatin1Char('/') + QLatin1String(kFileName);
    if (!document.load_file(QFile::encodeName(path).constData()))
        return;
    const pugi::xml_node root = document.child(kRoot);
    m_default = root.attribute(kDefault).as_bool();
    for (const pugi::xml_node& plugin : root.children(kPlugin))
        (plugin.attribute(kIsolated).as_bool() ? m_isolated : m_inProcess).insert(IdOf(plugin));
    for (const pugi::xml_node& crashed : root.children(kCrashed))
        m_crashed.insert(IdOf(crashed));
}

bool PluginIsolation::Save() const
{
    pugi::xml_document document;
    pugi::xml_node root = document.append_child(kRoot);
    root.append_attribute(kDefault) = m_default;
    AddPlugins(root, m_isolated, true);
    AddPlugins(root, m_inProcess, false);
    for (const std::wstring& id : m_crashed)
        root.append_child(kCrashed).append_attribute(kId) = Utf8(id).c_str();
    const QString path = m_effectsFolder + QLatin1Char('/') + QLatin1String(kFileName);
    return document.save_file(QFile::encodeName(path).constData());
}

bool PluginIsolation::IsIsolated(const std::wstring& id) const
{
    if (m_isolated.count(id))
        return true;
    return m_default && !m_inProcess.count(id);
}

void PluginIsolation::SetIsolated(const std::wstring& id, bool on)
{
    (on ? m_isolated : m_inProcess).insert(id);
    (on ? m_inProcess : m_isolated).erase(id);
}

void PluginIsolation::SetCrashed(const std::wstring& id, bool crashed)
{
    if (crashed)
        m_crashed.insert(id);
    else
        m_crashed.erase(id);
}

void PluginIsolation::MarkCrashed(PluginTypeList& list) const
{
    for (const std::wstring& id : m_crashed)
    {
        const auto entry = list.find(id);
        if (entry != list.end())
            entry->second.state = PluginListEntry::State::NotWorking;
    }
}

void PluginIsolation::ForgetReenabled(const PluginTypeList& list)
{
    bool forgotten = false;
    for (const auto& [id, entry] : list)
        if (entry.state == PluginListEntry::State::Enabled)
            forgotten = m_crashed.erase(id) != 0 || forgotten;
    if (forgotten)
        Save();
}

QString PluginIsolation::HostProgram() const
{
    if (!m_hostProgram.isEmpty())
        return m_hostProgram;
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(kHostProgram);
}

AudioPlugin* PluginIsolation::Load(const std::wstring& id, float sampleRate, std::uint32_t blockSize,
                                   const PluginPlacement& placement) const
{
    auto plugin = std::make_unique<IsolatedPlugin>(QFile::encodeName(HostProgram()).toStdString(),
                                                   L"vst:" + id, m_effectsFolder.toStdWString());
    const bool created = plugin->Initialise(sampleRate, blockSize, placement);
    if (!created && plugin->GetFailure().empty())
        return nullptr;
    return plugin.release();
}
