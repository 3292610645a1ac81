#pragma once

#include "Main/AudioEngineController/Effects/VST3/Abi/Processor.h"

#include <atomic>
#include <memory>

// Carries parameter changes from the one thread that makes them to the one
// thread that hands them to the plug-in, without a lock: the producer moves
// only the write index, the consumer only the read index. One slot always
// stays free, so a full ring keeps its readable entries and lets the newest
// change overwrite the slot at the write index.
class VST3ParameterChangeTransfer
{
public:
    // Room for twice size entries.
    explicit VST3ParameterChangeTransfer(vst3::int32 size);
    virtual ~VST3ParameterChangeTransfer() = default;
    VST3ParameterChangeTransfer(const VST3ParameterChangeTransfer&) = delete;
    VST3ParameterChangeTransfer& operator=(const VST3ParameterChangeTransfer&) = delete;

    // A new capacity gets a new buffer; the indices stay as they were.
    void SetSize(vst3::int32 size);
    void AddChange(vst3::ParamID id, vst3::ParamValue value, vst3::int32 sampleOffset);
    bool GetNextChange(vst3::ParamID& id, vst3::ParamValue& value, vst3::int32& sampleOffset);
    // Empties the ring into changes.
    void TransferTo(vst3::IParameterChanges& changes);
    // Adds every point of changes to the ring.
    void TransferFrom(vst3::IParameterChanges& changes);

private:
    struct Change
    {
        vst3::ParamID id;
        vst3::ParamValue value;
        vst3::int32 sampleOffset;
    };

    vst3::int32 Next(vst3::int32 index) const { return index + 1 == m_capacity ? 0 : index + 1; }

    vst3::int32 m_capacity = 0;
    std::unique_ptr<Change[]> m_changes;
    std::atomic<vst3::int32> m_readIndex{0};
    std::atomic<vst3::int32> m_writeIndex{0};
};
