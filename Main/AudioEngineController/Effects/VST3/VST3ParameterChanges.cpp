#include "Main/AudioEngineController/Effects/VST3/VST3ParameterChanges.h"

#include "Main/AudioEngineController/Effects/VST3/VST3ParameterValueQueue.h"

VST3ParameterChanges::VST3ParameterChanges(vst3::int32 size)
{
    Resize(size);
}

VST3ParameterChanges::~VST3ParameterChanges()
{
    Resize(0);
}

vst3::IParamValueQueue* VST3ParameterChanges::getParameterData(vst3::int32 index)
{
    return index >= 0 && index < m_used ? m_pool[std::size_t(index)].Get() : nullptr;
}

vst3::IParamValueQueue* VST3ParameterChanges::addParameterData(const vst3::ParamID& id, vst3::int32& index)
{
    for (vst3::int32 used = 0; used < m_used; ++used)
        if (m_pool[std::size_t(used)]->getParameterId() == id)
        {
            index = used;
            return m_pool[std::size_t(used)].Get();
        }
    if (std::size_t(m_used) < m_pool.size())
        m_pool[std::size_t(m_used)]->Reset(id);
    else
        m_pool.emplace_back(new VST3ParameterValueQueue(id));
    index = m_used++;
    return m_pool[std::size_t(index)].Get();
}

void VST3ParameterChanges::Resize(vst3::int32 size)
{
    if (size < 0)
        return;
    while (m_pool.size() < std::size_t(size))
        m_pool.emplace_back(new VST3ParameterValueQueue(vst3::kNoParamId));
    while (m_pool.size() > std::size_t(size))
        m_pool.pop_back();
    if (m_used > size)
        m_used = size;
}
