#pragma once

#include "Core/BaseLib/AudioPlugins/AudioPlugin.h"
#include "Core/BaseLib/KriticalSection.h"
#include "Main/AudioEngineController/Effects/VST/VSTAudioPath.h"
#include "Main/AudioEngineController/Effects/VST/VSTDispatcher.h"
#include "Main/AudioEngineController/Effects/VST/VSTEventBuffer.h"
#include "Main/AudioEngineController/Effects/VST/VSTListeners.h"
#include "Main/AudioEngineController/Effects/VST/VSTModule.h"
#include "Main/AudioEngineController/Effects/VST/VSTParameterTable.h"
#include "Main/AudioEngineController/Effects/VST/VSTPresetCodec.h"
#include "Main/AudioEngineController/Effects/VST/VSTSpeakerArrangements.h"
#include "Main/AudioEngineController/Effects/VST/VstEffectRecord.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

class QWidget;
class QSize;
class AudioPluginListener;

// One loaded VST 2 plug-in. Every call into plug-in code goes through the
// dispatcher, which survives a plug-in fault (the host translates faults
// into exceptions on its thread) by answering 0, and every number the
// plug-in reports is taken in through VSTBounds. The scan uses a
// reduced path (LoadModule, Describe, EnumerateShellPlugins) that only
// describes the plug-in without running it.
class VSTPlugin : public QObject, public AudioPlugin
{
    Q_OBJECT

public:
    VSTPlugin();
    ~VSTPlugin() override;

    // The opcode alone, or with a pointer, an integer value or a float; index
    // 0 and the other arguments 0. Calling it without a loaded plug-in is a
    // caller's error; it is reported and answered with 0.
    template <class... Argument> VstIntPtr Dispatch(VstInt32 opcode, Argument... argument)
    {
        return m_dispatcher.Dispatch(opcode, argument...);
    }

    // Loads the plug-in the description names: its path, and its subId for a
    // sub-plug-in of a shell. With reload, the library and the plug-in loaded
    // before are kept (a shell creates its sub-plug-ins from the library it
    // already runs); without, they are closed and unloaded first.
    bool Load(const VstEffectRecord& description, audioMasterCallback callback, bool reload);
    // The scan's load: no effOpen and no wrapper in the AEffect, so the
    // plug-in's callbacks reach the host alone. isPluginModule is false only
    // for a library that loaded but has no VST 2 entry point.
    bool LoadModule(const QString& path, audioMasterCallback callback, bool& isPluginModule);
    // Fills what the plug-in says about itself; the caller supplies path,
    // file time and the user's choices.
    void Describe(VstEffectRecord& record);
    // A shell's sub-plug-ins by name.
    void EnumerateShellPlugins(std::map<std::wstring, std::int32_t>& subPlugins);

    // What HostCallback hands on from the plug-in.
    void OnAutomate(std::int32_t index, float value);
    void OnIOChanged();
    void OnUpdateDisplay();
    VstIntPtr OnSizeWindow(std::int32_t width, std::int32_t height);
    void SetNeedsIdle() { m_needsIdle = true; }
    std::int32_t ShellId() const { return m_shellId; }
    bool IsProcessing() const { return m_processing; }

    bool Initialise(float sampleRate, std::uint32_t blockSize, const PluginPlacement& placement) override;
    bool Process(const TransportRecord& transport, float** inputs, float** outputs,
                 std::uint32_t frames) override;
    void RequestFlush(bool resetPosition) override;
    std::wstring GetName() const override { return m_name; }
    std::wstring GetVendor() const override { return m_vendor; }
    std::wstring GetCreationText() const override { return {}; }
    std::int32_t GetNumInputs() override;
    std::int32_t GetNumOutputs() override;
    bool SetBlockSize(std::uint32_t frames) override;
    bool SetSampleRate(std::uint32_t rate) override;
    std::uint32_t GetBlockSize() const override { return m_blockSize; }
    bool HasEditor() override;
    std::wstring GetIdentifierKey() const override { return m_identifierKey; }
    std::wstring GetIdentifierPrefix() const override { return L"vst2:"; }
    std::int32_t GetLatency() override;
    std::int32_t GetChannelKind() override;
    void SetTotalSamples(std::int64_t samples) override;
    // Sends the arrangement of the engine's formats, falling back to the
    // nearest VST 2.4 layouts and channel counts the plug-in accepts. Sets
    // the channel maps Process applies.
    bool UpdateSpeakerArrangement(std::uint32_t inputFormat, std::uint32_t outputFormat,
                                  bool force = false) override;
    bool SetChannelSelection(const std::vector<std::uint32_t>& channels) override;
    std::intptr_t OpenEditor(QWidget* parent) override;
    QWidget* GetEditorWindow() override { return m_editor; }
    void GetEditorSize(QSize& size) override;
    std::wstring GetProgramName() override;
    bool CloseEditor() override;
    // Gives the plug-in the idle time it asked for and hands the automation
    // that arrived while the plug-in was busy to the listeners.
    void Idle() override;
    bool Refresh() override;
    bool SetBypassed(bool on) override;
    bool IsBypassed() const override { return m_audioPath.IsBypassed(); }
    bool CanDo(const char* capability) override;
    bool StopProcessing() override;
    bool StartProcessing() override;
    void AddListener(AudioPluginListener* listener) override { m_listeners.Add(listener); }
    void RemoveListener(AudioPluginListener* listener) override { m_listeners.Remove(listener); }
    std::int32_t GetEditorRect(QRect& rect, bool& bypassLike) override;

