#include "Core/BaseLib/AudioPlugins/PluginMenuFilter.h"

#include "Main/StudioModel/ChannelFormat.h"
#include "Main/StudioModel/StudioModel.h"

PluginMenuFilter PluginMenuFilter::ForTrack(std::int32_t track, std::int32_t channelSetting)
{
    const StudioModel& model = StudioModel::Instance();
    const bool bus = model.TrackQuery(track, StudioModel::kTrackKind) == StudioModel::kBusTrack;
    PluginMenuFilter filter;
    filter.channelFormat = std::uint32_t(model.TrackSetting(
        track, bus ? StudioModel::kBusChannelFormat : StudioModel::kTrackChannelFormat, channelSetting));
    const ChannelFormat* format = ChannelFormat::Find(filter.channelFormat);
    filter.channels = format ? format->ChannelCount() : 0;
    filter.widthFiltering = model.GlobalSetting(StudioModel::kPluginWidthFiltering) != 0;
    filter.sampleRate = model.SampleRate();
    return filter;
}

bool PluginMenuFilter::Shows(const PluginListEntry& entry) const
{
    if (entry.flags & PluginListEntry::kHidden)
        return false;
    // Plug-ins that only work up to 48000 Hz.
    if ((entry.flags & PluginListEntry::kHiddenAbove48k) && sampleRate > 48000)
        return false;
    if (entry.state == PluginListEntry::State::NotWorking)
        return false;
    return !widthFiltering || entry.IsWidthCompatible(channelFormat, channels);
}
