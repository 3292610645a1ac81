#pragma once

#include "Core/BaseLib/AudioPlugins/AudioPluginParameter.h"
#include "Core/BaseLib/AudioPlugins/MidiMessage.h"
#include "Core/BaseLib/AudioPlugins/PluginPlacement.h"
#include "Core/BaseLib/AudioPlugins/PluginState.h"

#include <QRect>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

class AudioPluginListener;
class QSize;
class QWidget;

// The common base of every plug-in instance, whatever its format. Wrappers
// override what their format does; the rest keeps these defaults.
class AudioPlugin
{
public:
    AudioPlugin();
    virtual ~AudioPlugin() = default;

    virtual bool Initialise(float sampleRate, std::uint32_t blockSize, const PluginPlacement& placement);
    virtual void Close() {}
    virtual bool Process(const TransportRecord& transport, float** inputs, float** outputs,
                         std::uint32_t frames) = 0;
    // Periodic housekeeping from the catalogue's pass over fixed devices.
    virtual void Poll() {}
    virtual void RequestFlush(bool resetPosition) = 0;
    virtual std::wstring GetName() const = 0;
    virtual std::wstring GetDisplayName() const { return GetName(); }
    virtual std::wstring GetVendor() const { return {}; }
    virtual std::wstring GetCreationText() const = 0;
    virtual std::int32_t GetNumInputs() = 0;
    virtual std::int32_t GetNumOutputs() = 0;
    virtual bool SetBlockSize(std::uint32_t frames) = 0;
    virtual bool SetSampleRate(std::uint32_t) { return true; }
    virtual std::uint32_t GetBlockSize() const = 0;
    virtual bool HasEditor() { return false; }
    virtual std::wstring GetIdentifierKey() const = 0;
    virtual std::wstring GetIdentifierPrefix() const = 0;
    virtual std::int32_t GetLatency() { return 0; }
    // 2 while the plug-in takes audio in; 0 for a source without inputs.
    virtual std::int32_t GetChannelKind() { return 2; }
    // How many samples an offline render will feed the plug-in.
    virtual void SetTotalSamples(std::int64_t) {}
    virtual bool UpdateSpeakerArrangement(std::uint32_t, std::uint32_t, bool = false) { return false; }
    // Which of the caller's channels feed the plug-in's inputs, in order.
    virtual bool SetChannelSelection(const std::vector<std::uint32_t>&) { return true; }
    virtual bool IsEditorResizable() { return false; }
    // Opens the plug-in's editor inside the given window; non-zero on success.
    virtual std::intptr_t OpenEditor(QWidget*) { return 0; }
    // The window the open editor lives in, and the size it asked for.
    virtual QWidget* GetEditorWindow() { return nullptr; }
    virtual void GetEditorSize(QSize&) {}
    virtual std::wstring GetProgramName() { return {}; }
    virtual bool CloseEditor() { return true; }
    // Housekeeping on the window thread: editor idle, queued notifications.
    virtual void Idle() {}

    // Known misbehaviour of particular plug-ins, recognised by name or vendor.
    // They belong to the interface the host application's engine drives
    // plug-ins through; of the scanner and plugcat only the wrappers ask one,
    // RestartsOnPositionJump.
    bool IsNotSurroundZone() const;
    bool IsReaPlugsOrFlux() const;
    bool IsIZotopeOrWaves() const;
    // False for plug-ins that must be fed silence rather than restarted after
    // a position jump, and whose parameter echoes must not be dropped.
    bool RestartsOnPositionJump() const;
    bool IsNotAbDecode() const;
    bool IsNotWalkMixCreator() const;

