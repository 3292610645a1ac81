#pragma once

#include "Main/AudioEngineController/Effects/VST3/Abi/Events.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Object.h"

#include <memory>

// The events of one block in a buffer of fixed size: events past its end
// are dropped, so collecting them never allocates.
class VST3EventList : public VST3Object<vst3::IEventList>
{
public:
    explicit VST3EventList(vst3::int32 capacity);
    virtual ~VST3EventList() = default;
    VST3EventList(const VST3EventList&) = delete;
    VST3EventList& operator=(const VST3EventList&) = delete;

    vst3::int32 getEventCount() override { return m_count; }
    vst3::tresult getEvent(vst3::int32 index, vst3::Event& e) override;
    vst3::tresult addEvent(vst3::Event& e) override;

    // A new buffer; the count is left as it was.
    void SetMaximumSize(vst3::int32 capacity);
    // Null past the last event.
    vst3::Event* EventAt(vst3::int32 index);
    void Clear() { m_count = 0; }

private:
    std::unique_ptr<vst3::Event[]> m_events;
    vst3::int32 m_capacity = 0;
    vst3::int32 m_count = 0;
};
