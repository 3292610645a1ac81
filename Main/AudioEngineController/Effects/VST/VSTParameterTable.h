#pragma once

#include "Core/BaseLib/AudioPlugins/AudioPluginParameter.h"
#include "Main/AudioEngineController/Effects/VST/Abi/Effect.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

class VSTDispatcher;

// A VST 2 plug-in's parameters as the engine shows and automates them. VST 2
// says nothing of a parameter's kind, so the table classifies each one as
// continuous, switch, list or fixed from its properties and from its texts
// across the range. Values go straight to the plug-in; a fixed parameter is
// never set by the wrapper.
class VSTParameterTable
{
public:
    // Follows the wrapper's effect pointer and calls through its dispatcher.
    VSTParameterTable(AEffect* const& effect, VSTDispatcher& dispatcher)
        : m_effect(effect), m_dispatcher(dispatcher)
    {
    }

    // The count the wrapper works with, taken in when it captures the plug-in's counts.
    void SetCount(std::int32_t count) { m_count = count; }
    // Classifies every parameter; moves them across their range, so the
    // caller keeps the plug-in's state aside. fixedNames may be null.
    void Build(const std::set<std::wstring>* fixedNames, const std::wstring& vendor);

    std::int32_t GetNumParameters() const;
    std::wstring GetParameterName(std::int32_t index);
    std::uint32_t GetParameterFlags(std::int32_t index) const;
    bool SetParameter(std::int32_t index, float value);
    float GetParameter(std::int32_t index);
    AudioPluginParameter GetParameterRecord(std::int32_t index);
    // The text of the parameter's current value.
    std::wstring GetParameterDisplay(std::int32_t index);
    float StepsToValue(std::int32_t index, std::uint32_t steps) const;
    std::uint32_t ValueToSteps(std::int32_t index, float value) const;
    void GetParameterTable(std::vector<AudioPluginParameter>& table);

private:
    AudioPluginParameter DescribeParameter(std::int32_t index, const std::set<std::wstring>* fixedNames,
                                           const std::wstring& vendor);
    void Classify(AudioPluginParameter& parameter, std::int32_t index,
                  const std::set<std::wstring>* fixedNames, const std::wstring& vendor);
    std::vector<std::wstring> SweepDisplayTexts(std::int32_t index);
    std::wstring ParameterText(VstInt32 opcode, std::int32_t index);
    void Refreshed(AudioPluginParameter& parameter, std::int32_t index);
    bool IsListed(std::int32_t index) const;

    AEffect* const& m_effect;
    VSTDispatcher& m_dispatcher;
    std::int32_t m_count = 0;
    std::vector<AudioPluginParameter> m_parameters;
    std::set<std::int32_t> m_ignoredParameters;
};
