#include "Main/AudioEngineController/Effects/VST3/VST3ParameterList.h"

#include "Platform/FaultGuard.h"

#include <QString>
#include <algorithm>

namespace
{
constexpr std::uint32_t kContinuousRange = 10000;
constexpr std::size_t kMaxTitle = 127;

std::u16string Text(const vst3::String128 text)
{
    std::size_t length = 0;
    while (length < 128 && text[length] != 0)
        ++length;
    return std::u16string(text, length);
}

std::wstring Wide(const std::u16string& text)
{
    return QString::fromUtf16(text.data(), int(text.size())).toStdWString();
}

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

std::uint32_t Steps(std::uint32_t range, double normalised)
{
    return std::uint32_t(range * std::clamp(normalised, 0.0, 1.0) + 0.5);
}

std::wstring Display(vst3::IEditController& controller, vst3::ParamID id, double value)
{
    vst3::String128 text = {};
    const vst3::tresult result =
        Platform::GuardedCall([&] { return controller.getParamStringByValue(id, value, text); });
    return result == vst3::kResultOk ? Wide(Text(text)) : std::wstring();
}
} // namespace

void VST3ParameterList::Build(vst3::IEditController& controller)
{
    m_listed.clear();
    m_indices.clear();
    m_hasBypass = false;
    m_bypassId = vst3::kNoParamId;
    const vst3::int32 count = Platform::GuardedCall([&] { return controller.getParameterCount(); });
    for (vst3::int32 index = 0; index < count; ++index)
    {
        vst3::ParameterInfo info{};
        if (Platform::GuardedCall([&] { return controller.getParameterInfo(index, info); }) !=
            vst3::kResultOk)
            continue;
        if (info.flags & vst3::ParameterInfo::kIsBypass)
        {
            m_hasBypass = true;
            m_bypassId = info.id;
            m_bypassOn = Platform::GuardedCall([&] { return controller.getParamNormalized(info.id); }) == 1.0;
        }
        else if (IsListed(info))
            m_listed.push_back(info);
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
    const std::u16string title = Text(info.title);
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
    return Wide(ShortTitle(Text(info.title)));
}

std::uint32_t VST3ParameterList::Range(const vst3::ParameterInfo& info, std::uint32_t& kind)
{
    if (info.stepCount > 1)
    {
        kind = AudioPluginParameter::List;
        return std::uint32_t(info.stepCount);
    }
    if (info.stepCount == 1 || NamesASwitch(Text(info.title)))
    {
        kind = AudioPluginParameter::Switch;
        return 1;
    }
    kind = AudioPluginParameter::Continuous;
    return kContinuousRange;
}

AudioPluginParameter VST3ParameterList::Describe(std::int32_t index, vst3::IEditController& controller) const
{
    const vst3::ParameterInfo& info = Info(index);
    AudioPluginParameter parameter;
    parameter.name = Title(info);
    parameter.label = Wide(Text(info.units));
    parameter.identifier = info.id;
    parameter.stepCount = Range(info, parameter.kind);
    const double current = Platform::GuardedCall([&] { return controller.getParamNormalized(info.id); });
    parameter.defaultStep = Steps(parameter.stepCount, info.defaultNormalizedValue);
    parameter.currentStep = Steps(parameter.stepCount, current);
    parameter.currentDisplay = Display(controller, info.id, current);
    parameter.displayAtMin = Display(controller, info.id, 0.0);
    parameter.displayAtMax = Display(controller, info.id, 1.0);
    if (parameter.kind == AudioPluginParameter::List)
        for (std::uint32_t step = 0; step <= parameter.stepCount; ++step)
            parameter.valueTexts.push_back(Display(controller, info.id, double(step) / parameter.stepCount));
    return parameter;
}
