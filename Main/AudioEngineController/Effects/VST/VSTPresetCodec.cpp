#include "Main/AudioEngineController/Effects/VST/VSTPresetCodec.h"

#include "Core/BaseLib/SDebug.h"
#include "Main/AudioEngineController/Effects/VST/VSTBounds.h"
#include "Main/AudioEngineController/Effects/VST/VSTDispatcher.h"
#include "Main/AudioEngineController/Effects/VST/VSTParameterTable.h"

#include <QString>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
constexpr VstInt32 kProgramChunk = 1;

// Stored parameter lists: the version, the count, then one entry each.
constexpr std::uint32_t kParameterListVersion = 2;
constexpr std::uint32_t kWideParameterListVersion = 1;
constexpr int kParameterEntryBytes = 68;
constexpr int kParameterNameBytes = 64;
constexpr int kWideNameCharacters = 32;

bool TraceDispatch()
{
    return g_vstDispatchDebug.Level & 1;
}

std::wstring StoredName(const char* entry, bool wide)
{
    if (!wide)
        return QString::fromUtf8(entry, int(strnlen(entry, kParameterNameBytes))).toStdWString();
    char16_t text[kWideNameCharacters];
    std::memcpy(text, entry, sizeof text);
    return QString::fromUtf16(text, int(std::find(text, text + kWideNameCharacters, u'\0') - text))
        .toStdWString();
}
} // namespace

bool VSTPresetCodec::KeepsChunks() const
{
    return m_effect && (m_effect->flags & effFlagsProgramChunks);
}

bool VSTPresetCodec::StoreChunk(PluginState& state)
{
    if (TraceDispatch())
        g_vstDispatchDebug.Debug("VSTPlugin::StorePreset - EFFECT SUPPORTS CHUNKS");
    void* chunk = nullptr;
    const VstIntPtr size = m_dispatcher.At(effGetChunk, kProgramChunk, 0, &chunk);
    if (size < 2 && TraceDispatch())
        g_vstDispatchDebug.Debug("VSTPlugin::StorePreset - FAILED");
    if (size == 0)
        return false;
    if (size >= 2 && chunk)
    {
        if (!VSTBounds::CopyChunk(chunk, size, state.data))
            return false;
        state.isChunk = 1;
    }
    return true;
}

void VSTPresetCodec::SendChunk(const PluginState& state)
{
    m_dispatcher.Ask(effBeginSetProgram, 0, 0, nullptr);
    m_dispatcher.Ask(effSetChunk, kProgramChunk, state.data.size(),
                     const_cast<char*>(state.data.constData()));
    m_dispatcher.Ask(effEndSetProgram, 0, 0, nullptr);
}

void VSTPresetCodec::StoreParameterList(PluginState& state)
{
    const std::int32_t count = m_parameters.GetNumParameters();
    state.isChunk = 0;
    state.data = QByteArray(int(8 + size_t(count) * kParameterEntryBytes), '\0');
    char* bytes = state.data.data();
    const std::uint32_t header[2] = {kParameterListVersion, std::uint32_t(count)};
    std::memcpy(bytes, header, sizeof header);
    for (std::int32_t index = 0; index < count; ++index)
    {
        char* entry = bytes + 8 + size_t(index) * kParameterEntryBytes;
        const QByteArray name = QString::fromStdWString(m_parameters.GetParameterName(index)).toUtf8();
        std::memcpy(entry, name.constData(), std::min(name.size(), kParameterNameBytes - 1));
        const float value = m_parameters.GetParameter(index);
        std::memcpy(entry + kParameterNameBytes, &value, sizeof value);
    }
    if (TraceDispatch())
    {
        g_vstDispatchDebug.Debug("VSTPlugin::StorePreset - EFFECT DOES NOT SUPPORTS CHUNKS");
        g_vstDispatchDebug.Debug("VSTPlugin::StorePreset - Storing %d Parameters", count);
    }
}

// Entries are matched by name and applied by position: a list stored by
// an older version of the plug-in keeps its place even where names moved.
bool VSTPresetCodec::LoadParameterList(const PluginState& state)
{
    const QByteArray& data = state.data;
    if (data.size() < 8)
        return false;
    std::uint32_t header[2];
    std::memcpy(header, data.constData(), sizeof header);
    if (header[0] != kParameterListVersion && header[0] != kWideParameterListVersion)
        return false;
    const bool wide = header[0] == kWideParameterListVersion;
    std::vector<std::wstring> names;
    for (std::int32_t index = 0; index < m_parameters.GetNumParameters(); ++index)
        names.push_back(m_parameters.GetParameterName(index));
    // A list stored by a version of the plug-in with more parameters, or a
    // truncated one, never reaches past what either side has.
    const std::uint32_t count = std::min(
        {header[1], std::uint32_t((data.size() - 8) / kParameterEntryBytes), std::uint32_t(names.size())});
    for (std::uint32_t position = 0; position < count; ++position)
    {
        const char* entry = data.constData() + 8 + position * kParameterEntryBytes;
        const std::wstring stored = StoredName(entry, wide);
        const auto matches = [&](const std::wstring& name)
        { return wide ? name.substr(0, kWideNameCharacters) == stored : name == stored; };
        if (std::none_of(names.begin(), names.end(), matches))
            continue;
        float value;
        std::memcpy(&value, entry + kParameterNameBytes, sizeof value);
        m_parameters.SetParameter(std::int32_t(position), VSTBounds::Normalised(value));
    }
    return true;
}

void VSTPresetCodec::StoreWrapperState(const WrapperState& wrapper, PluginState& state)
{
    state.editorLeft = wrapper.editorRect.left();
    state.editorTop = wrapper.editorRect.top();
    state.editorWidth = wrapper.editorRect.width();
    state.editorHeight = wrapper.editorRect.height();
    state.flags = (wrapper.bypassed ? PluginState::kWrapperFlag : 0) |
                  (wrapper.bypassLike ? PluginState::kBypassLike : 0);
    if (wrapper.offset)
        state.flags |= PluginState::kOffset | (std::uint32_t(std::abs(wrapper.offsetValue)) << 16);
}

VSTPresetCodec::WrapperState VSTPresetCodec::ReadWrapperState(const PluginState& state)
{
    WrapperState wrapper;
    wrapper.editorRect =
        QRect(QPoint(state.editorLeft, state.editorTop),
              QPoint(state.editorLeft + state.editorWidth - 1, state.editorTop + state.editorHeight - 1));
    wrapper.bypassLike = state.flags & PluginState::kBypassLike;
    wrapper.bypassed = state.flags & PluginState::kWrapperFlag;
    wrapper.offset = state.flags & PluginState::kOffset;
    wrapper.offsetValue = wrapper.offset ? -std::int32_t((state.flags >> 16) & 0xFFFF) : -100;
    return wrapper;
}
