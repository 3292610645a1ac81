#include "Main/AudioEngineController/Effects/VST3/VST3ModuleProbe.h"

#include "Core/BaseLib/AudioPlugins/CategoryTable.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Factory.h"
#include "Main/AudioEngineController/Effects/VST3/VST3ClassId.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Guard.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Limits.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Module.h"
#include "Main/AudioEngineController/Effects/VST3/VST3ProcessData.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Text.h"
#include "Main/VLib/VUI.h"

#include <QString>
#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace
{
// UTF-16 text of a fixed-size field, read no further than the field.
template <std::size_t N> QString Utf16Text(const vst3::char16 (&text)[N])
{
    const std::size_t length = std::find(text, text + N, vst3::char16(0)) - text;
    return QString::fromUtf16(text, int(length));
}

// The Unicode record is asked for as a host does; nothing of it is used.
void ExtendedClassInfo(VST3Guard& guard, vst3::IPluginFactory* factory, vst3::int32 index,
                       std::string& subCategories, std::string& vendor)
{
    vst3::PClassInfo2 info{};
    if (auto factory2 = VST3Ptr<vst3::IPluginFactory2>::QueryFrom(guard, factory))
        guard.Call("getClassInfo2", vst3::kResultFalse,
                   [&] { return factory2->getClassInfo2(index, &info); });
    if (auto factory3 = VST3Ptr<vst3::IPluginFactory3>::QueryFrom(guard, factory))
    {
        vst3::PClassInfoW wide{};
        guard.Call("getClassInfoUnicode", vst3::kResultFalse,
                   [&] { return factory3->getClassInfoUnicode(index, &wide); });
    }
    subCategories = VST3Text::Narrow(info.subCategories);
    vendor = VST3Text::Narrow(info.vendor);
}

// Some factories describe their classes only in UTF-16; false when this one
// cannot either.
bool UnicodeClassInfo(VST3Guard& guard, vst3::IPluginFactory* factory, vst3::int32 index,
                      vst3::PClassInfoW& wide)
{
    const auto factory3 = VST3Ptr<vst3::IPluginFactory3>::QueryFrom(guard, factory);
    return factory3 &&
           guard.Call("getClassInfoUnicode", vst3::kResultFalse,
                      [&] { return factory3->getClassInfoUnicode(index, &wide); }) == vst3::kResultOk;
}
} // namespace

VST3ModuleProbe::VST3ModuleProbe(VST3Guard& guard, VST3Module& module, vst3::FUnknown* context,
                                 const VST3EffectRecord& own)
    : m_guard(guard), m_module(module), m_context(context), m_own(own)
{
}

// A probe that stopped half-way through a class still lets go of its component.
VST3ModuleProbe::~VST3ModuleProbe()
{
    ReleaseComponent();
}

vst3::IPluginFactory* VST3ModuleProbe::AnsweringFactory(VST3Guard& guard, VST3Module& module)
{
    vst3::IPluginFactory* factory = module.GetFactory();
    return factory && VST3Ptr<vst3::IPluginFactory>::QueryFrom(guard, factory) ? factory : nullptr;
}

std::string VST3ModuleProbe::FactoryVendor(VST3Guard& guard, vst3::IPluginFactory* factory)
{
    vst3::PFactoryInfo info{};
    guard.Call("getFactoryInfo", vst3::kResultFalse, [&] { return factory->getFactoryInfo(&info); });
    return VST3Text::Narrow(info.vendor);
}

std::vector<VST3EffectRecord> VST3ModuleProbe::Probe(const std::string& path, bool isNew, bool& hasFactory)
{
    m_isNew = isNew;
    // Whatever stops the probe, the classes described before it stand; the
    // scan decides what a module that gave none means.
    try
    {
        ProbeClasses(path, hasFactory);
    }
    catch (...)
    {
    }
    return std::move(m_records);
}

void VST3ModuleProbe::ProbeClasses(const std::string& path, bool& hasFactory)
{
    if (!m_module.Load(QString::fromStdString(path).toStdWString()))
        throw std::runtime_error("VST3 Exception: Failed to get load module:");
    hasFactory = false;
    m_factory = AnsweringFactory(m_guard, m_module);
    if (!m_factory)
        throw std::runtime_error("VST3 Exception: Failed to get factory function");
    hasFactory = true;
    m_factoryVendor = FactoryVendor(m_guard, m_factory);
    m_classCount = VST3Guard::Capped(
        "classes", m_guard.Call("countClasses", 0, [&] { return m_factory->countClasses(); }),
        VST3Limits::kMaxClasses);
    // A fault ends the probe as an exception would: what was described stands.
    for (vst3::int32 index = 0; index < m_classCount && !m_guard.Faulted(); ++index)
        ProbeClass(index);
}

