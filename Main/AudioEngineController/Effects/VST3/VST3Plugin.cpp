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
#include "Main/AudioEngineController/Effects/VST3/VST3Limits.h"
#include "Main/AudioEngineController/Effects/VST3/VST3MemoryStream.h"
#include "Main/AudioEngineController/Effects/VST3/VST3ParameterChanges.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Refusal.h"
#include "Main/AudioEngineController/Effects/VST3/VST3SpeakerArrangement.h"
#include "Main/AudioEngineController/Effects/VST3/VST3StateStream.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Text.h"
#include "Main/StudioModel/StudioModel.h"
#include "Main/VLib/VUI.h"

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
// Sized so that the processing path allocates nothing in the common case.
constexpr vst3::int32 kMaxParameterChanges = 1000;
constexpr vst3::int32 kMaxEvents = 250;

bool Answers(VST3Guard& guard, vst3::IPluginFactory* factory)
{
    return bool(VST3Ptr<vst3::IPluginFactory>::QueryFrom(guard, factory));
}

std::string FactoryVendor(VST3Guard& guard, vst3::IPluginFactory* factory)
{
    vst3::PFactoryInfo info{};
    guard.Call("getFactoryInfo", vst3::kResultFalse, [&] { return factory->getFactoryInfo(&info); });
    return VST3Text::Narrow(info.vendor);
}

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

// NaN counts as 0.
double Normalised(double value)
{
    return value >= 0.0 ? std::min(value, 1.0) : 0.0;
}
} // namespace

VST3Plugin::VST3Plugin()
    : m_hostContext(new VST3HostContext(this)),
      m_inputChanges(new VST3ParameterChanges(kMaxParameterChanges)),
      m_outputChanges(new VST3ParameterChanges(kMaxParameterChanges)), m_inputTransfer(kMaxParameterChanges),
      m_outputTransfer(kMaxParameterChanges), m_eventLists{new VST3EventList(kMaxEvents),
                                                           new VST3EventList(kMaxEvents)},
      m_noEvents(new VST3EventList(0))
{
    m_delivery.reserve(std::size_t(2 * kMaxParameterChanges));
}

VST3Plugin::~VST3Plugin()
{
    Close();
    m_inputChanges->release();
    m_outputChanges->release();
    for (VST3EventList* list : m_eventLists)
        list->release();
    m_noEvents->release();
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
    if (!probe.factory || !Answers(m_guard, probe.factory))
        throw std::runtime_error("VST3 Exception: Failed to get factory function");
    hasFactory = true;
    probe.factoryVendor = FactoryVendor(m_guard, probe.factory);
    probe.classCount = VST3Guard::Capped(
        "classes", m_guard.Call("countClasses", 0, [&] { return probe.factory->countClasses(); }),
        VST3Limits::kMaxClasses);
    // A fault ends the probe as an exception would: what was described stands.
    for (vst3::int32 index = 0; index < probe.classCount && !m_guard.Faulted(); ++index)
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
        VST3EffectRecord record = Describe(texts, probe.factoryVendor);
        if (!m_guard.Faulted())
            probe.records.push_back(std::move(record));
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
    if (m_guard.Call("getClassInfo", vst3::kResultFalse,
                     [&] { return probe.factory->getClassInfo(index, &info); }) == vst3::kResultOk ||
        !UnicodeClassInfo(m_guard, probe.factory, index, wide))
    {
        if (VST3Text::Narrow(info.category) != vst3::kVstAudioEffectClass)
            return false;
        texts.name = VST3Text::WideFromUtf8(info.name);
        if (!probe.names.insert(texts.name).second)
            return false;
        ExtendedClassInfo(m_guard, probe.factory, index, texts.subCategories, texts.vendor);
        std::memcpy(m_classId, info.cid, sizeof m_classId);
        return true;
    }
    if (VST3Text::Narrow(wide.category) != vst3::kVstAudioEffectClass)
        return false;
    texts.name = Utf16Text(wide.name).toStdWString();
    if (!probe.names.insert(texts.name).second)
        return false;
    texts.subCategories = VST3Text::Narrow(wide.subCategories);
    texts.vendor = Utf16Text(wide.vendor).toStdString();
    std::memcpy(m_classId, wide.cid, sizeof m_classId);
    return true;
}