    // Parameters that particular plug-ins must never be automated on.
    const std::set<std::wstring>* SpecialParameterNames() const;
    virtual bool IsModeOne() const { return false; }
    // Tells the listeners that the plug-in's display changed.
    virtual bool Refresh() { return false; }
    virtual bool SetBypassed(bool) { return false; }
    virtual bool IsBypassed() const { return false; }
    // The wrappers restore the flag from a preset and report it with the
    // editor rectangle; the host application's engine reads it here.
    void SetBypassLike(bool on) { m_bypassLike = on; }
    bool IsBypassLike() const { return m_bypassLike; }
    bool GetOffset(bool& enabled, std::int32_t& value) const;
    void SetOffset(bool enabled, std::int32_t value);
    virtual bool CanDo(const char*) { return false; }
    virtual bool StopProcessing() { return true; }
    virtual bool StartProcessing() { return true; }
    virtual void AddListener(AudioPluginListener*) {}
    virtual void RemoveListener(AudioPluginListener*) {}
    // The editor's last rectangle; the return value is the interface's 1.
    virtual std::int32_t GetEditorRect(QRect& rect, bool& bypassLike);
    void SetEditorRect(const QRect& rect) { m_editorRect = rect; }

    // Parameters by index, in the engine's order.
    virtual std::int32_t GetNumParameters() { return 0; }
    virtual std::wstring GetParameterName(std::int32_t) { return {}; }
    // 8 for a parameter the wrapper never sets, 2 for a switch, else 0.
    virtual std::uint32_t GetParameterFlags(std::int32_t) { return 0; }
    // A plug-in's edit gesture on a parameter starts (begin) or ends.
    virtual void ParameterGesture(std::int32_t, bool) {}
    // Normalised values, 0 to 1.
    virtual bool SetParameter(std::int32_t, float) { return true; }
    virtual float GetParameter(std::int32_t) { return 0.0f; }
    virtual AudioPluginParameter GetParameterRecord(std::int32_t) { return {}; }
    virtual std::wstring GetParameterDisplay(std::int32_t, float) { return {}; }
    virtual float StepsToValue(std::int32_t, std::uint32_t) { return 0.0f; }
    virtual std::uint32_t ValueToSteps(std::int32_t, float) { return 0; }
    virtual void GetParameterTable(std::vector<AudioPluginParameter>& table) { table.clear(); }

    virtual bool StorePreset(PluginState&) { return false; }
    virtual bool LoadPreset(const PluginState&) { return false; }
    // Where the chain plug-in keeps its presets, and the preset it starts with.
    virtual void SetPresetFolder(const std::wstring&) {}
    virtual bool SetPresetName(const std::wstring&) { return false; }
    virtual std::wstring GetInputName(std::int32_t index);
    virtual std::wstring GetOutputName(std::int32_t index);
    virtual bool IsEffect() const { return false; }
    virtual bool WantsMidi() const { return false; }
    // The plug-in asked for MIDI.
    virtual void SetMidiActive(bool) {}
    // Queued for the next block while MIDI is active.
    virtual void QueueMidi(const MidiMessage&) {}
    virtual void UpdateTimeInfo(const TransportRecord&, bool) {}
    virtual void AdvanceTimeInfo() {}

    // True while LoadPreset runs, so that what the plug-in reports meanwhile
    // is not taken for the user's edits.
    bool IsLoadingPreset() const { return m_loadingPreset; }

    // Why the plug-in cannot be used, for the user: empty while it can. Set
    // when it refuses to open (an answer past our limits, a fault while it
    // starts) or, for a plug-in in a process of its own, when that process
    // died or hung.
    virtual std::wstring GetFailure() const { return m_failure; }

protected:
    void SetLoadingPreset(bool on) { m_loadingPreset = on; }
    void SetFailure(const std::wstring& text) { m_failure = text; }
    // "In"/"Out" with the channel's name in the layout of that many channels,
    // or numbered past the first eight.
    static std::wstring ChannelName(const wchar_t* stem, std::int32_t index, std::int32_t channels);
    static std::wstring NumberedChannelName(const wchar_t* stem, std::int32_t index);

private:
    bool NameContains(const wchar_t* text) const;
    bool VendorContains(const wchar_t* text) const;

    bool m_bypassLike = false;
    QRect m_editorRect;
    bool m_offsetEnabled = false;
    std::int32_t m_offsetValue = -100;
    bool m_loadingPreset = false;
    std::wstring m_failure;
};
