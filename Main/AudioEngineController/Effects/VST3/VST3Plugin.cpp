#include "Main/AudioEngineController/Effects/VST3/VST3Plugin.h"

#include "Core/BaseLib/AudioPlugins/CategoryTable.h"
#include "Core/BaseLib/Debug.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Component.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Factory.h"
#include "Main/AudioEngineController/Effects/VST3/VST3ClassId.h"
#include "Main/AudioEngineController/Effects/VST3/VST3HostContext.h"
#include "Main/VLib/VUI.h"
#include "Platform/FaultGuard.h"

#include <QString>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace
{
// A plug-in's fixed-size texts need not be terminated.
template <std::size_t N> std::string Text(const char (&text)[N])
{
    return std::string(text, strnlen(text, N));
}

template <std::size_t N> std::wstring WideText(const char (&text)[N])
{
    return QString::fromUtf8(text, int(strnlen(text, N))).toStdWString();
}

// The interface with one reference the caller owns, or null.
template <class Interface> Interface* Query(vst3::FUnknown* object)
{
    void* obj = nullptr;
    const vst3::tresult result =
        Platform::GuardedCall([&] { return object->queryInterface(Interface::iid, &obj); });
    return result == vst3::kResultOk ? static_cast<Interface*>(obj) : nullptr;
}

void Release(vst3::FUnknown* object)
{
    Platform::GuardedCall([object] { object->release(); });
}

bool Answers(vst3::IPluginFactory* factory)
{
    vst3::IPluginFactory* answered = Query<vst3::IPluginFactory>(factory);
    if (answered)
        Release(answered);
    return answered != nullptr;
}

std::string FactoryVendor(vst3::IPluginFactory* factory)
{
    vst3::PFactoryInfo info{};
    Platform::GuardedCall([&] { return factory->getFactoryInfo(&info); });
    return Text(info.vendor);
}

// The Unicode record is asked for as a host does; nothing of it is used.
vst3::PClassInfo2 ExtendedClassInfo(vst3::IPluginFactory* factory, vst3::int32 index)
{
    vst3::PClassInfo2 info{};
    if (vst3::IPluginFactory2* factory2 = Query<vst3::IPluginFactory2>(factory))
    {
        Platform::GuardedCall([&] { return factory2->getClassInfo2(index, &info); });
        Release(factory2);
    }
    if (vst3::IPluginFactory3* factory3 = Query<vst3::IPluginFactory3>(factory))
    {
        vst3::PClassInfoW wide{};
        Platform::GuardedCall([&] { return factory3->getClassInfoUnicode(index, &wide); });
        Release(factory3);
    }
    return info;
}
} // namespace

VST3Plugin::VST3Plugin() : m_hostContext(new VST3HostContext(this)) {}

VST3Plugin::~VST3Plugin()
{
    Close();
}

std::vector<VST3EffectRecord> VST3Plugin::ProbeModule(const std::string& path, bool isNew, bool& hasFactory)
{
    ModuleProbe probe;
    probe.isNew = isNew;
    // Whatever stops the probe, the classes described before it stand; the
    // scan decides what a module that gave none means.
    try
    {
        ProbeClasses(path, hasFactory, probe);
    }
    catch (...)
    {
    }
    return std::move(probe.records);
}

void VST3Plugin::ProbeClasses(const std::string& path, bool& hasFactory, ModuleProbe& probe)
{
    if (!m_module.Load(QString::fromStdString(path).toStdWString()))
        throw std::runtime_error("VST3 Exception: Failed to get load module:");
    hasFactory = false;
    probe.factory = m_module.GetFactory();
    if (!probe.factory || !Answers(probe.factory))
        throw std::runtime_error("VST3 Exception: Failed to get factory function");
    hasFactory = true;
    probe.factoryVendor = FactoryVendor(probe.factory);
    probe.classCount = Platform::GuardedCall([&] { return probe.factory->countClasses(); });
    for (vst3::int32 index = 0; index < probe.classCount; ++index)
        ProbeClass(probe, index);
}

void VST3Plugin::ProbeClass(ModuleProbe& probe, vst3::int32 index)
{
    vst3::PClassInfo info{};
    Platform::GuardedCall([&] { return probe.factory->getClassInfo(index, &info); });
    if (Text(info.category) != vst3::kVstAudioEffectClass)
        return;
    const std::wstring name = WideText(info.name);
    if (!probe.names.insert(name).second)
        return;
    const vst3::PClassInfo2 info2 = ExtendedClassInfo(probe.factory, index);
    std::memcpy(m_classId, info.cid, sizeof m_classId);
    VUISetMessage(VUI::kStatusMessage, L"Scanning: %ls", name.c_str());
    if (CreateComponent(probe.factory))
    {
        probe.records.push_back(Describe(name, info2, probe.factoryVendor));
        ReleaseComponent();
    }
    // A new module, or one big enough to take a while, is worth showing.
    if (probe.isNew || probe.classCount > 6)
        VUIRequestShow(VUI::kShowAll);
}