bool VST3Plugin::CreateComponent(vst3::IPluginFactory* factory)
{
    void* obj = nullptr;
    const vst3::tresult created =
        m_guard.Call("createInstance", vst3::kResultFalse,
                     [&] { return factory->createInstance(m_classId, vst3::IComponent::iid, &obj); });
    if (created != vst3::kResultOk || !obj)
        return false;
    m_component.Reset(static_cast<vst3::IComponent*>(obj));
    m_componentInitialised =
        m_guard.Call("initialize", vst3::kResultFalse, [&] { return m_component->initialize(Context()); }) ==
        vst3::kResultOk;
    if (!m_componentInitialised)
        ReleaseComponent();
    return m_componentInitialised;
}

vst3::FUnknown* VST3Plugin::Context() const
{
    return static_cast<vst3::IComponentHandler*>(m_hostContext);
}

void VST3Plugin::ReleaseComponent()
{
    if (std::exchange(m_componentInitialised, false))
        m_guard.Call("terminate", vst3::kResultFalse, [this] { return m_component->terminate(); });
    m_component.Reset();
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
    try
    {
        std::int32_t channels = 0;
        const vst3::int32 buses = BusCount(direction);
        for (vst3::int32 index = 0; index < buses; ++index)
        {
            vst3::BusInfo bus{};
            const vst3::tresult result =
                m_guard.Call("getBusInfo", vst3::kResultFalse,
                             [&] { return m_component->getBusInfo(vst3::kAudio, direction, index, bus); });
            if (result == vst3::kResultOk && bus.busType == vst3::kMain &&
                (bus.flags & vst3::BusInfo::kDefaultActive) != 0)
                channels +=
                    VST3Guard::Bounded("channels on a bus", bus.channelCount, VST3Limits::kMaxBusChannels);
        }
        return channels;
    }
    catch (const VST3Refusal& e)
    {
        DebugOut("VST3Plugin::CountChannels - %s", e.what());
        return 0;
    }
}

vst3::int32 VST3Plugin::BusCount(vst3::BusDirection direction)
{
    return m_guard.Count("audio buses", VST3Limits::kMaxBuses,
                         [&] { return m_component->getBusCount(vst3::kAudio, direction); });
}

KriticalSection* VST3Plugin::ProcessingLock()
{
    return m_processingLockEnabled ? &m_lock : nullptr;
}

template <class Interface> VST3Ptr<Interface> VST3Plugin::Ask()
{
    VST3Ptr<Interface> answered = m_component.template Query<Interface>(m_guard);
    return answered ? std::move(answered) : m_controller.template Query<Interface>(m_guard);
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
    }
    catch (...)
    {
        DebugOut("VST3Plugin::Instantiate - unknown exception");
    }
    return false;
}

bool VST3Plugin::InstantiateClass(const VST3EffectRecord& record)
{
    if (!m_module.Load(QString::fromStdString(record.path).toStdWString()))
        throw std::runtime_error("VST3 Exception: Failed to get load module:");
    VST3ClassId::FromText(record.id, m_classId);
    vst3::IPluginFactory* factory = m_module.GetFactory();
    if (!factory || !Answers(m_guard, factory))
        throw std::runtime_error("VST3 Exception: Failed to get factory function");
    void* obj = nullptr;
    vst3::tresult created = vst3::kResultFalse;
    if (auto factory3 = VST3Ptr<vst3::IPluginFactory3>::QueryFrom(m_guard, factory))
    {
        m_guard.Call("setHostContext", vst3::kResultFalse,
                     [&] { return factory3->setHostContext(Context()); });
        created =
            m_guard.Call("createInstance", vst3::kResultFalse,
                         [&] { return factory3->createInstance(m_classId, vst3::IComponent::iid, &obj); });
    }
    else
        created =
            m_guard.Call("createInstance", vst3::kResultFalse,
                         [&] { return factory->createInstance(m_classId, vst3::IComponent::iid, &obj); });
    if (created != vst3::kResultOk || !obj)
        return false;
    m_component.Reset(static_cast<vst3::IComponent*>(obj));
    m_guard.Call("setIoMode", vst3::kResultFalse, [this] { return m_component->setIoMode(vst3::kAdvanced); });
    if (m_guard.Call("initialize", vst3::kResultFalse, [&] { return m_component->initialize(Context()); }) !=
        vst3::kResultOk)
        return false;
    m_componentInitialised = true;
    CreateController(factory);
    m_record = record;
    m_instrument = CategoryTable::Instance().IsInstrumentMask(record.categoryMask);
    if (m_record.vendor.empty())
        m_record.vendor = FactoryVendor(m_guard, factory);
    return true;
}

