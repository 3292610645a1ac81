#include "Main/AudioEngineController/Effects/VST3/VST3ParameterList.h"

#include "Core/BaseLib/Debug.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Guard.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Limits.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Text.h"

#include <QString>
#include <algorithm>

namespace
{
constexpr std::uint32_t kContinuousRange = 10000;
constexpr std::size_t kMaxTitle = 127;

bool Contains(const std::u16string& text, const char16_t* part)
{
    return text.find(part) != std::u16string::npos;
}

// Continuous parameters whose titles name an on/off state are switches.
bool NamesASwitch(const std::u16string& title)
{
    const std::u16string lower =
        QString::fromUtf16(title.data(), int(title.size())).toLower().toStdU16String();
    for (const char16_t* word : {u" on", u"on/off", u" off", u"bypass", u"enabled", u"active", u"phase"})
        if (Contains(lower, word))
            return true;
    return false;
}

// NaN counts as 0.
std::uint32_t Steps(std::uint32_t range, double normalised)
{
    return normalised >= 0.0 ? std::uint32_t(range * std::min(normalised, 1.0) + 0.5) : 0;
}

// What the list keeps of a parameter's record: its step count within ours.
vst3::ParameterInfo Bounded(vst3::ParameterInfo info)
{
    if (info.stepCount > VST3Limits::kMaxSteps)
        DebugOut("VST3 - parameter %u has %d steps; handled as continuous", unsigned(info.id),
                 int(info.stepCount));
    if (info.stepCount < 0 || info.stepCount > VST3Limits::kMaxSteps)
        info.stepCount = 0;
    return info;
}
} // namespace

std::wstring VST3ParameterList::Display(VST3Guard& guard, vst3::IEditController& controller, vst3::ParamID id,
                                        double value)
{
    vst3::String128 text = {};
    const vst3::tresult result =
        guard.Call("getParamStringByValue", vst3::kResultFalse,
                   [&] { return controller.getParamStringByValue(id, value, text); });
    return result == vst3::kResultOk ? VST3Text::Wide(text) : std::wstring();
}

void VST3ParameterList::Build(VST3Guard& guard, vst3::IEditController& controller)
{
    m_listed.clear();
    m_indices.clear();
    m_hasBypass = false;
    m_bypassId = vst3::kNoParamId;
    m_bypassOn = false;
    const vst3::int32 count =
        guard.Count("parameters", VST3Limits::kMaxParameters, [&] { return controller.getParameterCount(); });
    for (vst3::int32 index = 0; index < count && !guard.Faulted(); ++index)
    {
        vst3::ParameterInfo info{};
        if (guard.Call("getParameterInfo", vst3::kResultFalse,
                       [&] { return controller.getParameterInfo(index, info); }) != vst3::kResultOk)
            continue;
        if (info.flags & vst3::ParameterInfo::kIsBypass)
        {
            m_hasBypass = true;
            m_bypassId = info.id;
            m_bypassOn = guard.Call("getParamNormalized", 0.0,
                                    [&] { return controller.getParamNormalized(info.id); }) == 1.0;
        }
        else if (IsListed(info))
            m_listed.push_back(Bounded(info));
    }
    std::stable_sort(m_listed.begin(), m_listed.end(),
                     [](const vst3::ParameterInfo& a, const vst3::ParameterInfo& b)
                     { return a.unitId < b.unitId; });
    for (std::size_t index = 0; index < m_listed.size(); ++index)
        m_indices[m_listed[index].id] = std::int32_t(index);
}

std::int32_t VST3ParameterList::IndexOf(vst3::ParamID id) const
{
    const auto found = m_indices.find(id);
    return found != m_indices.end() ? found->second : -1;
}

bool VST3ParameterList::IsListed(const vst3::ParameterInfo& info)
{
    constexpr vst3::int32 kUnlisted = vst3::ParameterInfo::kIsReadOnly | vst3::ParameterInfo::kIsHidden |
                                      vst3::ParameterInfo::kIsProgramChange | vst3::ParameterInfo::kIsBypass;
    if (info.flags & kUnlisted)
        return false;
    const std::u16string title = VST3Text::Units(info.title);
    if (title.empty())
        return false;
    for (const char16_t* marker : {u"reserved", u"MIDI CC", u"MIDI Controller", u"dirty flag"})
        if (Contains(title, marker))
            return false;
    return true;
}

std::u16string VST3ParameterList::ShortTitle(const std::u16string& title)
{
    if (!Contains(title, u"[TRK] ") && !Contains(title, u"[OBJ] "))
        return title;
    std::size_t side = title.find(u" Left ");
    if (side == std::u16string::npos)
        side = title.find(u" Right ");
    const std::size_t start = side != std::u16string::npos ? side + 1 : title.rfind(u' ') + 1;
    return title.substr(start, kMaxTitle);
}

std::wstring VST3ParameterList::Title(const vst3::ParameterInfo& info)
{
    return VST3Text::Wide(ShortTitle(VST3Text::Units(info.title)));
}

std::uint32_t VST3ParameterList::Range(const vst3::ParameterInfo& info, std::uint32_t& kind)
{
    if (info.stepCount > 1)
    {
        kind = AudioPluginParameter::List;
        return std::uint32_t(info.stepCount);
    }
    if (info.stepCount == 1 || NamesASwitch(ShortTitle(VST3Text::Units(info.title))))
    {
        kind = AudioPluginParameter::Switch;
        return 1;
    }
    kind = AudioPluginParameter::Continuous;
    return kContinuousRange;
}

AudioPluginParameter VST3ParameterList::Describe(std::int32_t index, VST3Guard& guard,
                                                 vst3::IEditController& controller) const
{
    const vst3::ParameterInfo& info = Info(index);
    AudioPluginParameter parameter;
    parameter.name = Title(info);
    parameter.label = VST3Text::Wide(info.units);
    parameter.identifier = info.id;
    parameter.stepCount = Range(info, parameter.kind);
    const double current =
        guard.Call("getParamNormalized", 0.0, [&] { return controller.getParamNormalized(info.id); });
    parameter.defaultStep = Steps(parameter.stepCount, info.defaultNormalizedValue);
    parameter.currentStep = Steps(parameter.stepCount, current);
    parameter.currentDisplay = Display(guard, controller, info.id, current);
    parameter.displayAtMin = Display(guard, controller, info.id, 0.0);
    parameter.displayAtMax = Display(guard, controller, info.id, 1.0);
    if (parameter.kind == AudioPluginParameter::List)
        for (std::uint32_t step = 0; step <= parameter.stepCount && !guard.Faulted(); ++step)
            parameter.valueTexts.push_back(
                Display(guard, controller, info.id, double(step) / parameter.stepCount));
    return parameter;
}

std::uint32_t VST3ParameterList::Flags(std::int32_t index) const
{
    if (!Holds(index))
        return 0;
    std::uint32_t kind = 0;
    Range(Info(index), kind);
    return kind == AudioPluginParameter::Switch ? 2 : 0;
}

float VST3ParameterList::StepsToValue(std::int32_t index, std::uint32_t steps) const
{
    if (!Holds(index))
        return 0.0f;
    std::uint32_t kind = 0;
    return std::min(1.0f, float(steps) / float(Range(Info(index), kind)));
}

std::uint32_t VST3ParameterList::ValueToSteps(std::int32_t index, float value) const
{
    if (!Holds(index))
        return 0;
    std::uint32_t kind = 0;
    return std::uint32_t(std::clamp(value, 0.0f, 1.0f) * Range(Info(index), kind) + 0.5f);
}
