#include "Core/BaseLib/AudioPlugins/PluginList.h"

#include "Core/BaseLib/AudioPlugins/CategoryTable.h"
#include "Main/StudioModel/ChannelFormat.h"

namespace
{
bool Contains(const std::wstring& text, const wchar_t* part)
{
    return text.find(part) != std::wstring::npos;
}

// A channel layout named in the plug-in's name that the track does not have.
bool NamesOtherLayout(const std::wstring& name, std::int32_t channels)
{
    if ((channels != 5 && Contains(name, L"5.0")) || (channels != 6 && Contains(name, L"5.1")) ||
        (channels != 8 && Contains(name, L"7.1")))
        return true;
    if (channels != 1 && (Contains(name, L"Mono") || Contains(name, L"(m)")))
        return true;
    return channels != 2 && (Contains(name, L"Stereo") || Contains(name, L"(s)") ||
                             Contains(name, L"m->s)") || Contains(name, L"s->m)"));
}
} // namespace

bool PluginListEntry::IsWidthCompatible(std::uint32_t channelFormat, std::int32_t channels) const
{
    if (const ChannelFormat* format = ChannelFormat::Find(channelFormat))
    {
        if (CategoryTable::Instance().IsAmbisonicMask(categoryMask) || Contains(name, L"Ambisonics"))
            return format->kind == ChannelFormat::kAmbisonic;
        if (Contains(name, L"LFE"))
            return format->HasLfe();
    }
    if (channels == width)
        return true;
    if (NamesOtherLayout(name, channels))
        return false;
    return channels <= width || width < 1;
}

void MergeVstLists(PluginList& list, const std::function<bool(const std::wstring& name)>& isVst3Name)
{
    PluginTypeList& merged = list["vst"];
    merged = list["vst3"];
    for (const auto& [id, entry] : list["vst2"])
    {
        if (isVst3Name(entry.name))
            continue;
        PluginListEntry& target = merged[id];
        target = entry;
        if (!Contains(target.name, L"[2.4]"))
            target.name += L" [2.4]";
    }
    list.erase("vst2");
    list.erase("vst3");
}
