#pragma once

#include <QByteArray>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

// A plug-in's stored settings: what StorePreset fills and LoadPreset takes,
// and what a placeholder keeps for a plug-in that cannot be created.
struct PluginState
{
    // State-flag bits.
    static constexpr std::uint32_t kBypassLike = 1;
    static constexpr std::uint32_t kWrapperFlag = 2;
    static constexpr std::uint32_t kOffset = 4;

    // The plug-in's own chunk when isChunk is 1, else the parameter list.
    QByteArray data;
    std::uint32_t isChunk = 0;
    std::string name;
    std::wstring identifier;
    std::int32_t editorLeft = 0;
    std::int32_t editorTop = 0;
    std::int32_t editorWidth = 0;
    std::int32_t editorHeight = 0;
    std::uint32_t flags = 0;
    std::uint64_t value = 0;
    std::string text;
    std::uint32_t values[2] = {};
    std::vector<std::string> parameterNames;
};