// A single-component plug-in is its own controller; otherwise the component
// names the controller's class.
void VST3Plugin::CreateController(vst3::IPluginFactory* factory)
{
    if ((m_controller = m_component.Query<vst3::IEditController>(m_guard)))
    {
        m_controllerInitialised = true;
        m_singleComponent = true;
        return;
    }
    vst3::TUID controllerId = {};
    if (m_guard.Call("getControllerClassId", vst3::kResultFalse,
                     [&] { return m_component->getControllerClassId(controllerId); }) != vst3::kResultOk)
        return;
    void* obj = nullptr;
    if (m_guard.Call("createInstance", vst3::kResultFalse,
                     [&] {
                         return factory->createInstance(controllerId, vst3::IEditController::iid, &obj);
                     }) != vst3::kResultOk ||
        !obj)
        return;
    m_controller.Reset(static_cast<vst3::IEditController*>(obj));
    m_controllerInitialised =
        m_guard.Call("initialize", vst3::kResultFalse, [&] { return m_controller->initialize(Context()); }) ==
        vst3::kResultOk;
    if (!m_controllerInitialised)
        m_controller.Reset();
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
    catch (const VST3Refusal& e)
    {
        Refuse(e.what());
    }
    if (m_guard.Faulted())
        Refuse("it faulted in " + m_guard.FirstFault());
    return m_processing && Usable();
}

// The first reason stands; the plug-in is not run again.
void VST3Plugin::Refuse(const std::string& reason)
{
    DebugOut("VST3Plugin - %s", reason.c_str());
    if (!m_refused)
        SetFailure(QString::fromStdString(reason).toStdWString());
    m_refused = true;
}

void VST3Plugin::BringUp()
{
    if (m_controller)
        m_guard.Call("setComponentHandler", vst3::kResultFalse,
                     [this] {
                         return m_controller->setComponentHandler(
                             static_cast<vst3::IComponentHandler*>(m_hostContext));
                     });
    AcquireInterfaces();
    if (!m_processor || !Usable())
        return;
    UpdateSpeakerArrangement(m_placement.channelFormat, m_placement.channelFormat);
    RebuildParameterList();
    SendChannelContext();
    SetupProcessing();
    m_context = {};
    m_context.sampleRate = m_sampleRate;
    m_context.tempo = 120.0;
    m_data.inputParameterChanges = m_inputChanges;
    m_data.outputParameterChanges = m_outputChanges;
    m_data.inputEvents = m_eventLists[m_currentEvents];
    m_data.processContext = &m_context;
    m_data.symbolicSampleSize = vst3::kSample32;
    if (Usable())
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
        m_midiControllers.Read(m_guard, *m_component.Get(), *m_midiMapping.Get(), m_activeBuses);
}

// Only a pair that both offer a point can talk; the controller then learns
// the component's state.
void VST3Plugin::ConnectComponentAndController()
{
    m_componentPoint = m_component.Query<vst3::IConnectionPoint>(m_guard);
    m_controllerPoint = m_controller.Query<vst3::IConnectionPoint>(m_guard);
    if (!m_componentPoint || !m_controllerPoint)
    {
        m_componentPoint.Reset();
        m_controllerPoint.Reset();
        return;
    }
    m_guard.Call("connect", vst3::kResultFalse,
                 [this] { return m_componentPoint->connect(m_controllerPoint.Get()); });
    m_guard.Call("connect", vst3::kResultFalse,
                 [this] { return m_controllerPoint->connect(m_componentPoint.Get()); });
    QByteArray state;
    VST3StateStream::Read(
        m_guard, "getState", [this](vst3::IBStream* stream) { return m_component->getState(stream); }, state);
    VST3StateStream::Write(m_guard, "setComponentState", state,
                           [this](vst3::IBStream* stream)
                           { return m_controller->setComponentState(stream); });
}

