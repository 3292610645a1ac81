#include "Main/AudioEngineController/Effects/VST3/VST3Plugin.h"

#include "Core/BaseLib/AudioPlugins/AudioPluginListener.h"
#include "Core/BaseLib/AudioPlugins/CategoryTable.h"
#include "Core/BaseLib/Debug.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Controller.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Factory.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Message.h"
#include "Main/AudioEngineController/Effects/VST3/VST3ClassId.h"
#include "Main/AudioEngineController/Effects/VST3/VST3EffectEditor.h"
#include "Main/AudioEngineController/Effects/VST3/VST3EventList.h"
#include "Main/AudioEngineController/Effects/VST3/VST3HostAttributeList.h"
#include "Main/AudioEngineController/Effects/VST3/VST3HostContext.h"
#include "Main/AudioEngineController/Effects/VST3/VST3MemoryStream.h"
#include "Main/AudioEngineController/Effects/VST3/VST3ParameterChanges.h"
#include "Main/AudioEngineController/Effects/VST3/VST3SpeakerArrangement.h"
#include "Main/StudioModel/StudioModel.h"
#include "Main/VLib/VUI.h"
#include "Platform/FaultGuard.h"

#include <QDataStream>
#include <QSize>
#include <QString>
#include <QWidget>
#include <algorithm>
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

// Releases a held interface, if any, and forgets it.
template <class Interface> void Drop(Interface*& object)
{
    if (Interface* held = std::exchange(object, nullptr))
        Release(held);
}

// Sized so that the processing path allocates nothing in the common case.
constexpr vst3::int32 kMaxParameterChanges = 1000;
constexpr vst3::int32 kMaxEvents = 250;
constexpr vst3::int32 kMaxEventBuses = 4;
constexpr int kMidiChannels = 16;

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

template <std::size_t N> QString Utf16Text(const vst3::char16 (&text)[N])
{
    const std::size_t length = std::find(text, text + N, vst3::char16(0)) - text;
    return QString::fromUtf16(text, int(length));
}

// The Unicode record is asked for as a host does; nothing of it is used.
void ExtendedClassInfo(vst3::IPluginFactory* factory, vst3::int32 index, std::string& subCategories,
                       std::string& vendor)
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
    subCategories = Text(info.subCategories);
    vendor = Text(info.vendor);
}

// Some factories describe their classes only in UTF-16; false when this one
// cannot either.
bool UnicodeClassInfo(vst3::IPluginFactory* factory, vst3::int32 index, vst3::PClassInfoW& wide)
{
    vst3::IPluginFactory3* factory3 = Query<vst3::IPluginFactory3>(factory);
    if (!factory3)
        return false;
    const vst3::tresult result =
        Platform::GuardedCall([&] { return factory3->getClassInfoUnicode(index, &wide); });
    Release(factory3);
    return result == vst3::kResultOk;
}
} // namespace

VST3Plugin::VST3Plugin()
    : m_hostContext(new VST3HostContext(this)),
      m_inputChanges(new VST3ParameterChanges(kMaxParameterChanges)),
      m_outputChanges(new VST3ParameterChanges(kMaxParameterChanges)), m_inputTransfer(kMaxParameterChanges),
      m_outputTransfer(kMaxParameterChanges), m_eventLists{new VST3EventList(kMaxEvents),
                                                           new VST3EventList(kMaxEvents)}
{
}

VST3Plugin::~VST3Plugin()
{
    Close();
    m_inputChanges->release();
    m_outputChanges->release();
    for (VST3EventList* list : m_eventLists)
        list->release();
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
    ClassTexts texts;
    if (!ReadAudioClass(probe, index, texts))
        return;
    VUISetMessage(VUI::kStatusMessage, L"Scanning: %ls", texts.name.c_str());
    if (CreateComponent(probe.factory))
    {
        probe.records.push_back(Describe(texts, probe.factoryVendor));
        ReleaseComponent();
    }
    // A new module, or one big enough to take a while, is worth showing.
    if (probe.isNew || probe.classCount > 6)
        VUIRequestShow(VUI::kShowAll);
}

