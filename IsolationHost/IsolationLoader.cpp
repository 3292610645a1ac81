#include "IsolationHost/IsolationLoader.h"

#include "Core/BaseLib/AudioPlugins/AudioPlugin.h"
#include "Main/AudioEngineController/Effects/VST/VSTHost.h"
#include "Main/AudioEngineController/Effects/VST/VstConfigurationFile.h"
#include "Main/AudioEngineController/Effects/VST3/VST3ConfigurationFile.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Host.h"

#include <QFile>

IsolationLoader::~IsolationLoader()
{
    if (m_plugin)
        m_host->ReleasePlugin(m_plugin);
}

bool IsolationLoader::CopyResults(const QString& effectsFolder)
{
    if (!m_folder.isValid())
        return false;
    for (const char* name : {VstConfigurationFile::kFileName, VST3ConfigurationFile::kFileName})
    {
        const QString from = effectsFolder + QLatin1Char('/') + QLatin1String(name);
        if (QFile::exists(from) && !QFile::copy(from, m_folder.filePath(QLatin1String(name))))
            return false;
    }
    return true;
}

AudioPlugin* IsolationLoader::Load(const std::wstring& identifier, const QString& effectsFolder,
                                   float sampleRate, std::uint32_t blockSize,
                                   const PluginPlacement& placement, std::wstring& failure)
{
    if (m_plugin || !CopyResults(effectsFolder))
    {
        failure = L"the plug-in's process could not read the catalogue";
        return nullptr;
    }
    const std::wstring folder = m_folder.path().toStdWString();
    // The catalogue's identifiers name the format list before the colon.
    const std::size_t colon = identifier.find(L':');
    const std::wstring key = colon == std::wstring::npos ? identifier : identifier.substr(colon + 1);
    // VST 3 first, as the catalogue does: its classes win over VST 2 plug-ins of the same name.
    VST3Host* vst3 = VST3Host::GetInstance();
    VSTHost* vst2 = VSTHost::GetInstance();
    // The wrappers ask the catalogue of the process about their plug-in;
    // here the format host answers, with nothing the catalogue would add.
    AudioPluginHost::SetCurrent(vst2);
    for (AudioPluginHost* host : {static_cast<AudioPluginHost*>(vst3), static_cast<AudioPluginHost*>(vst2)})
    {
        host->Initialise(folder, std::wstring(), std::uint32_t(sampleRate), std::int32_t(blockSize));
        host->LoadKnownPlugins();
        host->LaunchScanner(false, true);
    }
    m_plugin = vst3->LoadPlugin(key, blockSize, placement);
    m_host = vst3;
    if (!m_plugin)
    {
        m_plugin = vst2->LoadPlugin(key, blockSize, placement);
        m_host = vst2;
    }
    if (!m_plugin)
        failure = L"the plug-in could not be created in its own process";
    else if (const std::wstring refused = m_plugin->GetFailure(); !refused.empty())
        failure = refused;
    return failure.empty() ? m_plugin : nullptr;
}
