#pragma once

#include "Core/BaseLib/AudioPlugins/AudioPlugin.h"
#include "Core/BaseLib/AudioPlugins/AudioPluginListeners.h"
#include "Core/BaseLib/KriticalSection.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Processor.h"
#include "Main/AudioEngineController/Effects/VST3/IVST3HostContextOwner.h"
#include "Main/AudioEngineController/Effects/VST3/VST3BusActivation.h"
#include "Main/AudioEngineController/Effects/VST3/VST3EditorView.h"
#include "Main/AudioEngineController/Effects/VST3/VST3EffectRecord.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Guard.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Instance.h"
#include "Main/AudioEngineController/Effects/VST3/VST3MidiInput.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Module.h"
#include "Main/AudioEngineController/Effects/VST3/VST3ParameterList.h"
#include "Main/AudioEngineController/Effects/VST3/VST3ParameterTraffic.h"
#include "Main/AudioEngineController/Effects/VST3/VST3ProcessData.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Ptr.h"

#include <QObject>
#include <atomic>
#include <string>
#include <vector>

class VST3HostContext;
class VST3PluginState;

// One VST 3 class as an engine plug-in, with its own loaded copy of the module
// and its own host context. The scanner uses it only to probe a module:
// construct, ProbeModule, destroy. The engine instantiates, initialises,
// processes and closes it.
//
// Parameter changes cross threads as VST3ParameterTraffic describes.
//
// Every call into the plug-in goes through the wrapper's guard. A plug-in
// that faulted, or whose answers pass our limits, is not run again; when
// that happens while it is brought up, GetFailure() says why.
class VST3Plugin : public QObject, public AudioPlugin, protected VST3Instance, public IVST3HostContextOwner
{
    Q_OBJECT

public:
    VST3Plugin();
    ~VST3Plugin() override;
    VST3Plugin(const VST3Plugin&) = delete;
    VST3Plugin& operator=(const VST3Plugin&) = delete;

    // One record per audio class of the module at path (UTF-8), in the
    // factory's class order; isNew tells that the scan knows nothing of the
    // file. hasFactory comes back false when the module loaded but offers no
    // factory; it is left as it was when the module cannot be loaded at all.
    // The module stays loaded until the wrapper is destroyed.
    std::vector<VST3EffectRecord> ProbeModule(const std::string& path, bool isNew, bool& hasFactory);
    // Creates and initialises the recorded class's component and controller.
    bool Instantiate(const VST3EffectRecord& record);

    bool Initialise(float sampleRate, std::uint32_t blockSize, const PluginPlacement& placement) override;
    void Close() override;
    // Prepares its own block from the transport and runs the processor.
    bool Process(const TransportRecord& transport, float** inputs, float** outputs,
                 std::uint32_t frames) override;
    void RequestFlush(bool) override {}
    std::wstring GetName() const override { return m_record.name; }
    std::wstring GetVendor() const override;
    std::wstring GetCreationText() const override { return {}; }
    // The recorded count, or else the channels of the main, default-active
    // audio buses of the component.
    std::int32_t GetNumInputs() override;
    std::int32_t GetNumOutputs() override;
    bool SetBlockSize(std::uint32_t frames) override;
    bool SetSampleRate(std::uint32_t rate) override;
    std::uint32_t GetBlockSize() const override { return m_blockSize; }
    std::wstring GetIdentifierKey() const override { return m_record.id; }
    std::wstring GetIdentifierPrefix() const override { return L"vst3:"; }
    std::int32_t GetLatency() override { return m_record.latency > 0 ? m_record.latency : 0; }
    // An instrument is a source: it takes no audio in.
    std::int32_t GetChannelKind() override { return m_instrument ? 0 : 2; }
    bool UpdateSpeakerArrangement(std::uint32_t inputFormat, std::uint32_t outputFormat,
                                  bool = false) override;
    bool StopProcessing() override;
    bool StartProcessing() override;

    bool HasEditor() override;
    bool IsEditorResizable() override;
    std::intptr_t OpenEditor(QWidget* parent) override;
    QWidget* GetEditorWindow() override;
    void GetEditorSize(QSize& size) override;
    bool CloseEditor() override;
    // Hands what the processor and the editor reported to the controller and,
    // while the transport stands, lets the processor take pending changes.
    void Idle() override;

