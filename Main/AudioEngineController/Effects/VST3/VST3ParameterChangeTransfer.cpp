#include "Main/AudioEngineController/Effects/VST3/VST3ParameterChangeTransfer.h"

VST3ParameterChangeTransfer::VST3ParameterChangeTransfer(vst3::int32 size)
{
    SetSize(size);
}

void VST3ParameterChangeTransfer::SetSize(vst3::int32 size)
{
    const vst3::int32 capacity = 2 * size;
    if (capacity == m_capacity)
        return;
    m_capacity = capacity;
    m_changes.reset(capacity > 0 ? new Change[std::size_t(capacity)] : nullptr);
}

void VST3ParameterChangeTransfer::AddChange(vst3::ParamID id, vst3::ParamValue value,
                                            vst3::int32 sampleOffset)
{
    if (!m_changes)
        return;
    const vst3::int32 write = m_writeIndex.load(std::memory_order_relaxed);
    m_changes[std::size_t(write)] = Change{id, value, sampleOffset};
    const vst3::int32 next = Next(write);
    if (next != m_readIndex.load(std::memory_order_acquire))
        m_writeIndex.store(next, std::memory_order_release);
}

bool VST3ParameterChangeTransfer::GetNextChange(vst3::ParamID& id, vst3::ParamValue& value,
                                                vst3::int32& sampleOffset)
{
    if (!m_changes)
        return false;
    const vst3::int32 read = m_readIndex.load(std::memory_order_relaxed);
    if (read == m_writeIndex.load(std::memory_order_acquire))
        return false;
    const Change& change = m_changes[std::size_t(read)];
    id = change.id;
    value = change.value;
    sampleOffset = change.sampleOffset;
    m_readIndex.store(Next(read), std::memory_order_release);
    return true;
}

void VST3ParameterChangeTransfer::TransferTo(vst3::IParameterChanges& changes)
{
    vst3::ParamID id = 0;
    vst3::ParamValue value = 0.0;
    vst3::int32 sampleOffset = 0;
    while (GetNextChange(id, value, sampleOffset))
    {
        vst3::int32 index = 0;
        if (vst3::IParamValueQueue* queue = changes.addParameterData(id, index))
            queue->addPoint(sampleOffset, value, index);
    }
}

void VST3ParameterChangeTransfer::TransferFrom(vst3::IParameterChanges& changes)
{
    const vst3::int32 count = changes.getParameterCount();
    for (vst3::int32 index = 0; index < count; ++index)
    {
        vst3::IParamValueQueue* queue = changes.getParameterData(index);
        if (!queue)
            continue;
        const vst3::int32 points = queue->getPointCount();
        for (vst3::int32 point = 0; point < points; ++point)
        {
            vst3::int32 sampleOffset = 0;
            vst3::ParamValue value = 0.0;
            if (queue->getPoint(point, sampleOffset, value) == vst3::kResultOk)
                AddChange(queue->getParameterId(), value, sampleOffset);
        }
    }
}
