#pragma once

#include "Core/BaseLib/AudioPlugins/AudioPluginParameter.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Controller.h"

class VST3Guard;

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The parameters of a plug-in that the engine shows and automates, in the
// engine's order: grouped by unit, units in ascending order, parameters in
// the controller's order within a unit. Bypass, read-only, hidden and
// program-change parameters, and those whose titles mark them as reserved
// or as MIDI plumbing, are left out; the bypass parameter is kept apart.
class VST3ParameterList
{
public:
    // Every call into the controller runs through the guard. A parameter
    // count past our limit is refused with a VST3Refusal; a step count past
    // ours makes the parameter continuous.
    void Build(VST3Guard& guard, vst3::IEditController& controller);

    std::int32_t Count() const { return std::int32_t(m_listed.size()); }
    bool Holds(std::int32_t index) const { return index >= 0 && index < Count(); }
    // index must be below Count().
    const vst3::ParameterInfo& Info(std::int32_t index) const { return m_listed[std::size_t(index)]; }
    // -1 for a parameter that is not listed.
    std::int32_t IndexOf(vst3::ParamID id) const;
    bool HasBypass() const { return m_hasBypass; }
    vst3::ParamID BypassId() const { return m_bypassId; }
    // Whether the bypass parameter was on when the list was built.
    bool BypassWasOn() const { return m_bypassOn; }

    // The engine's descriptor of a listed parameter, with its current value
    // and display texts.
    AudioPluginParameter Describe(std::int32_t index, VST3Guard& guard,
                                  vst3::IEditController& controller) const;
    // The engine's flags, steps and values of a parameter; 0 for an index
    // that is not listed.
    std::uint32_t Flags(std::int32_t index) const;
    float StepsToValue(std::int32_t index, std::uint32_t steps) const;
    std::uint32_t ValueToSteps(std::int32_t index, float value) const;
    // The controller's text for a value; empty when it has none.
    static std::wstring Display(VST3Guard& guard, vst3::IEditController& controller, vst3::ParamID id,
                                double value);
    // Steps of a parameter: 10000 for a continuous control, 1 for a switch,
    // n for a list of n + 1 values.
    static std::uint32_t Range(const vst3::ParameterInfo& info, std::uint32_t& kind);
    static bool IsListed(const vst3::ParameterInfo& info);
    // Track and object parameters carry long prefixes; only what tells them
    // apart is shown.
    static std::u16string ShortTitle(const std::u16string& title);
    static std::wstring Title(const vst3::ParameterInfo& info);

private:
    std::vector<vst3::ParameterInfo> m_listed;
    std::map<vst3::ParamID, std::int32_t> m_indices;
    bool m_hasBypass = false;
    vst3::ParamID m_bypassId = vst3::kNoParamId;
    bool m_bypassOn = false;
};
