#include "Main/AudioEngineController/Effects/VST3/VST3ParameterValueQueue.h"

namespace
{
// A block rarely carries more points for one parameter.
constexpr std::size_t kReservedPoints = 5;
} // namespace

VST3ParameterValueQueue::VST3ParameterValueQueue(vst3::ParamID id) : m_id(id)
{
    m_points.reserve(kReservedPoints);
}

vst3::tresult VST3ParameterValueQueue::getPoint(vst3::int32 index, vst3::int32& sampleOffset,
                                                vst3::ParamValue& value)
{
    if (index < 0 || index >= getPointCount())
        return vst3::kResultFalse;
    sampleOffset = m_points[std::size_t(index)].sampleOffset;
    value = m_points[std::size_t(index)].value;
    return vst3::kResultOk;
}

vst3::tresult VST3ParameterValueQueue::addPoint(vst3::int32 sampleOffset, vst3::ParamValue value,
                                                vst3::int32& index)
{
    auto point = m_points.begin();
    while (point != m_points.end() && point->sampleOffset < sampleOffset)
        ++point;
    index = vst3::int32(point - m_points.begin());
    if (point != m_points.end() && point->sampleOffset == sampleOffset)
        point->value = value;
    else
        m_points.insert(point, Point{value, sampleOffset});
    return vst3::kResultOk;
}

void VST3ParameterValueQueue::Reset(vst3::ParamID id)
{
    m_id = id;
    m_points.clear();
}
