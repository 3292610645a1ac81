#include "Core/BaseLib/AudioPlugins/AudioPlugin.h"

#include "Main/StudioModel/ChannelFormat.h"

#include <QString>
#include <map>

namespace
{
bool Contains(const std::wstring& text, const wchar_t* part)
{
    return text.find(part) != std::wstring::npos;
}

using ParameterNames = std::map<std::wstring, std::set<std::wstring>>;

const ParameterNames& SpecialParameterTable()
{
    static const ParameterNames table = {
        {L"NUGEN Stereoizer3", {L"Dynamics Shape"}},
        {L"Altiverb 7", {L"IR Autom"}},
        {L"SoundField By RODE", {L"InputFormat", L"OutputFormat"}},
        {L"SurCode for Dolby E Decoder", {L"serialPortIndex"}},
    };
    return table;
}
} // namespace

AudioPlugin::AudioPlugin()
{
    m_editorRect.setLeft(-1);
    m_editorRect.setTop(-1);
}

bool AudioPlugin::Initialise(float, std::uint32_t, const PluginPlacement&)
{
    return true;
}

bool AudioPlugin::NameContains(const wchar_t* text) const
{
    return Contains(GetName(), text);
}

bool AudioPlugin::VendorContains(const wchar_t* text) const
{
    return Contains(GetVendor(), text);
}

bool AudioPlugin::IsNotSurroundZone() const
{
    return !NameContains(L"SurroundZone");
}

bool AudioPlugin::IsReaPlugsOrFlux() const
{
    return NameContains(L"ReaPlugs") || VendorContains(L"FLUX");
}

bool AudioPlugin::IsIZotopeOrWaves() const
{
    return VendorContains(L"iZotope") || VendorContains(L"Waves");
}

bool AudioPlugin::RestartsOnPositionJump() const
{
    for (const wchar_t* name : {L"De-noise", L"Clean-Up Assistant", L"Krotos", L"360 WalkMix"})
        if (NameContains(name))
            return false;
    return true;
}

bool AudioPlugin::IsNotAbDecode() const
{
    return !NameContains(L"ab Decode");
}

bool AudioPlugin::IsNotWalkMixCreator() const
{
    return !NameContains(L"360 WalkMix Creator");
}

const std::set<std::wstring>* AudioPlugin::SpecialParameterNames() const
{
    const ParameterNames& table = SpecialParameterTable();
    const auto found = table.find(GetName());
    return found == table.end() ? nullptr : &found->second;
}

bool AudioPlugin::GetOffset(bool& enabled, std::int32_t& value) const
{
    enabled = m_offsetEnabled;
    value = m_offsetValue;
    return true;
}

void AudioPlugin::SetOffset(bool enabled, std::int32_t value)
{
    m_offsetEnabled = enabled;
    m_offsetValue = value;
}

std::int32_t AudioPlugin::GetEditorRect(QRect& rect, bool& bypassLike)
{
    rect = m_editorRect;
    bypassLike = m_bypassLike;
    return 1;
}

std::wstring AudioPlugin::GetInputName(std::int32_t index)
{
    return ChannelName(L"In", index, GetNumInputs());
}

std::wstring AudioPlugin::GetOutputName(std::int32_t index)
{
    return ChannelName(L"Out", index, GetNumOutputs());
}

std::wstring AudioPlugin::ChannelName(const wchar_t* stem, std::int32_t index, std::int32_t channels)
{
    if (index >= 8 || channels >= 9)
        return NumberedChannelName(stem, index);
    const ChannelFormat* format = channels > 0 ? ChannelFormat::Find(std::uint32_t(channels)) : nullptr;
    if (format && index >= 0 && index < format->ChannelCount())
        return std::wstring(stem) + L" " + format->channels[size_t(index)].name;
    return stem;
}

std::wstring AudioPlugin::NumberedChannelName(const wchar_t* stem, std::int32_t index)
{
    return QString::fromWCharArray(stem).append(QStringLiteral(" %1")).arg(index + 1).toStdWString();
}
