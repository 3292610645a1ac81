#include "Main/AudioEngineController/Effects/VST/VSTParameterTable.h"

#include "Main/AudioEngineController/Effects/VST/Abi/Parameters.h"
#include "Main/AudioEngineController/Effects/VST/VSTBounds.h"
#include "Main/AudioEngineController/Effects/VST/VSTDispatcher.h"
#include "Main/AudioEngineController/Effects/VST/VSTText.h"
#include "Platform/FaultGuard.h"

#include <QString>
#include <algorithm>

namespace
{
// How much of each text is taken: more than the published limits, which
// plug-ins are known to overrun.
constexpr size_t kParameterTextBytes = 128;
constexpr size_t kMaxParameterName = 4095;

// Parameters that read as continuous whatever their texts say.
const std::set<std::wstring> kContinuousVendors = {L"Audio Ease"};
constexpr std::uint32_t kContinuousSteps = 10000;
// A parameter with more distinct texts than this is not a list.
constexpr size_t kMaxListTexts = 8;

// Room past the structure for plug-ins that write more than it holds.
struct PropertiesRoom
{
    VstParameterProperties properties{};
    char slack[VSTBounds::kTextRoom] = {};
};
} // namespace

std::int32_t VSTParameterTable::GetNumParameters() const
{
    return m_effect ? m_count : 0;
}

std::wstring VSTParameterTable::ParameterText(VstInt32 opcode, std::int32_t index)
{
    VSTText text;
    m_dispatcher.At(opcode, index, 0, text.Room());
    return text.Read(kParameterTextBytes);
}

// Plug-ins that leave a name empty often name the parameter in its
// properties instead.
std::wstring VSTParameterTable::GetParameterName(std::int32_t index)
{
    std::wstring name = ParameterText(effGetParamName, index);
    if (name.empty() || name == L" ")
    {
        PropertiesRoom room;
        if (m_dispatcher.At(effGetParameterProperties, index, 0, &room.properties))
            name = VSTText::Latin1(room.properties.shortLabel, sizeof room.properties.shortLabel);
        else
            name = L"Param" + std::to_wstring(index + 1);
    }
    name.resize(std::min(name.size(), kMaxParameterName));
    while (name.size() > 1 && name.back() == L' ')
        name.pop_back();
    return name;
}

bool VSTParameterTable::IsListed(std::int32_t index) const
{
    return index >= 0 && size_t(index) < m_parameters.size();
}

std::uint32_t VSTParameterTable::GetParameterFlags(std::int32_t index) const
{
    if (!IsListed(index))
        return 0;
    if (m_ignoredParameters.count(index))
        return 8;
    return m_parameters[size_t(index)].kind == AudioPluginParameter::Switch ? 2 : 0;
}

bool VSTParameterTable::SetParameter(std::int32_t index, float value)
{
    if (!m_effect || m_ignoredParameters.count(index))
        return true;
    try
    {
        Platform::GuardedCall([&] { m_effect->setParameter(m_effect, index, value); });
    }
    catch (...)
    {
        // A plug-in that fails to take a value keeps the one it had.
    }
    return true;
}

float VSTParameterTable::GetParameter(std::int32_t index)
{
    if (!m_effect)
        return 0.0f;
    try
    {
        return VSTBounds::Normalised(
            Platform::GuardedCall([&] { return m_effect->getParameter(m_effect, index); }));
    }
    catch (...)
    {
        return 0.0f;
    }
}

std::wstring VSTParameterTable::GetParameterDisplay(std::int32_t index)
{
    if (!m_effect)
        return {};
    VSTText text;
    try
    {
        m_dispatcher.Ask(effGetParamDisplay, index, 0, text.Room());
    }
    catch (...)
    {
        return L"-";
    }
    std::wstring display = text.Read(kParameterTextBytes);
    if (!display.empty())
        return display;
    // Whatever the user's numeric locale: "0.50", never "0,50".
    return QString::number(double(GetParameter(index)), 'f', 2).rightJustified(4).toStdWString();
}

void VSTParameterTable::Refreshed(AudioPluginParameter& parameter, std::int32_t index)
{
    parameter.currentStep = VSTBounds::Steps(parameter.stepCount, GetParameter(index));
    parameter.currentDisplay = m_ignoredParameters.count(index) ? L"-" : GetParameterDisplay(index);
}

AudioPluginParameter VSTParameterTable::GetParameterRecord(std::int32_t index)
{
    if (!IsListed(index))
        return {};
    AudioPluginParameter parameter = m_parameters[size_t(index)];
    Refreshed(parameter, index);
    return parameter;
}

