#include "Core/BaseLib/AudioPlugins/DummyAudioPlugin.h"

#include <QString>
#include <algorithm>
#include <map>

DummyAudioPlugin::DummyAudioPlugin(std::wstring displayName, std::wstring prefix, std::wstring key,
                                   const PluginState& state, std::int32_t channels, std::uint32_t blockSize,
                                   std::wstring creationText, std::uint32_t mode)
    : m_prefix(std::move(prefix)), m_displayName(std::move(displayName)), m_key(std::move(key)),
      m_creationText(std::move(creationText)), m_state(state), m_mode(mode), m_channels(channels),
      m_blockSize(blockSize)
{
}

bool DummyAudioPlugin::Process(const TransportRecord&, float** inputs, float** outputs, std::uint32_t frames)
{
    if (frames == 0)
        frames = m_blockSize;
    if (frames == 0)
        return false;
    for (std::int32_t channel = 0; channel < m_channels; ++channel)
        if (inputs && outputs && inputs[channel] && outputs[channel])
            std::copy_n(inputs[channel], frames, outputs[channel]);
    return true;
}

std::wstring DummyAudioPlugin::GetDisplayName() const
{
    // In-house plug-ins that carry this prefix in their product name.
    static const std::map<std::wstring, std::wstring> kPrefixed = {
        {L"Voice Isolation", L"AI Voice Isolation"},
        {L"Dialogue Leveler", L"AI Dialogue Leveler"},
        {L"Dialogue Separator", L"AI Dialogue Separator"},
        {L"Music Remixer", L"AI Music Remixer"},
    };
    const auto found = kPrefixed.find(m_displayName);
    return found == kPrefixed.end() ? m_displayName : found->second;
}

bool DummyAudioPlugin::SetBlockSize(std::uint32_t frames)
{
    m_blockSize = frames;
    return true;
}

bool DummyAudioPlugin::SetBypassed(bool on)
{
    if (on)
        m_state.flags |= PluginState::kWrapperFlag;
    else
        m_state.flags &= ~PluginState::kWrapperFlag;
    return true;
}

bool DummyAudioPlugin::IsBypassed() const
{
    return m_state.flags & PluginState::kWrapperFlag;
}

std::int32_t DummyAudioPlugin::GetNumParameters()
{
    return std::int32_t(m_state.parameterNames.size());
}

std::wstring DummyAudioPlugin::GetParameterName(std::int32_t index)
{
    if (index < 0 || index >= GetNumParameters())
        return {};
    return QString::fromStdString(m_state.parameterNames[size_t(index)]).toStdWString();
}

bool DummyAudioPlugin::StorePreset(PluginState& state)
{
    state = m_state;
    return true;
}

std::wstring DummyAudioPlugin::GetInputName(std::int32_t index)
{
    return IsInHouse() ? NumberedChannelName(L"In", index) : AudioPlugin::GetInputName(index);
}

std::wstring DummyAudioPlugin::GetOutputName(std::int32_t index)
{
    return IsInHouse() ? NumberedChannelName(L"Out", index) : AudioPlugin::GetOutputName(index);
}
