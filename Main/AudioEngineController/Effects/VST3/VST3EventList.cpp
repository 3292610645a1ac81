#include "Main/AudioEngineController/Effects/VST3/VST3EventList.h"

VST3EventList::VST3EventList(vst3::int32 capacity)
{
    SetMaximumSize(capacity);
}

vst3::tresult VST3EventList::getEvent(vst3::int32 index, vst3::Event& e)
{
    const vst3::Event* event = EventAt(index);
    if (!event)
        return vst3::kResultFalse;
    e = *event;
    return vst3::kResultOk;
}

vst3::tresult VST3EventList::addEvent(vst3::Event& e)
{
    if (m_count >= m_capacity)
        return vst3::kResultFalse;
    m_events[std::size_t(m_count++)] = e;
    return vst3::kResultOk;
}

void VST3EventList::SetMaximumSize(vst3::int32 capacity)
{
    m_capacity = capacity > 0 ? capacity : 0;
    m_events.reset(m_capacity > 0 ? new vst3::Event[std::size_t(m_capacity)] : nullptr);
}

vst3::Event* VST3EventList::EventAt(vst3::int32 index)
{
    return index >= 0 && index < m_count && index < m_capacity ? &m_events[std::size_t(index)] : nullptr;
}
