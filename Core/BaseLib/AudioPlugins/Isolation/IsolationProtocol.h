#pragma once

#include <cstdint>

// What the host asks an isolated plug-in's process, one reply per request.
// Requests carry the arguments of the plug-in call of the same name; the
// reply carries its result.
enum class IsolationRequest : std::uint32_t
{
    Create = 1,
    Describe,
    SetSampleRate,
    SetBlockSize,
    SetBypassed,
    RequestFlush,
    StartProcessing,
    StopProcessing,
    SetParameter,
    GetParameter,
    GetParameterName,
    GetParameterFlags,
    GetParameterRecord,
    GetParameterDisplay,
    StepsToValue,
    ValueToSteps,
    GetParameterTable,
    ParameterGesture,
    StorePreset,
    LoadPreset,
    OpenEditor,
    CloseEditor,
    GetProgramName,
    SetMidiActive,
    CanDo,
    GetChannelName,
    UpdateSpeakerArrangement,
    SetChannelSelection,
    SetTotalSamples,
    Quit,
};

// Kinds of the frames that are not requests.
namespace IsolationFrame
{
constexpr std::uint32_t kReply = 0x100;
// Something the plug-in reported on its own; see IsolationNotice.
constexpr std::uint32_t kNotice = 0x200;
} // namespace IsolationFrame

// What a notice reports: the listener call of the same name.
enum class IsolationNotice : std::uint32_t
{
    ParameterGesture = 1,
    ParameterAutomated,
    BypassChanged,
    DisplayChanged,
    LatencyChanged,
    IOChanged,
};

// The isolated process's arguments: the descriptors it inherits.
namespace IsolationArguments
{
constexpr const char* kSocket = "--socket";
constexpr const char* kMemory = "--memory";
} // namespace IsolationArguments