void VST3Plugin::ReleaseInterfaces()
{
    if (m_component)
        m_activeBuses.DeactivateAll(m_guard, *m_component.Get());
    m_midiControllers.Clear();
    if (m_componentPoint && m_controllerPoint)
    {
        m_guard.Call("disconnect", vst3::kResultFalse,
                     [this] { return m_controllerPoint->disconnect(m_componentPoint.Get()); });
        m_guard.Call("disconnect", vst3::kResultFalse,
                     [this] { return m_componentPoint->disconnect(m_controllerPoint.Get()); });
    }
    m_componentPoint.Reset();
    m_controllerPoint.Reset();
    m_componentHandler.Reset();
    m_componentHandler2.Reset();
    m_processor.Reset();
    m_midiMapping.Reset();
    m_programListData.Reset();
    m_controller2.Reset();
    m_unitInfo.Reset();
    m_unitData.Reset();
    m_infoListener.Reset();
}

void VST3Plugin::Close()
{
    TAutoLockCS lock(ProcessingLock());
    StopProcessing();
    if (m_component)
        TearDown();
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
        // Audio buses go while the component still knows them: it is
        // inactive by now, and forgets its buses when terminated.
        m_activeBuses.DeactivateAudio(m_guard, *m_component.Get());
        m_guard.Call("terminate", vst3::kResultFalse, [this] { return m_component->terminate(); });
        if (m_controllerInitialised)
        {
            m_guard.Call("setComponentHandler", vst3::kResultFalse,
                         [this] { return m_controller->setComponentHandler(nullptr); });
            if (!m_singleComponent)
                m_guard.Call("terminate", vst3::kResultFalse, [this] { return m_controller->terminate(); });
        }
        m_controllerInitialised = false;
        ReleaseInterfaces();
        m_controller.Reset();
    }
    m_component.Reset();
    m_componentInitialised = false;
    m_processor.Reset();
}

bool VST3Plugin::StopProcessing()
{
    TAutoLockCS lock(ProcessingLock());
    if (!m_processing)
        return true;
    m_processing = false;
    m_guard.Call("setProcessing", vst3::kResultFalse, [this] { return m_processor->setProcessing(false); });
    m_guard.Call("setActive", vst3::kResultFalse, [this] { return m_component->setActive(false); });
    return true;
}

bool VST3Plugin::StartProcessing()
{
    TAutoLockCS lock(ProcessingLock());
    if (!m_processor || !m_component || m_processing || !Usable())
        return m_processing;
    Activate();
    m_guard.Call("setProcessing", vst3::kResultFalse, [this] { return m_processor->setProcessing(true); });
    m_processing = Usable();
    return m_processing;
}

// A plug-in may answer a placeholder latency until it is active, so it is
// asked again after every activation.
void VST3Plugin::Activate()
{
    m_activeBuses.ActivateAudio(m_guard, *m_component.Get());
    m_guard.Call("setActive", vst3::kResultFalse, [this] { return m_component->setActive(true); });
    RereadLatency();
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
    m_guard.Call("setupProcessing", vst3::kResultFalse,
                 [this] { return m_processor->setupProcessing(m_setup); });
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
    SetupProcessing();
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
        vst3::tresult result = OfferArrangements(inputFormat, outputFormat, false);
        if (result != vst3::kResultOk)
            result = OfferArrangements(inputFormat, outputFormat, true);
        ReadArrangements(vst3::kInput, m_inputs);
        ReadArrangements(vst3::kOutput, m_outputs);
        SetupBuffers();
        return result == vst3::kResultOk;
    }
    catch (const VST3Refusal& e)
    {
        Refuse(e.what());
        return false;
    }
}

// A plug-in that can widen its main bus is offered the track's whole width
// first; only one that refuses it is offered what its bus holds now.
vst3::tresult VST3Plugin::OfferArrangements(std::uint32_t inputFormat, std::uint32_t outputFormat,
                                            bool limited)
{
    std::vector<vst3::SpeakerArrangement> inputs = Arrangements(vst3::kInput, inputFormat, limited);
    std::vector<vst3::SpeakerArrangement> outputs = Arrangements(vst3::kOutput, outputFormat, limited);
    return m_guard.Call("setBusArrangements", vst3::kResultFalse,
                        [&]
                        {
                            return m_processor->setBusArrangements(inputs.data(), vst3::int32(inputs.size()),
                                                                   outputs.data(),
                                                                   vst3::int32(outputs.size()));
                        });
}