float VSTParameterTable::StepsToValue(std::int32_t index, std::uint32_t steps) const
{
    if (!IsListed(index) || m_parameters[size_t(index)].stepCount == 0)
        return 0.0f;
    return float(steps) / float(m_parameters[size_t(index)].stepCount);
}

std::uint32_t VSTParameterTable::ValueToSteps(std::int32_t index, float value) const
{
    return IsListed(index) ? VSTBounds::Steps(m_parameters[size_t(index)].stepCount, value) : 0;
}

void VSTParameterTable::GetParameterTable(std::vector<AudioPluginParameter>& table)
{
    table = m_parameters;
    for (size_t index = 0; index < table.size(); ++index)
        Refreshed(table[index], std::int32_t(index));
}

void VSTParameterTable::Build(const std::set<std::wstring>* fixedNames, const std::wstring& vendor)
{
    m_parameters.clear();
    for (std::int32_t index = 0; index < GetNumParameters(); ++index)
        m_parameters.push_back(DescribeParameter(index, fixedNames, vendor));
}

AudioPluginParameter VSTParameterTable::DescribeParameter(std::int32_t index,
                                                          const std::set<std::wstring>* fixedNames,
                                                          const std::wstring& vendor)
{
    AudioPluginParameter parameter;
    parameter.identifier = std::uint32_t(index);
    parameter.name = GetParameterName(index);
    const float value = GetParameter(index);
    Classify(parameter, index, fixedNames, vendor);
    parameter.label = ParameterText(effGetParamLabel, index);
    switch (parameter.kind)
    {
    case AudioPluginParameter::Switch:
        parameter.stepCount = 1;
        break;
    case AudioPluginParameter::List:
        parameter.stepCount = std::uint32_t(parameter.valueTexts.size() - 1);
        break;
    case AudioPluginParameter::Fixed:
        parameter.stepCount = kContinuousSteps;
        if (!m_ignoredParameters.insert(index).second)
            parameter.kind = AudioPluginParameter::Continuous;
        break;
    default:
        parameter.stepCount = kContinuousSteps;
        break;
    }
    parameter.defaultStep = VSTBounds::Steps(parameter.stepCount, value);
    return parameter;
}

// VST 2 says nothing of a parameter's kind; its texts across the range do.
void VSTParameterTable::Classify(AudioPluginParameter& parameter, std::int32_t index,
                                 const std::set<std::wstring>* fixedNames, const std::wstring& vendor)
{
    if (fixedNames && fixedNames->count(parameter.name))
    {
        parameter.kind = AudioPluginParameter::Fixed;
        return;
    }
    PropertiesRoom room;
    if (m_dispatcher.At(effGetParameterProperties, index, 0, &room.properties) &&
        (room.properties.flags & kVstParameterIsSwitch))
    {
        parameter.kind = AudioPluginParameter::Switch;
        return;
    }
    if (kContinuousVendors.count(vendor))
    {
        parameter.kind = AudioPluginParameter::Continuous;
        return;
    }
    const float remembered = GetParameter(index);
    std::vector<std::wstring> texts = SweepDisplayTexts(index);
    SetParameter(index, 0.0f);
    parameter.displayAtMin = GetParameterDisplay(index);
    SetParameter(index, 1.0f);
    parameter.displayAtMax = GetParameterDisplay(index);
    SetParameter(index, remembered);
    if (texts.size() == 2)
        parameter.kind = AudioPluginParameter::Switch;
    else if (texts.size() >= 3 && texts.size() <= kMaxListTexts)
    {
        parameter.kind = AudioPluginParameter::List;
        parameter.valueTexts = std::move(texts);
    }
    else
        parameter.kind = AudioPluginParameter::Continuous;
}

// The distinct texts over the range in tenths, then, for what looks like a
// short list, in hundredths near the top, where lists often hide a last value.
std::vector<std::wstring> VSTParameterTable::SweepDisplayTexts(std::int32_t index)
{
    std::vector<std::wstring> texts;
    const auto collect = [&](float value)
    {
        SetParameter(index, value);
        std::wstring text = GetParameterDisplay(index);
        if (std::find(texts.begin(), texts.end(), text) == texts.end())
            texts.push_back(std::move(text));
    };
    for (int tenth = 0; tenth <= 10 && texts.size() <= kMaxListTexts; ++tenth)
        collect(float(tenth) / 10.0f);
    if (texts.size() < 2 || texts.size() > kMaxListTexts)
        return texts;
    for (int hundredth = 80; hundredth <= 100; ++hundredth)
    {
        collect(float(hundredth) / 100.0f);
        if (texts.size() > kMaxListTexts + 1)
            return {};
    }
    return texts;
}