    void AddListener(AudioPluginListener* listener) override;
    void RemoveListener(AudioPluginListener* listener) override;
    bool SetBypassed(bool on) override;
    bool IsBypassed() const override { return m_bypassed; }
    std::int32_t GetNumParameters() override { return m_parameters.Count(); }
    std::wstring GetParameterName(std::int32_t index) override;
    std::uint32_t GetParameterFlags(std::int32_t index) override;
    bool SetParameter(std::int32_t index, float value) override;
    float GetParameter(std::int32_t index) override;
    AudioPluginParameter GetParameterRecord(std::int32_t index) override;
    std::wstring GetParameterDisplay(std::int32_t index, float value) override;
    float StepsToValue(std::int32_t index, std::uint32_t steps) override;
    std::uint32_t ValueToSteps(std::int32_t index, float value) override;
    void GetParameterTable(std::vector<AudioPluginParameter>& table) override;
    // Notes and pressure go to the next block as events; controllers, channel
    // pressure and pitch bend as changes of the parameters they are mapped to.
    void QueueMidi(const MidiMessage& message) override;
    // The component's and the controller's state, one after the other.
    bool StorePreset(PluginState& state) override;
    bool LoadPreset(const PluginState& state) override;

    // Stops processing and brings the plug-in up again with the stored
    // block size, sample rate and placement.
    void Reload() override;
    // The engine's context of the next block; offline blocks render.
    virtual void PrepareBlock(const vst3::ProcessContext& context, bool offline);

    // What the host context passes on from the plug-in. A wrapper that only
    // probes lists no parameters and runs nothing, so these leave it as it is.
    vst3::tresult EditNotification(vst3::ParamID id, bool begin) override;
    vst3::tresult ParameterChange(vst3::ParamID id, float value) override;
    void RereadBuses() override;
    void RereadLatency() override;
    void RereadParameterValues() override;
    void RebuildParameterList() override;
    void SetModified(bool) override {}

    void SetFrameRate(const vst3::FrameRate& rate) { m_frameRate = rate; }
    VST3HostContext* HostContext() const { return m_hostContext.Get(); }

signals:
    void UpdateEditorWindow();

private:
    vst3::FUnknown* Context() const;

    KriticalSection* ProcessingLock();
    bool InstantiateClass(const VST3EffectRecord& record);
    void BringUp();
    void AcquireInterfaces();
    void ReleaseInterfaces();
    void TearDown();
    void SendChannelContext();
    vst3::int32 ComputeMaxSamples() const;
    void SetupProcessing();
    void SetupBuffers();
    void Activate();
    void Refuse(const std::string& reason);
    bool Usable() const { return !m_refused && !m_guard.Faulted(); }
    void Reconfigure();
    bool RunProcessor();
    void AddChange(vst3::ParamID id, float value, bool toProcessor);
    void FlushInputChanges();
    VST3PluginState State();
    void SetState(const QByteArray& component, const QByteArray& controller);
    double BypassValue();

    // Destroyed last: the module is unloaded only after every object it made
    // was released.
    VST3Module m_module;
    VST3Guard m_guard;
    VST3Ptr<VST3HostContext> m_hostContext;
    vst3::TUID m_classId = {};
    bool m_componentInitialised = false;
    bool m_controllerInitialised = false;
    bool m_singleComponent = false;
    bool m_instrument = false;
    bool m_processingLockEnabled = true;
    VST3EffectRecord m_record;
    std::uint32_t m_blockSize = 1024;
    std::uint32_t m_sampleRate = 48000;
    PluginPlacement m_placement;

    VST3MidiInput m_midi;
    VST3BusActivation m_activeBuses;

    VST3ParameterList m_parameters;
    std::atomic<bool> m_bypassed{false};
    AudioPluginListeners m_listeners;

    VST3ParameterTraffic m_traffic;

    VST3ProcessData m_processData;
    vst3::FrameRate m_frameRate = {25, 0};
    bool m_processing = false;
    bool m_refused = false;
    std::atomic<bool> m_playing{false};

    VST3EditorView m_editor;
    KriticalSection m_lock;
};