// The buses as they are, with the track's arrangement offered for the main
// bus; a plug-in whose main bus is narrower is offered what it can take.
std::vector<vst3::SpeakerArrangement> VST3Plugin::Arrangements(vst3::BusDirection direction,
                                                               std::uint32_t format, bool limited)
{
    const vst3::int32 count = BusCount(direction);
    std::vector<vst3::SpeakerArrangement> arrangements(std::size_t(count), 0);
    for (vst3::int32 bus = 0; bus < count; ++bus)
        m_guard.Call(
            "getBusArrangement", vst3::kResultFalse,
            [&] { return m_processor->getBusArrangement(direction, bus, arrangements[std::size_t(bus)]); });
    if (arrangements.empty())
        return arrangements;
    vst3::BusInfo main{};
    const bool known =
        limited && m_guard.Call("getBusInfo", vst3::kResultFalse,
                                [&] { return m_component->getBusInfo(vst3::kAudio, direction, 0, main); }) ==
                       vst3::kResultOk;
    arrangements[0] = VST3SpeakerArrangement::ForFormat(
        format,
        known ? VST3Guard::Bounded("channels on a bus", main.channelCount, VST3Limits::kMaxBusChannels) : 0);
    return arrangements;
}

void VST3Plugin::ReadArrangements(vst3::BusDirection direction, Buses& buses)
{
    const vst3::int32 count = BusCount(direction);
    buses.counts.assign(std::size_t(count), 0);
    for (vst3::int32 bus = 0; bus < count; ++bus)
    {
        vst3::SpeakerArrangement arrangement = 0;
        vst3::BusInfo info{};
        if (m_guard.Call("getBusArrangement", vst3::kResultFalse,
                         [&] { return m_processor->getBusArrangement(direction, bus, arrangement); }) ==
            vst3::kResultOk)
            buses.counts[std::size_t(bus)] = VST3SpeakerArrangement::ChannelCount(arrangement);
        else if (m_guard.Call("getBusInfo", vst3::kResultFalse,
                              [&] { return m_component->getBusInfo(vst3::kAudio, direction, bus, info); }) ==
                 vst3::kResultOk)
            buses.counts[std::size_t(bus)] =
                VST3Guard::Bounded("channels on a bus", info.channelCount, VST3Limits::kMaxBusChannels);
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
    if (!m_processing || !Usable())
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
    return m_guard.Call("process", vst3::kResultFalse, [this] { return m_processor->process(m_data); }) ==
           vst3::kResultOk;
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
    if (!m_processor || !Usable())
        return;
    DeliverOutputChanges();
    if (!m_playing)
        FlushInputChanges();
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
    // Taken out first: a plug-in that answers setParamNormalized with an
    // edit fills the ring again, and those wait for the next step.
    m_delivery.clear();
    vst3::ParamID id = 0;
    vst3::ParamValue value = 0.0;
    vst3::int32 sampleOffset = 0;
    while (m_delivery.size() < m_delivery.capacity() &&
           m_outputTransfer.GetNextChange(id, value, sampleOffset))
        m_delivery.emplace_back(id, value);
    for (const auto& [changed, normalised] : m_delivery)
    {
        m_echoes[changed] = float(normalised);
        if (m_controller)
            m_guard.Call("setParamNormalized", vst3::kResultFalse,
                         [&] { return m_controller->setParamNormalized(changed, normalised); });
    }
}

// Without blocks the processor would never see what changed; an empty block
// carries the changes to it.
void VST3Plugin::FlushInputChanges()
{
    TAutoLockCS lock(ProcessingLock());
    if (!m_processing || !Usable())
        return;
    m_inputTransfer.TransferTo(*m_inputChanges);
    if (m_inputChanges->getParameterCount() > 0)
    {
        // The events of the last block were delivered with it.
        vst3::IEventList* const events = std::exchange(m_data.inputEvents, m_noEvents);
        m_data.numSamples = 0;
        BindBuffers(nullptr, nullptr);
        RunProcessor();
        m_data.inputEvents = events;
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
    // Data bytes have seven bits; whatever else a message carries is not ours to index with.
    const int status = message.data[0] & 0xF0;
    const int channel = message.data[0] & 0x0F;
    const int first = message.data[1] & 0x7F;
    const int second = message.data[2] & 0x7F;
    const float value = second / 127.0f;
    vst3::Event event{};
    event.sampleOffset = message.deltaFrames;
    switch (status)
    {
    case 0x90:
    case 0x80:
        if (status == 0x90 && second > 0)
        {
            event.type = vst3::Event::kNoteOnEvent;
            event.noteOn = {vst3::int16(channel), vst3::int16(first), 0.0f, value, 0, -1};
        }
        else
        {
            event.type = vst3::Event::kNoteOffEvent;
            event.noteOff = {vst3::int16(channel), vst3::int16(first), value, -1, 0.0f};
        }
        break;
    case 0xA0:
        event.type = vst3::Event::kPolyPressureEvent;
        event.polyPressure = {vst3::int16(channel), vst3::int16(first), value, -1};
        break;
    case 0xB0:
        return QueueMappedController(channel, first, value);
    case 0xD0:
        return QueueMappedController(channel, vst3::kAfterTouch, first / 127.0f);
    case 0xE0:
        return QueueMappedController(channel, vst3::kPitchBend, float((second << 7) | first) / 16383.0f);
    default:
        return;
    }
    m_eventLists[m_currentEvents]->addEvent(event);
}

// Only the first event bus is fed, so only its assignments apply.
void VST3Plugin::QueueMappedController(int channel, int number, float value)
{
    const std::int32_t id = m_midiControllers.ParameterFor(channel, number);
    if (id != -1)
        AddChange(vst3::ParamID(id), value, true);
}

vst3::tresult VST3Plugin::ParameterChange(vst3::ParamID id, float value)
{
    value = float(Normalised(value));
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
    if (m_component)
        m_activeBuses.DeactivateAudio(m_guard, *m_component.Get());
    UpdateSpeakerArrangement(m_placement.channelFormat, m_placement.channelFormat);
    TellListeners([this](AudioPluginListener& listener) { listener.OnIOChanged(this); });
    if (wasProcessing)
        StartProcessing();
}

void VST3Plugin::RereadLatency()
{
    if (!m_processor)
        return;
    const vst3::uint32 latency =
        m_guard.Call("getLatencySamples", 0u, [this] { return m_processor->getLatencySamples(); });
    m_record.latency = VST3Guard::Capped("latency", latency, VST3Limits::kMaxLatency);
    TellListeners([this](AudioPluginListener& listener) { listener.OnLatencyChanged(this); });
}

// The values themselves are asked for when they are shown; only the bypass
// state is kept here.
void VST3Plugin::RereadParameterValues()
{
    if (!m_controller || !m_parameters.HasBypass())
        return;
    m_bypassed = BypassValue() == 1.0;
    TellListeners([this](AudioPluginListener& listener) { listener.OnDisplayChanged(this); });
}

double VST3Plugin::BypassValue()
{
    return Normalised(m_guard.Call("getParamNormalized", 0.0,
                                   [this]
                                   { return m_controller->getParamNormalized(m_parameters.BypassId()); }));
}

void VST3Plugin::RebuildParameterList()
{
    if (!m_controller)
        return;
    m_parameters.Build(m_guard, *m_controller.Get());
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
    m_guard.Call("setChannelContextInfos", vst3::kResultFalse,
                 [&] { return m_infoListener->setChannelContextInfos(list); });
}

bool VST3Plugin::HasEditor()
{
    if (!m_controller)
        return false;
    using View = vst3::IPlugView*;
    if (!m_view)
        m_view.Reset(m_guard.Call("createView", View(nullptr),
                                  [this] { return m_controller->createView(vst3::ViewType::kEditor); }));
    if (!m_view)
        m_view.Reset(
            m_guard.Call("createView", View(nullptr), [this] { return m_controller->createView(nullptr); }));
    if (!m_view)
        m_view = m_controller.Query<vst3::IPlugView>(m_guard);
    return bool(m_view);
}

bool VST3Plugin::IsEditorResizable()
{
    return m_record.name == L"Melodyne" && HasEditor() &&
           m_guard.Call("canResize", vst3::kResultFalse, [this] { return m_view->canResize(); }) ==
               vst3::kResultTrue;
}

std::intptr_t VST3Plugin::OpenEditor(QWidget* parent)
{
    if (!HasEditor())
        return 0;
    // The view has one frame at a time: the old one lets go of it before the
    // new one takes it.
    if (VST3EffectEditor* old = std::exchange(m_editorFrame, nullptr))
        old->release();
    m_editorFrame = new VST3EffectEditor(parent, m_view.Get());
    if (parent && parent->metaObject()->indexOfSlot("UpdateWindow()") >= 0)
        connect(this, SIGNAL(UpdateEditorWindow()), parent, SLOT(UpdateWindow()), Qt::UniqueConnection);
    return m_editorFrame->IsAttached() ? 1 : 0;
}

QWidget* VST3Plugin::GetEditorWindow()
{
    return m_editorFrame ? m_editorFrame->Parent() : nullptr;
}

void VST3Plugin::GetEditorSize(QSize& size)
{
    vst3::ViewRect rect{};
    if (m_view && m_guard.Call("getSize", vst3::kResultFalse, [&] { return m_view->getSize(&rect); }) ==
                      vst3::kResultOk)
        size = QSize(VST3Guard::Capped("editor width", vst3::int64(rect.right) - rect.left, 1 << 16),
                     VST3Guard::Capped("editor height", vst3::int64(rect.bottom) - rect.top, 1 << 16));
}

bool VST3Plugin::CloseEditor()
{
    if (VST3EffectEditor* frame = std::exchange(m_editorFrame, nullptr))
        frame->release();
    m_view.Reset();
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
    const vst3::ParamID id = m_parameters.Info(index).id;
    return float(Normalised(
        m_guard.Call("getParamNormalized", 0.0, [&] { return m_controller->getParamNormalized(id); })));
}

AudioPluginParameter VST3Plugin::GetParameterRecord(std::int32_t index)
{
    if (!IsParameter(index) || !m_controller)
        return {};
    return m_parameters.Describe(index, m_guard, *m_controller.Get());
}

std::wstring VST3Plugin::GetParameterDisplay(std::int32_t index, float value)
{
    if (!IsParameter(index) || !m_controller)
        return {};
    return VST3ParameterList::Display(m_guard, *m_controller.Get(), m_parameters.Info(index).id, value);
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

// A state is taken whole or not at all: one the plug-in refused, cut short
// or grown past what a preset may hold is no preset.
bool VST3Plugin::StorePreset(PluginState& state)
{
    if (!m_component || !Usable())
        return false;
    QByteArray component;
    QByteArray controller;
    {
        TAutoLockCS lock(ProcessingLock());
        if (VST3StateStream::Read(
                m_guard, "getState", [this](vst3::IBStream* stream) { return m_component->getState(stream); },
                component) != vst3::kResultOk)
            return false;
        // A controller may keep nothing of its own and say so.
        if (m_controller && VST3StateStream::Read(
                                m_guard, "getState",
                                [this](vst3::IBStream* stream) { return m_controller->getState(stream); },
                                controller) == vst3::kOutOfMemory)
            return false;
    }
    if (!Usable())
        return false;
    if (vst3::int64(component.size()) + controller.size() > VST3MemoryStream::kMaxBytes)
        return false;
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
    if (!m_component || !Usable() || state.isChunk != 1)
        return false;
    QByteArray component;
    QByteArray controller;
    QDataStream in(state.data);
    in >> component >> controller;
    if (in.status() != QDataStream::Ok)
        return false;
    SetLoadingPreset(true);
    try
    {
        SetState(component, controller);
    }
    catch (...)
    {
        DebugOut("VST3Plugin::LoadPreset - the state could not be handed over");
    }
    SetLoadingPreset(false);
    return Usable();
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
            VST3StateStream::Write(m_guard, "setState", component,
                                   [this](vst3::IBStream* stream) { return m_component->setState(stream); });
        if (result != vst3::kResultOk)
            DebugOut("VST3Plugin::LoadPreset - the component answered %d", int(result));
    }
    if (!m_controller)
        return;
    if (!component.isEmpty())
        VST3StateStream::Write(m_guard, "setComponentState", component,
                               [this](vst3::IBStream* stream)
                               { return m_controller->setComponentState(stream); });
    if (!controller.isEmpty())
        VST3StateStream::Write(m_guard, "setState", controller,
                               [this](vst3::IBStream* stream) { return m_controller->setState(stream); });
    if (m_parameters.HasBypass())
        m_bypassed = BypassValue() == 1.0;
}
