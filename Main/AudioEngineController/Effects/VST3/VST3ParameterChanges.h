#pragma once

#include "Main/AudioEngineController/Effects/VST3/Abi/Processor.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Object.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Ptr.h"

#include <vector>

class VST3ParameterValueQueue;

// The parameter changes of one block. Queues are kept in a pool once made:
// clearing only forgets how many are in use, so a block that changes no more
// parameters than the pool holds allocates nothing.
class VST3ParameterChanges : public VST3Object<vst3::IParameterChanges>
{
public:
    explicit VST3ParameterChanges(vst3::int32 size);
    virtual ~VST3ParameterChanges();
    VST3ParameterChanges(const VST3ParameterChanges&) = delete;
    VST3ParameterChanges& operator=(const VST3ParameterChanges&) = delete;

    vst3::int32 getParameterCount() override { return m_used; }
    // The queues stay the container's: no reference is added.
    vst3::IParamValueQueue* getParameterData(vst3::int32 index) override;
    vst3::IParamValueQueue* addParameterData(const vst3::ParamID& id, vst3::int32& index) override;

    // A negative size is ignored.
    void Resize(vst3::int32 size);
    void Clear() { m_used = 0; }

private:
    std::vector<VST3Ptr<VST3ParameterValueQueue>> m_pool;
    vst3::int32 m_used = 0;
};