void VST3ModuleProbe::ProbeClass(vst3::int32 index)
{
    ClassTexts texts;
    if (!ReadAudioClass(index, texts))
        return;
    VUISetMessage(VUI::kStatusMessage, L"Scanning: %ls", texts.name.c_str());
    if (CreateComponent())
    {
        VST3EffectRecord record = Describe(texts);
        if (!m_guard.Faulted())
            m_records.push_back(std::move(record));
        ReleaseComponent();
    }
    // A new module, or one big enough to take a while, is worth showing.
    if (m_isNew || m_classCount > 6)
        VUIRequestShow(VUI::kShowAll);
}

// False for a class that is no audio class or whose name an earlier class
// took. Classes that the narrow record describes are read as always; the
// wide record stands in only where the narrow one fails.
bool VST3ModuleProbe::ReadAudioClass(vst3::int32 index, ClassTexts& texts)
{
    vst3::PClassInfo info{};
    vst3::PClassInfoW wide{};
    if (m_guard.Call("getClassInfo", vst3::kResultFalse,
                     [&] { return m_factory->getClassInfo(index, &info); }) == vst3::kResultOk ||
        !UnicodeClassInfo(m_guard, m_factory, index, wide))
    {
        if (VST3Text::Narrow(info.category) != vst3::kVstAudioEffectClass)
            return false;
        texts.name = VST3Text::WideFromUtf8(info.name);
        if (!m_names.insert(texts.name).second)
            return false;
        ExtendedClassInfo(m_guard, m_factory, index, texts.subCategories, texts.vendor);
        std::memcpy(m_classId, info.cid, sizeof m_classId);
        return true;
    }
    if (VST3Text::Narrow(wide.category) != vst3::kVstAudioEffectClass)
        return false;
    texts.name = Utf16Text(wide.name).toStdWString();
    if (!m_names.insert(texts.name).second)
        return false;
    texts.subCategories = VST3Text::Narrow(wide.subCategories);
    texts.vendor = Utf16Text(wide.vendor).toStdString();
    std::memcpy(m_classId, wide.cid, sizeof m_classId);
    return true;
}

bool VST3ModuleProbe::CreateComponent()
{
    void* obj = nullptr;
    const vst3::tresult created =
        m_guard.Call("createInstance", vst3::kResultFalse,
                     [&] { return m_factory->createInstance(m_classId, vst3::IComponent::iid, &obj); });
    if (created != vst3::kResultOk || !obj)
        return false;
    m_component.Reset(static_cast<vst3::IComponent*>(obj));
    m_componentInitialised =
        m_guard.Call("initialize", vst3::kResultFalse, [&] { return m_component->initialize(m_context); }) ==
        vst3::kResultOk;
    if (!m_componentInitialised)
        ReleaseComponent();
    return m_componentInitialised;
}

void VST3ModuleProbe::ReleaseComponent()
{
    if (std::exchange(m_componentInitialised, false))
        m_guard.Call("terminate", vst3::kResultFalse, [this] { return m_component->terminate(); });
    m_component.Reset();
}

VST3EffectRecord VST3ModuleProbe::Describe(const ClassTexts& texts)
{
    const CategoryTable& categories = CategoryTable::Instance();
    VST3EffectRecord record;
    record.name = texts.name;
    record.id = VST3ClassId::ToText(m_classId);
    record.inputs = m_own.inputs != -1
                        ? m_own.inputs
                        : VST3ProcessData::CountChannels(m_guard, m_component.Get(), vst3::kInput);
    record.outputs = m_own.outputs != -1
                         ? m_own.outputs
                         : VST3ProcessData::CountChannels(m_guard, m_component.Get(), vst3::kOutput);
    record.categories = texts.subCategories;
    std::string categoryText = record.categories;
    record.categoryMask = categories.CategoryMaskFromText(categoryText);
    record.vendor = texts.vendor;
    if (record.vendor.empty())
        record.vendor = m_factoryVendor;
    // A class that declares no active main bus still processes a track.
    if (record.inputs == 0 && record.outputs == 0)
    {
        record.outputs = 2;
        record.inputs = categories.IsInstrumentMask(m_own.categoryMask) ? 0 : 2;
    }
    return record;
}
