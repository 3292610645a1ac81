#pragma once

#include "Core/BaseLib/AudioPlugins/AudioPlugin.h"
#include "Core/BaseLib/AudioPlugins/AudioPluginListeners.h"
#include "Core/BaseLib/AudioPlugins/Isolation/IsolationBlockExchange.h"
#include "Core/BaseLib/AudioPlugins/Isolation/IsolationDescription.h"
#include "Core/BaseLib/AudioPlugins/Isolation/IsolationProtocol.h"

#include <QSize>
#include <memory>
#include <string>
#include <vector>

class IsolationMessage;
class IsolationProcess;

// Stands in for a VST 2 or VST 3 plug-in that runs in a process of its own,
// where the real wrapper hosts it. Everything a user of a wrapper does is
// forwarded; blocks cross in shared memory with one wake-up each way. When
// that process dies or stops keeping up, this plug-in plays silence (its
// dry input while bypassed), GetFailure() says what happened, and nothing
// of the failure reaches this process; Restart() brings it back.
class IsolatedPlugin : public AudioPlugin
{
public:
    static constexpr std::uint32_t kMissedBlocksBeforeHung = IsolationBlockExchange::kMissedBlocksBeforeHung;

    // identifier is the catalogue's "vst:..." identifier; effectsFolder is
    // where the result files lie that name what to load.
    IsolatedPlugin(std::string hostProgram, std::wstring identifier, std::wstring effectsFolder);
    ~IsolatedPlugin() override;

    // Starts the process and creates the plug-in there; false, with
    // GetFailure() saying why, when either fails.
    bool Initialise(float sampleRate, std::uint32_t blockSize, const PluginPlacement& placement) override;
    void Close() override;
    // A fresh process and plug-in, with the last preset stored or restored
    // and the bypass restored. Never called on its own: playback keeps its
    // silence until the user asks for this, and no block may be processed
    // meanwhile.
    bool Restart();
    // It cannot play: it refused to open, or its process failed.
    bool HasFailed() const;
    // Its process crashed or hung, as opposed to a plug-in that refused to open.
    bool ProcessFailed() const;
    // Raises the shortest deadline of a block, for hosts that would rather
    // wait than drop blocks (an offline render, a loaded test machine).
    void SetMinimumDeadline(std::uint64_t micros);

    bool Process(const TransportRecord& transport, float** inputs, float** outputs,
                 std::uint32_t frames) override;
    void RequestFlush(bool resetPosition) override;
    std::wstring GetName() const override { return m_description.name; }
    std::wstring GetDisplayName() const override { return m_description.displayName; }
    std::wstring GetVendor() const override { return m_description.vendor; }
    std::wstring GetCreationText() const override { return m_description.creationText; }
    std::int32_t GetNumInputs() override { return m_inputs; }
    std::int32_t GetNumOutputs() override { return m_outputs; }
    bool SetBlockSize(std::uint32_t frames) override;
    bool SetSampleRate(std::uint32_t rate) override;
    std::uint32_t GetBlockSize() const override { return m_blockSize; }
    bool HasEditor() override { return m_description.hasEditor; }
    std::wstring GetIdentifierKey() const override { return m_description.identifierKey; }
    std::wstring GetIdentifierPrefix() const override { return m_description.identifierPrefix; }
    std::int32_t GetLatency() override { return m_description.latency; }
    std::int32_t GetChannelKind() override { return m_description.channelKind; }
    void SetTotalSamples(std::int64_t samples) override;
    bool UpdateSpeakerArrangement(std::uint32_t inputs, std::uint32_t outputs, bool force = false) override;
    bool SetChannelSelection(const std::vector<std::uint32_t>& channels) override;
    bool IsEditorResizable() override { return m_description.editorResizable; }
    std::intptr_t OpenEditor(QWidget* parent) override;
    QWidget* GetEditorWindow() override { return m_editorParent; }
    void GetEditorSize(QSize& size) override { size = m_editorSize; }
    std::wstring GetProgramName() override;
    bool CloseEditor() override;
    void Idle() override;
    bool SetBypassed(bool on) override;
    bool IsBypassed() const override { return m_bypassed; }
    bool CanDo(const char* what) override;
    bool StopProcessing() override;
    bool StartProcessing() override;
    void AddListener(AudioPluginListener* listener) override { m_listeners.Add(listener); }
    void RemoveListener(AudioPluginListener* listener) override { m_listeners.Remove(listener); }

    std::int32_t GetNumParameters() override { return m_description.parameters; }
    std::wstring GetParameterName(std::int32_t index) override;
    std::uint32_t GetParameterFlags(std::int32_t index) override;
    void ParameterGesture(std::int32_t index, bool begin) override;
    bool SetParameter(std::int32_t index, float value) override;
    float GetParameter(std::int32_t index) override;
    AudioPluginParameter GetParameterRecord(std::int32_t index) override;
    std::wstring GetParameterDisplay(std::int32_t index, float value) override;
    float StepsToValue(std::int32_t index, std::uint32_t steps) override;
    std::uint32_t ValueToSteps(std::int32_t index, float value) override;
    void GetParameterTable(std::vector<AudioPluginParameter>& table) override;

    bool StorePreset(PluginState& state) override;
    bool LoadPreset(const PluginState& state) override;
    std::wstring GetInputName(std::int32_t index) override;
    std::wstring GetOutputName(std::int32_t index) override;
    bool IsEffect() const override { return m_description.effect; }
    bool WantsMidi() const override { return m_description.wantsMidi; }
    void SetMidiActive(bool on) override;
    void QueueMidi(const MidiMessage& message) override;

    std::wstring GetFailure() const override;

private:
    bool Launch();
    bool Call(IsolationRequest request, const IsolationMessage& arguments, IsolationMessage& reply);
    bool Call(IsolationRequest request, const IsolationMessage& arguments);
    // A request with one index (and value) whose reply is read by the caller.
    IsolationMessage Ask(IsolationRequest request, std::int32_t index, float value = 0.0f);
    bool Describe();
    void Deliver(IsolationMessage& notice);

    bool ProcessChunk(const TransportRecord& transport, float** inputs, float** outputs, std::uint32_t offset,
                      std::uint32_t frames);
    // Silence, or the dry input while bypassed.
    void FillFailed(float** inputs, float** outputs, std::uint32_t offset, std::uint32_t frames) const;

    const std::string m_hostProgram;
    const std::wstring m_identifier;
    const std::wstring m_effectsFolder;
    std::unique_ptr<IsolationProcess> m_process;
    std::unique_ptr<IsolationBlockExchange> m_exchange;
    IsolationDescription m_description;
    // The channel counts from the description, bounded by what the block holds.
    std::int32_t m_inputs = 0;
    std::int32_t m_outputs = 0;
    float m_sampleRate = 44100.0f;
    std::uint32_t m_blockSize = 0;
    PluginPlacement m_placement;
    bool m_bypassed = false;
    bool m_hasPreset = false;
    PluginState m_lastPreset;
    std::uint64_t m_minimumDeadlineMicros = IsolationBlockExchange::kMinimumDeadlineMicros;
    AudioPluginListeners m_listeners;
    QWidget* m_editorParent = nullptr;
    QSize m_editorSize;
};