// False for a class that is no audio class or whose name an earlier class
// took. Classes that the narrow record describes are read as always; the
// wide record stands in only where the narrow one fails.
bool VST3Plugin::ReadAudioClass(ModuleProbe& probe, vst3::int32 index, ClassTexts& texts)
{
    vst3::PClassInfo info{};
    vst3::PClassInfoW wide{};
    if (Platform::GuardedCall([&] { return probe.factory->getClassInfo(index, &info); }) == vst3::kResultOk ||
        !UnicodeClassInfo(probe.factory, index, wide))
    {
        if (Text(info.category) != vst3::kVstAudioEffectClass)
            return false;
        texts.name = WideText(info.name);
        if (!probe.names.insert(texts.name).second)
            return false;
        ExtendedClassInfo(probe.factory, index, texts.subCategories, texts.vendor);
        std::memcpy(m_classId, info.cid, sizeof m_classId);
        return true;
    }
    if (Text(wide.category) != vst3::kVstAudioEffectClass)
        return false;
    texts.name = Utf16Text(wide.name).toStdWString();
    if (!probe.names.insert(texts.name).second)
        return false;
    texts.subCategories = Text(wide.subCategories);
    texts.vendor = Utf16Text(wide.vendor).toStdString();
    std::memcpy(m_classId, wide.cid, sizeof m_classId);
    return true;
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

VST3EffectRecord VST3Plugin::Describe(const ClassTexts& texts, const std::string& factoryVendor)
{
    const CategoryTable& categories = CategoryTable::Instance();
    VST3EffectRecord record;
    record.name = texts.name;
    record.id = VST3ClassId::ToText(m_classId);
    record.inputs = GetNumInputs();
    record.outputs = GetNumOutputs();
    record.categories = texts.subCategories;
    std::string categoryText = record.categories;
    record.categoryMask = categories.CategoryMaskFromText(categoryText);
    record.vendor = texts.vendor;
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

KriticalSection* VST3Plugin::ProcessingLock()
{
    return m_processingLockEnabled ? &m_lock : nullptr;
}

template <class Interface> Interface* VST3Plugin::Ask()
{
    Interface* answered = m_component ? Query<Interface>(m_component) : nullptr;
    return answered || !m_controller ? answered : Query<Interface>(m_controller);
}

template <class Notify> void VST3Plugin::TellListeners(Notify notify)
{
    TAutoLockCS lock(&m_listenerLock);
    for (AudioPluginListener* listener : m_listeners)
        notify(*listener);
}

bool VST3Plugin::Instantiate(const VST3EffectRecord& record)
{
    try
    {
        return InstantiateClass(record);
    }
    catch (const std::exception& e)
    {
        DebugOut("%s", e.what());
        return false;
    }
}

bool VST3Plugin::InstantiateClass(const VST3EffectRecord& record)
{
    if (!m_module.Load(QString::fromStdString(record.path).toStdWString()))
        throw std::runtime_error("VST3 Exception: Failed to get load module:");
    VST3ClassId::FromText(record.id, m_classId);
    vst3::IPluginFactory* factory = m_module.GetFactory();
    if (!factory || !Answers(factory))
        throw std::runtime_error("VST3 Exception: Failed to get factory function");
    vst3::FUnknown* context = static_cast<vst3::IComponentHandler*>(m_hostContext);
    void* obj = nullptr;
    vst3::tresult created = vst3::kResultFalse;
    if (vst3::IPluginFactory3* factory3 = Query<vst3::IPluginFactory3>(factory))
    {
        Platform::GuardedCall([&] { return factory3->setHostContext(context); });
        created = Platform::GuardedCall(
            [&] { return factory3->createInstance(m_classId, vst3::IComponent::iid, &obj); });
        Release(factory3);
    }
    else
        created = Platform::GuardedCall(
            [&] { return factory->createInstance(m_classId, vst3::IComponent::iid, &obj); });
    if (created != vst3::kResultOk || !obj)
        return false;
    m_component = static_cast<vst3::IComponent*>(obj);
    Platform::GuardedCall([this] { return m_component->setIoMode(vst3::kAdvanced); });
    if (Platform::GuardedCall([&] { return m_component->initialize(context); }) != vst3::kResultOk)
        return false;
    m_componentInitialised = true;
    CreateController(factory);
    m_record = record;
    m_instrument = CategoryTable::Instance().IsInstrumentMask(record.categoryMask);
    if (m_record.vendor.empty())
        m_record.vendor = FactoryVendor(factory);
    return true;
}

// A single-component plug-in is its own controller; otherwise the component
// names the controller's class.
void VST3Plugin::CreateController(vst3::IPluginFactory* factory)
{
    if ((m_controller = Query<vst3::IEditController>(m_component)))
    {
        m_controllerInitialised = true;
        m_singleComponent = true;
        return;
    }
    vst3::TUID controllerId = {};
    if (Platform::GuardedCall([&] { return m_component->getControllerClassId(controllerId); }) !=
        vst3::kResultOk)
        return;
    void* obj = nullptr;
    if (Platform::GuardedCall(
            [&] { return factory->createInstance(controllerId, vst3::IEditController::iid, &obj); }) !=
            vst3::kResultOk ||
        !obj)
        return;
    m_controller = static_cast<vst3::IEditController*>(obj);
    vst3::FUnknown* context = static_cast<vst3::IComponentHandler*>(m_hostContext);
    m_controllerInitialised =
        Platform::GuardedCall([&] { return m_controller->initialize(context); }) == vst3::kResultOk;
    if (!m_controllerInitialised)
        Drop(m_controller);
}

bool VST3Plugin::Initialise(float sampleRate, std::uint32_t blockSize, const PluginPlacement& placement)
{
    TAutoLockCS lock(ProcessingLock());
    m_placement = placement;
    m_blockSize = blockSize;
    m_sampleRate = std::uint32_t(sampleRate);
    m_record.latency = -1;
    try
    {
        BringUp();
    }
    catch (const std::exception& e)
    {
        DebugOut("VST3Plugin::Initialise - %s", e.what());
        return false;
    }
    return m_processing;
}

void VST3Plugin::BringUp()
{
    if (m_controller)
        Platform::GuardedCall(
            [this] {
                return m_controller->setComponentHandler(
                    static_cast<vst3::IComponentHandler*>(m_hostContext));
            });
    AcquireInterfaces();
    if (!m_processor)
        return;
    UpdateSpeakerArrangement(m_placement.channelFormat, m_placement.channelFormat);
    RebuildParameterList();
    SendChannelContext();
    SetupProcessing();
    RereadLatency();
    m_context = {};
    m_context.sampleRate = m_sampleRate;
    m_context.tempo = 120.0;
    m_data.inputParameterChanges = m_inputChanges;
    m_data.outputParameterChanges = m_outputChanges;
    m_data.inputEvents = m_eventLists[m_currentEvents];
    m_data.processContext = &m_context;
    m_data.symbolicSampleSize = vst3::kSample32;
    StartProcessing();
}

// A reload asks again, so what was acquired before is given back first.
void VST3Plugin::AcquireInterfaces()
{
    ReleaseInterfaces();
    m_componentHandler = Ask<vst3::IComponentHandler>();
    m_componentHandler2 = Ask<vst3::IComponentHandler2>();
    m_processor = Ask<vst3::IAudioProcessor>();
    m_midiMapping = Ask<vst3::IMidiMapping>();
    m_programListData = Ask<vst3::IProgramListData>();
    m_controller2 = Ask<vst3::IEditController2>();
    m_unitInfo = Ask<vst3::IUnitInfo>();
    m_unitData = Ask<vst3::IUnitData>();
    m_infoListener = Ask<vst3::IInfoListener>();
    ConnectComponentAndController();
    if (m_midiMapping && m_component)
        ReadMidiControllers();
}

// Only a pair that both offer a point can talk; the controller then learns
// the component's state.
void VST3Plugin::ConnectComponentAndController()
{
    m_componentPoint = m_component ? Query<vst3::IConnectionPoint>(m_component) : nullptr;
    m_controllerPoint = m_controller ? Query<vst3::IConnectionPoint>(m_controller) : nullptr;
    if (!m_componentPoint || !m_controllerPoint)
    {
        Drop(m_componentPoint);
        Drop(m_controllerPoint);
        return;
    }
    Platform::GuardedCall([this] { return m_componentPoint->connect(m_controllerPoint); });
    Platform::GuardedCall([this] { return m_controllerPoint->connect(m_componentPoint); });
    VST3MemoryStream* stream = new VST3MemoryStream;
    try
    {
        Platform::GuardedCall([&] { return m_component->getState(stream); });
        stream->seek(0, vst3::IBStream::kIBSeekSet, nullptr);
        Platform::GuardedCall([&] { return m_controller->setComponentState(stream); });
    }
    catch (...)
    {
        stream->release();
        throw;
    }
    stream->release();
}

void VST3Plugin::ReadMidiControllers()
{
    const vst3::int32 buses = std::min(
        kMaxEventBuses,
        Platform::GuardedCall([this] { return m_component->getBusCount(vst3::kEvent, vst3::kInput); }));
    for (vst3::int32 bus = 0; bus < buses; ++bus)
    {
        vst3::BusInfo info{};
        if (Platform::GuardedCall(
                [&] { return m_component->getBusInfo(vst3::kEvent, vst3::kInput, bus, info); }) !=
            vst3::kResultOk)
            continue;
        m_eventInputNames.push_back(QString::fromUtf16(info.name).toStdWString());
        Platform::GuardedCall([&]
                              { return m_component->activateBus(vst3::kEvent, vst3::kInput, bus, true); });
    }
    if (m_midiControllers.empty())
    {
        MidiControllerRow unassigned;
        unassigned.fill(-1);
        m_midiControllers.assign(std::size_t(kMaxEventBuses * kMidiChannels), unassigned);
    }
    for (vst3::int32 bus = 0; bus < buses; ++bus)
        for (vst3::int16 channel = 0; channel < kMidiChannels; ++channel)
        {
            MidiControllerRow& row = m_midiControllers[std::size_t(bus * kMidiChannels + channel)];
            for (vst3::int16 number = 0; number < vst3::int16(row.size()); ++number)
            {
                vst3::ParamID id = 0;
                const vst3::tresult assigned = Platform::GuardedCall(
                    [&] { return m_midiMapping->getMidiControllerAssignment(bus, channel, number, id); });
                row[std::size_t(number)] = assigned == vst3::kResultOk ? std::int32_t(id) : -1;
            }
        }
    const vst3::int32 outputs =
        Platform::GuardedCall([this] { return m_component->getBusCount(vst3::kEvent, vst3::kOutput); });
    for (vst3::int32 bus = 0; bus < outputs; ++bus)
    {
        vst3::BusInfo info{};
        if (Platform::GuardedCall(
                [&] { return m_component->getBusInfo(vst3::kEvent, vst3::kOutput, bus, info); }) ==
            vst3::kResultOk)
            m_eventOutputNames.push_back(QString::fromUtf16(info.name).toStdWString());
    }
}

void VST3Plugin::ReleaseInterfaces()
{
    if (m_component)
        for (vst3::int32 bus = 0; bus < vst3::int32(m_eventInputNames.size()); ++bus)
            Platform::GuardedCall(
                [&] { return m_component->activateBus(vst3::kEvent, vst3::kInput, bus, false); });
    m_eventInputNames.clear();
    m_eventOutputNames.clear();
    if (m_componentPoint && m_controllerPoint)
    {
        Platform::GuardedCall([this] { return m_controllerPoint->disconnect(m_componentPoint); });
        Platform::GuardedCall([this] { return m_componentPoint->disconnect(m_controllerPoint); });
    }
    Drop(m_componentPoint);
    Drop(m_controllerPoint);
    Drop(m_componentHandler);
    Drop(m_componentHandler2);
    Drop(m_processor);
    Drop(m_midiMapping);
    Drop(m_programListData);
    Drop(m_controller2);
    Drop(m_unitInfo);
    Drop(m_unitData);
    Drop(m_infoListener);
}

void VST3Plugin::Close()
{
    TAutoLockCS lock(ProcessingLock());
    try
    {
        StopProcessing();
        if (m_component)
            TearDown();
    }
    catch (const std::exception& e)
    {
        DebugOut("VST3Plugin::Close - %s", e.what());
    }
    if (m_hostContext)
    {
        m_hostContext->release();
        m_hostContext = nullptr;
    }
}

// A single-component plug-in is terminated once, as the component.
void VST3Plugin::TearDown()
{
    CloseEditor();
    if (m_componentInitialised)
    {
        Platform::GuardedCall([this] { return m_component->terminate(); });
        if (m_controllerInitialised)
        {
            Platform::GuardedCall([this] { return m_controller->setComponentHandler(nullptr); });
            if (!m_singleComponent)
                Platform::GuardedCall([this] { return m_controller->terminate(); });
        }
        m_controllerInitialised = false;
        ReleaseInterfaces();
        Drop(m_controller);
    }
    Drop(m_component);
    m_componentInitialised = false;
    m_processor = nullptr;
}

bool VST3Plugin::StopProcessing()
{
    TAutoLockCS lock(ProcessingLock());
    if (!m_processing)
        return true;
    m_processing = false;
    try
    {
        Platform::GuardedCall([this] { return m_processor->setProcessing(false); });
        Platform::GuardedCall([this] { return m_component->setActive(false); });
    }
    catch (const std::exception& e)
    {
        DebugOut("VST3Plugin::StopProcessing - %s", e.what());
    }
    return true;
}

bool VST3Plugin::StartProcessing()
{
    TAutoLockCS lock(ProcessingLock());
    if (!m_processor || !m_component || m_processing)
        return m_processing;
    try
    {
        Platform::GuardedCall([this] { return m_component->setActive(true); });
        Platform::GuardedCall([this] { return m_processor->setProcessing(true); });
        m_processing = true;
    }
    catch (const std::exception& e)
    {
        DebugOut("VST3Plugin::StartProcessing - %s", e.what());
    }
    return m_processing;
}

void VST3Plugin::Reload()
{
    StopProcessing();
    Initialise(float(m_sampleRate), m_blockSize, m_placement);
}

// The plug-in may be asked for more than one block's worth when the engine
// runs above the base rate.
vst3::int32 VST3Plugin::ComputeMaxSamples() const
{
    return vst3::int32(m_blockSize * std::max(1u, StudioModel::Instance().SampleRate() / 48000));
}

void VST3Plugin::SetupProcessing()
{
    m_setup.processMode = vst3::kRealtime;
    m_setup.symbolicSampleSize = vst3::kSample32;
    m_maxSamples = ComputeMaxSamples();
    m_setup.maxSamplesPerBlock = m_maxSamples;
    m_setup.sampleRate = m_sampleRate;
    Platform::GuardedCall([this] { return m_processor->setupProcessing(m_setup); });
    SetupBuffers();
}

// Stops and starts a running plug-in around a change of its set-up.
void VST3Plugin::Reconfigure()
{
    TAutoLockCS lock(ProcessingLock());
    if (!m_processor)
        return;
    const bool wasProcessing = m_processing;
    StopProcessing();
    try
    {
        SetupProcessing();
    }
    catch (const std::exception& e)
    {
        DebugOut("VST3Plugin::Reconfigure - %s", e.what());
    }
    if (wasProcessing)
        StartProcessing();
}

bool VST3Plugin::SetBlockSize(std::uint32_t frames)
{
    m_blockSize = frames;
    Reconfigure();
    return true;
}

bool VST3Plugin::SetSampleRate(std::uint32_t rate)
{
    m_sampleRate = rate;
    m_context.sampleRate = rate;
    Reconfigure();
    return true;
}

bool VST3Plugin::UpdateSpeakerArrangement(std::uint32_t inputFormat, std::uint32_t outputFormat, bool)
{
    TAutoLockCS lock(ProcessingLock());
    if (!m_processor || !m_component)
        return false;
    try
    {
        std::vector<vst3::SpeakerArrangement> inputs = Arrangements(vst3::kInput, inputFormat);
        std::vector<vst3::SpeakerArrangement> outputs = Arrangements(vst3::kOutput, outputFormat);
        const vst3::tresult result = Platform::GuardedCall(
            [&]
            {
                return m_processor->setBusArrangements(inputs.data(), vst3::int32(inputs.size()),
                                                       outputs.data(), vst3::int32(outputs.size()));
            });
        ReadArrangements(vst3::kInput, m_inputs);
        ReadArrangements(vst3::kOutput, m_outputs);
        SetupBuffers();
        return result == vst3::kResultOk;
    }
    catch (const std::exception& e)
    {
        DebugOut("VST3Plugin::UpdateSpeakerArrangement - %s", e.what());
        return false;
    }
}

// The buses as they are, with the track's arrangement offered for the main
// bus; a plug-in whose main bus is narrower is offered what it can take.
std::vector<vst3::SpeakerArrangement> VST3Plugin::Arrangements(vst3::BusDirection direction,
                                                               std::uint32_t format)
{
    const vst3::int32 count =
        Platform::GuardedCall([&] { return m_component->getBusCount(vst3::kAudio, direction); });
    std::vector<vst3::SpeakerArrangement> arrangements(std::size_t(std::max(0, count)), 0);
    for (vst3::int32 bus = 0; bus < count; ++bus)
        Platform::GuardedCall(
            [&] { return m_processor->getBusArrangement(direction, bus, arrangements[std::size_t(bus)]); });
    if (arrangements.empty())
        return arrangements;
    vst3::BusInfo main{};
    const bool known =
        Platform::GuardedCall([&] { return m_component->getBusInfo(vst3::kAudio, direction, 0, main); }) ==
        vst3::kResultOk;
    arrangements[0] = VST3SpeakerArrangement::ForFormat(format, known ? main.channelCount : 0);
    return arrangements;
}

void VST3Plugin::ReadArrangements(vst3::BusDirection direction, Buses& buses)
{
    const vst3::int32 count =
        Platform::GuardedCall([&] { return m_component->getBusCount(vst3::kAudio, direction); });
    buses.counts.assign(std::size_t(std::max(0, count)), 0);
    for (vst3::int32 bus = 0; bus < count; ++bus)
    {
        vst3::SpeakerArrangement arrangement = 0;
        vst3::BusInfo info{};
        if (Platform::GuardedCall([&]
                                  { return m_processor->getBusArrangement(direction, bus, arrangement); }) ==
            vst3::kResultOk)
            buses.counts[std::size_t(bus)] = VST3SpeakerArrangement::ChannelCount(arrangement);
        else if (Platform::GuardedCall(
                     [&] { return m_component->getBusInfo(vst3::kAudio, direction, bus, info); }) ==
                 vst3::kResultOk)
            buses.counts[std::size_t(bus)] = info.channelCount;
    }
}

// Everything a block needs is made here, so that processing only points the
// buses at the caller's channels.
void VST3Plugin::SetupBuffers()
{
    m_hostInputs = std::max(0, GetNumInputs());
    m_hostOutputs = std::max(0, GetNumOutputs());
    for (Buses* buses : {&m_inputs, &m_outputs})
    {
        std::size_t channels = 0;
        for (std::int32_t count : buses->counts)
            channels += std::size_t(std::max(0, count));
        buses->channels.assign(channels, nullptr);
        buses->buffers.assign(buses->counts.size(), vst3::AudioBusBuffers{});
        std::size_t first = 0;
        for (std::size_t bus = 0; bus < buses->counts.size(); ++bus)
        {
            buses->buffers[bus].numChannels = std::max(0, buses->counts[bus]);
            buses->buffers[bus].channelBuffers32 = buses->channels.data() + first;
            first += std::size_t(buses->buffers[bus].numChannels);
        }
    }
    m_silence.assign(std::size_t(m_maxSamples), 0.0f);
    m_discard.assign(std::size_t(m_maxSamples), 0.0f);
    m_data.numInputs = vst3::int32(m_inputs.buffers.size());
    m_data.numOutputs = vst3::int32(m_outputs.buffers.size());
    m_data.inputs = m_inputs.buffers.empty() ? nullptr : m_inputs.buffers.data();
    m_data.outputs = m_outputs.buffers.empty() ? nullptr : m_outputs.buffers.data();
}

// The caller's channels feed the main buses; side chains hear silence and
// outputs the caller has no channel for go nowhere. The silence is zeroed
// when the buffers are made: a plug-in only reads its inputs.
void VST3Plugin::BindBuffers(float** inputs, float** outputs)
{
    const std::size_t mainInputs = m_inputs.counts.empty() ? 0 : std::size_t(std::max(0, m_inputs.counts[0]));
    const std::size_t mainOutputs =
        m_outputs.counts.empty() ? 0 : std::size_t(std::max(0, m_outputs.counts[0]));
    const std::size_t hostInputs = inputs ? std::min(mainInputs, std::size_t(m_hostInputs)) : 0;
    const std::size_t hostOutputs = outputs ? std::min(mainOutputs, std::size_t(m_hostOutputs)) : 0;
    for (std::size_t channel = 0; channel < m_inputs.channels.size(); ++channel)
        m_inputs.channels[channel] = channel < hostInputs ? inputs[channel] : m_silence.data();
    for (std::size_t channel = 0; channel < m_outputs.channels.size(); ++channel)
        m_outputs.channels[channel] = channel < hostOutputs ? outputs[channel] : m_discard.data();
    for (vst3::AudioBusBuffers& bus : m_inputs.buffers)
        bus.silenceFlags = 0;
}

bool VST3Plugin::Process(const TransportRecord& transport, float** inputs, float** outputs,
                         std::uint32_t frames)
{
    TAutoLockCS lock(ProcessingLock());
    if (!m_processing || m_faulted)
        return false;
    m_playing = transport.rolling;
    vst3::ProcessContext context = m_context;
    context.state =
        vst3::ProcessContext::kTempoValid | (transport.rolling ? vst3::ProcessContext::kPlaying : 0u);
    context.projectTimeSamples = transport.position / (StudioModel::kTimeBase / std::max(1u, m_sampleRate));
    context.frameRate = m_frameRate;
    PrepareBlock(context, false);
    m_data.numSamples = std::min(vst3::int32(frames), m_maxSamples);
    BindBuffers(inputs, outputs);
    const bool processed = RunProcessor();
    m_inputChanges->Clear();
    return processed;
}

// A plug-in that faulted is not run again.
bool VST3Plugin::RunProcessor()
{
    try
    {
        return Platform::GuardedCall([this] { return m_processor->process(m_data); }) == vst3::kResultOk;
    }
    catch (const std::exception& e)
    {
        m_faulted = true;
        DebugOut("VST3Plugin::Process - %s", e.what());
        return false;
    }
}

void VST3Plugin::PrepareBlock(const vst3::ProcessContext& context, bool offline)
{
    TAutoLockCS lock(ProcessingLock());
    m_data.numSamples = vst3::int32(m_blockSize);
    m_data.processMode = offline ? vst3::kOffline : vst3::kRealtime;
    m_data.inputEvents = m_eventLists[m_currentEvents];
    m_currentEvents ^= 1;
    m_eventLists[m_currentEvents]->Clear();
    m_context = context;
    m_inputTransfer.TransferTo(*m_inputChanges);
}

void VST3Plugin::Idle()
{
    if (!m_processor)
        return;
    try
    {
        DeliverOutputChanges();
        if (!m_playing)
            FlushInputChanges();
    }
    catch (const std::exception& e)
    {
        DebugOut("VST3Plugin::Idle - %s", e.what());
    }
}

// What the controller is told is remembered, so that the plug-in's echo of
// it is not taken for a new edit.
void VST3Plugin::DeliverOutputChanges()
{
    {
        TAutoLockCS lock(ProcessingLock());
        TAutoLockCS producer(&m_producerLock);
        m_outputTransfer.TransferFrom(*m_outputChanges);
        m_outputChanges->Clear();
    }
    vst3::ParamID id = 0;
    vst3::ParamValue value = 0.0;
    vst3::int32 sampleOffset = 0;
    while (m_outputTransfer.GetNextChange(id, value, sampleOffset))
    {
        m_echoes[id] = float(value);
        if (m_controller)
            Platform::GuardedCall([&] { return m_controller->setParamNormalized(id, value); });
    }
}

// Without blocks the processor would never see what changed; an empty block
// carries the changes to it.
void VST3Plugin::FlushInputChanges()
{
    TAutoLockCS lock(ProcessingLock());
    if (!m_processing || m_faulted)
        return;
    m_inputTransfer.TransferTo(*m_inputChanges);
    if (m_inputChanges->getParameterCount() > 0)
    {
        m_data.numSamples = 0;
        BindBuffers(nullptr, nullptr);
        RunProcessor();
    }
    m_inputChanges->Clear();
}

void VST3Plugin::AddChange(vst3::ParamID id, float value, bool toProcessor)
{
    TAutoLockCS lock(&m_producerLock);
    if (toProcessor)
        m_inputTransfer.AddChange(id, value, 0);
    if (m_controller)
        m_outputTransfer.AddChange(id, value, 0);
}

void VST3Plugin::QueueMidi(const MidiMessage& message)
{
    const int status = message.data[0] & 0xF0;
    const int channel = message.data[0] & 0x0F;
    const float value = message.data[2] / 127.0f;
    vst3::Event event{};
    event.sampleOffset = message.deltaFrames;
    switch (status)
    {
    case 0x90:
    case 0x80:
        if (status == 0x90 && message.data[2] > 0)
        {
            event.type = vst3::Event::kNoteOnEvent;
            event.noteOn = {vst3::int16(channel), vst3::int16(message.data[1]), 0.0f, value, 0, -1};
        }
        else
        {
            event.type = vst3::Event::kNoteOffEvent;
            event.noteOff = {vst3::int16(channel), vst3::int16(message.data[1]), value, -1, 0.0f};
        }
        break;
    case 0xA0:
        event.type = vst3::Event::kPolyPressureEvent;
        event.polyPressure = {vst3::int16(channel), vst3::int16(message.data[1]), value, -1};
        break;
    case 0xB0:
        return QueueMappedController(channel, message.data[1], value);
    case 0xD0:
        return QueueMappedController(channel, vst3::kAfterTouch, message.data[1] / 127.0f);
    case 0xE0:
        return QueueMappedController(channel, vst3::kPitchBend,
                                     float((message.data[2] << 7) | message.data[1]) / 16383.0f);
    default:
        return;
    }
    m_eventLists[m_currentEvents]->addEvent(event);
}

// Only the first event bus is fed, so only its assignments apply.
void VST3Plugin::QueueMappedController(int channel, int number, float value)
{
    if (m_midiControllers.empty())
        return;
    const std::int32_t id = m_midiControllers[std::size_t(channel)][std::size_t(number)];
    if (id != -1)
        AddChange(vst3::ParamID(id), value, true);
}

vst3::tresult VST3Plugin::ParameterChange(vst3::ParamID id, float value)
{
    if (m_parameters.HasBypass() && id == m_parameters.BypassId())
    {
        m_bypassed = value == 1.0f;
        TellListeners([this](AudioPluginListener& listener) { listener.OnBypassChanged(m_bypassed, this); });
        AddChange(id, value, false);
        return vst3::kResultOk;
    }
    const auto echo = m_echoes.find(id);
    if (echo != m_echoes.end() && echo->second == value)
    {
        if (!RestartsOnPositionJump())
            AddChange(id, value, true);
        return vst3::kResultOk;
    }
    const std::int32_t index = m_parameters.IndexOf(id);
    if (index < 0)
        return vst3::kResultFalse;
    AddChange(id, value, true);
    TellListeners([&](AudioPluginListener& listener) { listener.OnParameterAutomated(index, value, this); });
    return vst3::kResultOk;
}

vst3::tresult VST3Plugin::EditNotification(vst3::ParamID id, bool begin)
{
    const std::int32_t index = m_parameters.IndexOf(id);
    if (index >= 0)
        TellListeners([&](AudioPluginListener& listener)
                      { listener.OnParameterGesture(index, begin, this); });
    return vst3::kResultOk;
}

void VST3Plugin::RereadBuses()
{
    const bool wasProcessing = m_processing;
    StopProcessing();
    UpdateSpeakerArrangement(m_placement.channelFormat, m_placement.channelFormat);
    TellListeners([this](AudioPluginListener& listener) { listener.OnIOChanged(this); });
    if (wasProcessing)
        StartProcessing();
}

void VST3Plugin::RereadLatency()
{
    if (!m_processor)
        return;
    m_record.latency =
        std::int32_t(Platform::GuardedCall([this] { return m_processor->getLatencySamples(); }));
    TellListeners([this](AudioPluginListener& listener) { listener.OnLatencyChanged(this); });
}

// The values themselves are asked for when they are shown; only the bypass
// state is kept here.
void VST3Plugin::RereadParameterValues()
{
    if (!m_controller || !m_parameters.HasBypass())
        return;
    m_bypassed = Platform::GuardedCall(
                     [this] { return m_controller->getParamNormalized(m_parameters.BypassId()); }) == 1.0;
    TellListeners([this](AudioPluginListener& listener) { listener.OnDisplayChanged(this); });
}

void VST3Plugin::RebuildParameterList()
{
    if (!m_controller)
        return;
    m_parameters.Build(*m_controller);
    m_bypassed = m_parameters.BypassWasOn();
}

// The track's name and colour, for plug-ins that show where they sit.
void VST3Plugin::SendChannelContext()
{
    if (!m_infoListener || !m_hostContext)
        return;
    vst3::IAttributeList* list = m_hostContext->AttributeList();
    const std::u16string name =
        QStringLiteral("Track %1").arg(m_placement.trackIndex + 1).left(127).toStdU16String();
    list->setString(vst3::ChannelContext::kChannelNameKey, name.c_str());
    list->setInt(vst3::ChannelContext::kChannelNameLengthKey, vst3::int64(name.size()));
    list->setInt(vst3::ChannelContext::kChannelColorKey, 0);
    Platform::GuardedCall([&] { return m_infoListener->setChannelContextInfos(list); });
}

bool VST3Plugin::HasEditor()
{
    if (!m_controller)
        return false;
    try
    {
        if (!m_view)
            m_view =
                Platform::GuardedCall([this] { return m_controller->createView(vst3::ViewType::kEditor); });
        if (!m_view)
            m_view = Platform::GuardedCall([this] { return m_controller->createView(nullptr); });
        if (!m_view)
            m_view = Query<vst3::IPlugView>(m_controller);
    }
    catch (const std::exception& e)
    {
        DebugOut("VST3Plugin::HasEditor - %s", e.what());
    }
    return m_view != nullptr;
}

bool VST3Plugin::IsEditorResizable()
{
    try
    {
        return m_record.name == L"Melodyne" && HasEditor() &&
               Platform::GuardedCall([this] { return m_view->canResize(); }) == vst3::kResultTrue;
    }
    catch (const std::exception&)
    {
        return false;
    }
}

std::intptr_t VST3Plugin::OpenEditor(QWidget* parent)
{
    if (!HasEditor())
        return 0;
    VST3EffectEditor* frame = new VST3EffectEditor(parent, m_view);
    if (m_editorFrame)
        m_editorFrame->release();
    m_editorFrame = frame;
    if (parent && parent->metaObject()->indexOfSlot("UpdateWindow()") >= 0)
        connect(this, SIGNAL(UpdateEditorWindow()), parent, SLOT(UpdateWindow()));
    return frame->IsAttached() ? 1 : 0;
}

QWidget* VST3Plugin::GetEditorWindow()
{
    return m_editorFrame ? m_editorFrame->Parent() : nullptr;
}

void VST3Plugin::GetEditorSize(QSize& size)
{
    vst3::ViewRect rect{};
    try
    {
        if (m_view && Platform::GuardedCall([&] { return m_view->getSize(&rect); }) == vst3::kResultOk)
            size = QSize(rect.right - rect.left, rect.bottom - rect.top);
    }
    catch (const std::exception& e)
    {
        DebugOut("VST3Plugin::GetEditorSize - %s", e.what());
    }
}

bool VST3Plugin::CloseEditor()
{
    try
    {
        Drop(m_editorFrame);
        Drop(m_view);
    }
    catch (const std::exception& e)
    {
        DebugOut("VST3Plugin::CloseEditor - %s", e.what());
    }
    return true;
}

void VST3Plugin::AddListener(AudioPluginListener* listener)
{
    TAutoLockCS lock(&m_listenerLock);
    m_listeners.insert(listener);
}

void VST3Plugin::RemoveListener(AudioPluginListener* listener)
{
    TAutoLockCS lock(&m_listenerLock);
    m_listeners.erase(listener);
}

bool VST3Plugin::SetBypassed(bool on)
{
    if (!m_parameters.HasBypass())
        return false;
    m_bypassed = on;
    AddChange(m_parameters.BypassId(), on ? 1.0f : 0.0f, true);
    return true;
}

std::wstring VST3Plugin::GetParameterName(std::int32_t index)
{
    return IsParameter(index) ? VST3ParameterList::Title(m_parameters.Info(index)) : std::wstring();
}

std::uint32_t VST3Plugin::GetParameterFlags(std::int32_t index)
{
    if (!IsParameter(index))
        return 0;
    std::uint32_t kind = 0;
    VST3ParameterList::Range(m_parameters.Info(index), kind);
    return kind == AudioPluginParameter::Switch ? 2 : 0;
}

bool VST3Plugin::IsParameter(std::int32_t index) const
{
    return index >= 0 && index < m_parameters.Count();
}

// The processor takes the change with its next block; the controller learns
// of it on the next idle step.
bool VST3Plugin::SetParameter(std::int32_t index, float value)
{
    if (!IsParameter(index))
        return false;
    AddChange(m_parameters.Info(index).id, std::clamp(value, 0.0f, 1.0f), true);
    return true;
}

float VST3Plugin::GetParameter(std::int32_t index)
{
    if (!IsParameter(index) || !m_controller)
        return 0.0f;
    try
    {
        const vst3::ParamID id = m_parameters.Info(index).id;
        return float(Platform::GuardedCall([&] { return m_controller->getParamNormalized(id); }));
    }
    catch (const std::exception& e)
    {
        DebugOut("VST3Plugin::GetParameter - %s", e.what());
        return 0.0f;
    }
}

AudioPluginParameter VST3Plugin::GetParameterRecord(std::int32_t index)
{
    if (!IsParameter(index) || !m_controller)
        return {};
    try
    {
        return m_parameters.Describe(index, *m_controller);
    }
    catch (const std::exception& e)
    {
        DebugOut("VST3Plugin::GetParameterRecord - %s", e.what());
        return {};
    }
}

std::wstring VST3Plugin::GetParameterDisplay(std::int32_t index, float value)
{
    if (!IsParameter(index) || !m_controller)
        return {};
    vst3::String128 text = {};
    try
    {
        const vst3::ParamID id = m_parameters.Info(index).id;
        if (Platform::GuardedCall([&] { return m_controller->getParamStringByValue(id, value, text); }) !=
            vst3::kResultOk)
            return {};
    }
    catch (const std::exception& e)
    {
        DebugOut("VST3Plugin::GetParameterDisplay - %s", e.what());
        return {};
    }
    return QString::fromUtf16(text).toStdWString();
}

float VST3Plugin::StepsToValue(std::int32_t index, std::uint32_t steps)
{
    if (!IsParameter(index))
        return 0.0f;
    std::uint32_t kind = 0;
    return std::min(1.0f, float(steps) / float(VST3ParameterList::Range(m_parameters.Info(index), kind)));
}

std::uint32_t VST3Plugin::ValueToSteps(std::int32_t index, float value)
{
    if (!IsParameter(index))
        return 0;
    std::uint32_t kind = 0;
    return std::uint32_t(
        std::clamp(value, 0.0f, 1.0f) * VST3ParameterList::Range(m_parameters.Info(index), kind) + 0.5f);
}

void VST3Plugin::GetParameterTable(std::vector<AudioPluginParameter>& table)
{
    table.clear();
    for (std::int32_t index = 0; index < m_parameters.Count(); ++index)
        table.push_back(GetParameterRecord(index));
}

namespace
{
// What an object with getState writes, or nothing when it refuses.
template <class Object> bool ReadState(Object* object, QByteArray& bytes)
{
    VST3MemoryStream* stream = new VST3MemoryStream;
    vst3::tresult result = vst3::kResultFalse;
    try
    {
        result = Platform::GuardedCall([&] { return object->getState(stream); });
    }
    catch (...)
    {
        stream->release();
        throw;
    }
    bytes = stream->Bytes();
    stream->release();
    return result == vst3::kResultOk;
}

template <class Call> vst3::tresult WithStream(const QByteArray& bytes, Call call)
{
    VST3MemoryStream* stream = new VST3MemoryStream(bytes);
    vst3::tresult result = vst3::kResultFalse;
    try
    {
        result = Platform::GuardedCall([&] { return call(stream); });
    }
    catch (...)
    {
        stream->release();
        throw;
    }
    stream->release();
    return result;
}
} // namespace

bool VST3Plugin::StorePreset(PluginState& state)
{
    if (!m_component)
        return false;
    QByteArray component;
    QByteArray controller;
    try
    {
        TAutoLockCS lock(ProcessingLock());
        if (!ReadState(m_component, component))
            return false;
        if (m_controller)
            ReadState(m_controller, controller);
    }
    catch (const std::exception& e)
    {
        DebugOut("VST3Plugin::StorePreset - %s", e.what());
        return false;
    }
    state.data.clear();
    QDataStream out(&state.data, QIODevice::WriteOnly);
    out << component << controller;
    state.isChunk = 1;
    state.identifier = GetIdentifierPrefix() + GetIdentifierKey();
    state.name = QString::fromStdWString(m_record.name).toStdString();
    return true;
}

bool VST3Plugin::LoadPreset(const PluginState& state)
{
    if (!m_component || state.isChunk != 1)
        return false;
    QByteArray component;
    QByteArray controller;
    QDataStream in(state.data);
    in >> component >> controller;
    if (in.status() != QDataStream::Ok)
        return false;
    SetLoadingPreset(true);
    bool loaded = false;
    try
    {
        SetState(component, controller);
        loaded = true;
    }
    catch (const std::exception& e)
    {
        DebugOut("VST3Plugin::LoadPreset - %s", e.what());
    }
    SetLoadingPreset(false);
    return loaded;
}

// The controller follows the component's state, then takes its own. A
// plug-in that stored nothing has nothing to take back. What the plug-in
// answers is only traced: some refuse the very state they wrote when it
// holds nothing, and a host cannot do better than hand the state over.
void VST3Plugin::SetState(const QByteArray& component, const QByteArray& controller)
{
    TAutoLockCS lock(ProcessingLock());
    if (!component.isEmpty())
    {
        const vst3::tresult result =
            WithStream(component, [this](vst3::IBStream* stream) { return m_component->setState(stream); });
        if (result != vst3::kResultOk)
            DebugOut("VST3Plugin::LoadPreset - the component answered %d", int(result));
    }
    if (!m_controller)
        return;
    if (!component.isEmpty())
        WithStream(component,
                   [this](vst3::IBStream* stream) { return m_controller->setComponentState(stream); });
    if (!controller.isEmpty())
        WithStream(controller, [this](vst3::IBStream* stream) { return m_controller->setState(stream); });
    if (m_parameters.HasBypass())
        m_bypassed = Platform::GuardedCall(
                         [this] { return m_controller->getParamNormalized(m_parameters.BypassId()); }) == 1.0;
}
