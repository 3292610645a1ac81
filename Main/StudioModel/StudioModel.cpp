#include "Main/StudioModel/StudioModel.h"

#include "Main/StudioModel/IntParameterHandler.h"

StudioModel& StudioModel::Instance()
{
    static StudioModel model;
    return model;
}

StudioModel::StudioModel()
{
    // A fresh project is stereo; code 2 is the stereo channel format.
    m_trackSettings[kTrackChannelFormat] = 2;
    m_trackSettings[kBusChannelFormat] = 2;
}

std::int32_t StudioModel::Lookup(const std::map<std::int32_t, std::int32_t>& values, std::int32_t key)
{
    const auto found = values.find(key);
    return found == values.end() ? 0 : found->second;
}

// The model keeps no tracks: every track answers as an ordinary one.
std::int32_t StudioModel::TrackQuery(std::int32_t, std::int32_t) const
{
    return 0;
}

std::int32_t StudioModel::TrackSetting(std::int32_t, std::int32_t setting, std::int32_t) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return Lookup(m_trackSettings, setting);
}

std::int32_t StudioModel::GlobalSetting(std::int32_t setting) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return Lookup(m_globalSettings, setting);
}

std::uint32_t StudioModel::SampleRate() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_sampleRate;
}

std::int32_t StudioModel::FrameRateCode() const
{
    return kFrameRate25;
}

void StudioModel::SetTrackSetting(std::int32_t setting, std::int32_t value)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_trackSettings[setting] = value;
}

void StudioModel::SetGlobalSetting(std::int32_t setting, std::int32_t value)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_globalSettings[setting] = value;
}

void StudioModel::SetSampleRate(std::uint32_t rate)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_sampleRate = rate;
}

void StudioModel::RegisterIntParameter(std::int32_t parameter, const IntParameterHandler* handler,
                                       std::int32_t valueCount)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_intParameters[parameter] = IntParameter{handler, valueCount};
}

void StudioModel::UnregisterIntParameter(std::int32_t parameter)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_intParameters.erase(parameter);
}

std::int32_t StudioModel::IntParameterValueCount(std::int32_t parameter) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    const auto found = m_intParameters.find(parameter);
    return found == m_intParameters.end() ? 0 : found->second.valueCount;
}

std::wstring StudioModel::IntParameterText(std::int32_t parameter, std::int32_t value) const
{
    const IntParameterHandler* handler = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        const auto found = m_intParameters.find(parameter);
        if (found == m_intParameters.end())
            return {};
        handler = found->second.handler;
    }
    return handler->IntParameterText(parameter, value);
}