    std::int32_t GetNumParameters() override { return m_parameterTable.GetNumParameters(); }
    std::wstring GetParameterName(std::int32_t index) override
    {
        return m_parameterTable.GetParameterName(index);
    }
    std::uint32_t GetParameterFlags(std::int32_t index) override
    {
        return m_parameterTable.GetParameterFlags(index);
    }
    void ParameterGesture(std::int32_t index, bool begin) override;
    bool SetParameter(std::int32_t index, float value) override
    {
        return m_parameterTable.SetParameter(index, value);
    }
    float GetParameter(std::int32_t index) override { return m_parameterTable.GetParameter(index); }
    AudioPluginParameter GetParameterRecord(std::int32_t index) override
    {
        return m_parameterTable.GetParameterRecord(index);
    }
    // The text of the parameter's current value; the value given is not used.
    std::wstring GetParameterDisplay(std::int32_t index, float) override
    {
        return m_parameterTable.GetParameterDisplay(index);
    }
    float StepsToValue(std::int32_t index, std::uint32_t steps) override
    {
        return m_parameterTable.StepsToValue(index, steps);
    }
    std::uint32_t ValueToSteps(std::int32_t index, float value) override
    {
        return m_parameterTable.ValueToSteps(index, value);
    }
    void GetParameterTable(std::vector<AudioPluginParameter>& table) override
    {
        m_parameterTable.GetParameterTable(table);
    }

    // The plug-in's own chunk when it keeps one, else its parameters by name.
    bool StorePreset(PluginState& state) override;
    bool LoadPreset(const PluginState& state) override;
    bool IsEffect() const override { return m_isEffect; }
    bool WantsMidi() const override { return m_wantsMidi; }
    void SetMidiActive(bool on) override;
    void QueueMidi(const MidiMessage& message) override;
    std::uint32_t CategoryMask() const { return m_categoryMask; }

signals:
    void UpdateWindow();
    void ResizeWindow(int width, int height);

private:
    bool Accept(AEffect* effect, const QString& path);
    void Name(const QString& path);
    bool ReportsOwnName();
    void DetectSoftBypass();
    void SendStreamSettings(float sampleRate);
    bool Refuse();
    // The counts the wrapper works with until the next accepted I/O change.
    void CaptureCounts();
    void ApplyIOChange();

    // Parameters and presets.
    void BuildParameterTable();
    bool LoadChunk(const PluginState& state);

    // Speaker arrangements.
    bool SendArrangements(const SpeakerArrangementRecord& input, const SpeakerArrangementRecord& output);
    bool SendArrangementsFor(std::uint32_t inputFormat, std::uint32_t outputFormat);

    KriticalSection m_pluginLock;
    VSTModule m_module;
    AEffect* _plugin = nullptr;
    VSTDispatcher m_dispatcher{_plugin};
    VSTParameterTable m_parameterTable{_plugin, m_dispatcher};
    VSTPresetCodec m_presetCodec{_plugin, m_dispatcher, m_parameterTable};
    std::int32_t m_inputCount = 0;
    std::int32_t m_outputCount = 0;
    // An I/O change the plug-in reported from inside its processing call,
    // applied by the next idle call rather than under the processing thread.
    std::atomic<bool> m_ioChangePending{false};
    std::int32_t m_shellId = 0;
    std::uint32_t m_channelFormat = 2;
    bool m_active = false;
    bool m_opened = false;
    std::atomic<bool> m_processing{false};
    bool m_needsIdle = false;
    bool m_isEffect = false;
    std::atomic<bool> m_busy{false};
    QWidget* m_editor = nullptr;
    std::uint32_t m_blockSize = 1024;
    std::wstring m_name;
    std::wstring m_vendor;
    std::wstring m_identifierKey;
    std::vector<std::uint32_t> m_channelSelection;
    std::vector<std::int32_t> m_inputMap;
    std::vector<std::int32_t> m_outputMap;
    bool m_arrangementEnabled = false;
    std::uint32_t m_categoryMask = 0;
    std::int32_t m_lastInputs = 0;
    std::int32_t m_lastOutputs = 0;
    bool m_isInstrument = false;
    VSTListeners m_listeners;
    bool m_wantsMidi = false;
    bool m_midiActive = false;
    VSTEventBuffer m_eventBuffer;

    VSTAudioPath m_audioPath{_plugin, m_dispatcher, *this, m_busy};
};
