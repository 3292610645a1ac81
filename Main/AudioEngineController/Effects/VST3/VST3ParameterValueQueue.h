#pragma once

#include "Main/AudioEngineController/Effects/VST3/Abi/Processor.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Object.h"

#include <vector>

// The changes of one parameter within one block, sorted by sample offset
// with at most one point per offset.
class VST3ParameterValueQueue : public VST3Object<vst3::IParamValueQueue>
{
public:
    explicit VST3ParameterValueQueue(vst3::ParamID id);
    virtual ~VST3ParameterValueQueue() = default;
    VST3ParameterValueQueue(const VST3ParameterValueQueue&) = delete;
    VST3ParameterValueQueue& operator=(const VST3ParameterValueQueue&) = delete;

    vst3::ParamID getParameterId() override { return m_id; }
    vst3::int32 getPointCount() override { return vst3::int32(m_points.size()); }
    vst3::tresult getPoint(vst3::int32 index, vst3::int32& sampleOffset, vst3::ParamValue& value) override;
    // A point at an offset already present replaces its value.
    vst3::tresult addPoint(vst3::int32 sampleOffset, vst3::ParamValue value, vst3::int32& index) override;

    // Reused for another parameter; the room reserved for points stays.
    void Reset(vst3::ParamID id);
    void Clear() { m_points.clear(); }

private:
    struct Point
    {
        vst3::ParamValue value;
        vst3::int32 sampleOffset;
    };

    vst3::ParamID m_id;
    std::vector<Point> m_points;
};