bool VST3Plugin::CreateComponent(vst3::IPluginFactory* factory)
{
    void* obj = nullptr;
    const vst3::tresult created = Platform::GuardedCall(
        [&] { return factory->createInstance(m_classId, vst3::IComponent::iid, &obj); });
    if (created != vst3::kResultOk || !obj)
        return false;
    m_component = static_cast<vst3::IComponent*>(obj);
    vst3::FUnknown* context = static_cast<vst3::IComponentHandler*>(m_hostContext);
    m_componentInitialised =
        Platform::GuardedCall([&] { return m_component->initialize(context); }) == vst3::kResultOk;
    if (!m_componentInitialised)
        ReleaseComponent();
    return m_componentInitialised;
}

void VST3Plugin::ReleaseComponent()
{
    vst3::IComponent* component = std::exchange(m_component, nullptr);
    if (std::exchange(m_componentInitialised, false))
        Platform::GuardedCall([component] { return component->terminate(); });
    Release(component);
}

VST3EffectRecord VST3Plugin::Describe(const std::wstring& name, const vst3::PClassInfo2& info,
                                      const std::string& factoryVendor)
{
    const CategoryTable& categories = CategoryTable::Instance();
    VST3EffectRecord record;
    record.name = name;
    record.id = VST3ClassId::ToText(m_classId);
    record.inputs = GetNumInputs();
    record.outputs = GetNumOutputs();
    record.categories = Text(info.subCategories);
    std::string categoryText = record.categories;
    record.categoryMask = categories.CategoryMaskFromText(categoryText);
    record.vendor = Text(info.vendor);
    if (record.vendor.empty())
        record.vendor = factoryVendor;
    // A class that declares no active main bus still processes a track.
    if (record.inputs == 0 && record.outputs == 0)
    {
        record.outputs = 2;
        record.inputs = categories.IsInstrumentMask(m_record.categoryMask) ? 0 : 2;
    }
    return record;
}

void VST3Plugin::Close()
{
    if (m_component)
    {
        try
        {
            ReleaseComponent();
        }
        catch (const std::exception& e)
        {
            DebugOut("VST3Plugin::Close - %s", e.what());
        }
        catch (...)
        {
            DebugOut("VST3Plugin::Close - unknown exception");
        }
    }
    if (m_hostContext)
    {
        m_hostContext->release();
        m_hostContext = nullptr;
    }
}

// Nothing runs before the plug-in was brought up for processing.
bool VST3Plugin::Process(const TransportRecord&, float**, float**, std::uint32_t)
{
    return false;
}

std::wstring VST3Plugin::GetVendor() const
{
    return QString::fromStdString(m_record.vendor).toStdWString();
}

std::int32_t VST3Plugin::GetNumInputs()
{
    return m_record.inputs != -1 ? m_record.inputs : CountChannels(vst3::kInput);
}

std::int32_t VST3Plugin::GetNumOutputs()
{
    return m_record.outputs != -1 ? m_record.outputs : CountChannels(vst3::kOutput);
}

// Auxiliary buses such as side chains do not count.
std::int32_t VST3Plugin::CountChannels(vst3::int32 direction)
{
    if (!m_component)
        return 0;
    std::int32_t channels = 0;
    try
    {
        const vst3::int32 buses =
            Platform::GuardedCall([&] { return m_component->getBusCount(vst3::kAudio, direction); });
        for (vst3::int32 index = 0; index < buses; ++index)
        {
            vst3::BusInfo bus{};
            const vst3::tresult result = Platform::GuardedCall(
                [&] { return m_component->getBusInfo(vst3::kAudio, direction, index, bus); });
            if (result == vst3::kResultOk && bus.busType == vst3::kMain &&
                (bus.flags & vst3::BusInfo::kDefaultActive) != 0)
                channels += bus.channelCount;
        }
    }
    catch (const std::exception& e)
    {
        DebugOut("VST3Plugin::CountChannels - %s", e.what());
    }
    return channels;
}

bool VST3Plugin::SetBlockSize(std::uint32_t frames)
{
    m_blockSize = frames;
    return true;
}

vst3::tresult VST3Plugin::EditNotification(vst3::ParamID, bool)
{
    return vst3::kResultOk;
}

vst3::tresult VST3Plugin::ParameterChange(vst3::ParamID, float)
{
    return vst3::kResultFalse;
}
