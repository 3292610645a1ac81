#pragma once

#include <cstdint>
#include <map>
#include <string>

class TFDAudioPluginHost;
class TFDPluginFactory;

// What the registry says of one in-house plug-in.
struct TFDRegisteredPlugin
{
    // Bits of flags.
    static constexpr std::uint32_t kHidden = 2 | 4;
    // Listed only while the studio model's visibility setting shows optional plug-ins.
    static constexpr std::uint32_t kOptional = 32;

    std::wstring name;
    std::uint32_t width = 0;
    bool favourite = false;
    // Runtime category mask.
    std::uint32_t categoryMask = 0;
    std::uint32_t flags = 0;
};

// Plug-in id to what the registry says of it.
using TFDRegisteredPlugins = std::map<std::wstring, TFDRegisteredPlugin>;

// The host application's component that lists and makes the in-house
// plug-ins. The scanner process has none.
class TFDPluginRegistry
{
public:
    virtual ~TFDPluginRegistry() = default;

    virtual void AttachHost(TFDAudioPluginHost* host) = 0;
    virtual void ListPlugins(TFDRegisteredPlugins& plugins) = 0;
    // Null for a key the registry does not know.
    virtual TFDPluginFactory* Find(const std::string& key) = 0;
};
