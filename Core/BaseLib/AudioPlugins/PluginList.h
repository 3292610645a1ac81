#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

// One plug-in as the catalogue lists it for menus and browsers.
struct PluginListEntry
{
    // Hidden-entry bits of flags.
    static constexpr std::uint32_t kHidden = 2 | 4;
    static constexpr std::uint32_t kHiddenAbove48k = 16;

    std::wstring name;
    std::wstring vendor;
    // Whether the catalogue offers the plug-in. One that is not working
    // crashed, hung or failed to load, and no menu shows it.
    enum class State : std::uint32_t
    {
        Enabled = 0,
        Disabled = 1,
        NotWorking = 2,
    };

    State state = State::Enabled;
    // Runtime category mask; 0 means no category.
    std::uint32_t categoryMask = 0;
    // Channel width; below 1 means any.
    std::int32_t width = 0;
    std::uint32_t favourite = 0;
    std::uint32_t flags = 0;

    // Whether the plug-in suits a track of that channel format and count,
    // judged from its width, its category and the channel texts in its name.
    bool IsWidthCompatible(std::uint32_t channelFormat, std::int32_t channels) const;

    bool operator==(const PluginListEntry& other) const
    {
        return name == other.name && vendor == other.vendor && state == other.state &&
               categoryMask == other.categoryMask && width == other.width && favourite == other.favourite &&
               flags == other.flags;
    }
};

// Identifier (without scheme) to entry, for one type key.
using PluginTypeList = std::map<std::wstring, PluginListEntry>;
// Type key ("tfd", "vst", "chain"; "vst2" and "vst3" while being built) to its list.
using PluginList = std::map<std::string, PluginTypeList>;

// Folds the "vst2" and "vst3" lists into the one "vst" list the menus show:
// a VST 2 plug-in whose name a VST 3 class also has is left out, the others
// are marked " [2.4]".
void MergeVstLists(PluginList& list, const std::function<bool(const std::wstring& name)>& isVst3Name);
