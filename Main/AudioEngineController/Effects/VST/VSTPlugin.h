#pragma once

#include "Core/BaseLib/AudioPlugins/AudioPlugin.h"
#include "Core/BaseLib/DynamicLibrary.h"
#include "Core/BaseLib/KriticalSection.h"
#include "Main/AudioEngineController/Effects/VST/VstAbi.h"
#include "Main/AudioEngineController/Effects/VST/VstEffectRecord.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <map>
#include <set>
#include <string>

class QWidget;
class AudioPluginListener;

// One loaded VST 2 plug-in. Every call into plug-in code goes through the
// dispatch wrappers, which survive a plug-in fault (the host translates
// faults into exceptions on its thread) by answering 0. The scan uses a
// reduced path (LoadModule, Describe, EnumerateShellPlugins) that only
// describes the plug-in without running it.
class VSTPlugin : public QObject, public AudioPlugin
{
    Q_OBJECT

public:
    VSTPlugin();
    ~VSTPlugin() override;

    // Index 0 and the other arguments 0. Calling one without a loaded plug-in
    // is a caller's error; it is reported and answered with 0.
    VstIntPtr Dispatch(VstInt32 opcode);
    VstIntPtr Dispatch(VstInt32 opcode, void* ptr);
    VstIntPtr Dispatch(VstInt32 opcode, VstIntPtr value);
    VstIntPtr Dispatch(VstInt32 opcode, float opt);

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
    bool CanDo(const char* capability) override;
    bool StopProcessing() override;
    bool StartProcessing() override;
    void ParameterGesture(std::int32_t index, bool begin) override;
    void SetMidiActive(bool on) override;

    // Gives the plug-in the idle time it asked for and hands the automation
    // that arrived while the plug-in was busy to the listeners.
    void Idle() override;
    void AddListener(AudioPluginListener* listener) override;
    void RemoveListener(AudioPluginListener* listener) override;
    bool IsEffect() const { return m_isEffect; }
    bool WantsMidi() const { return m_wantsMidi; }
    std::uint32_t CategoryMask() const { return m_categoryMask; }

signals:
    void UpdateWindow();
    void ResizeWindow(int width, int height);

private:
    template <class Call> VstIntPtr Guarded(Call call);
    bool OpenLibrary(const QString& path);
    AEffect* RunEntryPoint(const QString& path, audioMasterCallback callback, bool& isPluginModule);
    bool Accept(AEffect* effect, const QString& path);
    void Name(const QString& path);
    bool ReportsOwnName();
    void DetectSoftBypass();
    void SendStreamSettings(float sampleRate);

    KriticalSection m_pluginLock;
    DynamicLibrary m_library;
    AEffect* _plugin = nullptr;
    std::int32_t m_shellId = 0;
    std::uint32_t m_channelFormat = 2;
    bool m_active = false;
    bool m_opened = false;
    std::atomic<bool> m_processing{false};
    bool m_needsIdle = false;
    bool m_softBypass = false;
    bool m_isEffect = false;
    std::atomic<bool> m_busy{false};
    QWidget* m_editor = nullptr;
    std::uint32_t m_blockSize = 1024;
    std::wstring m_name;
    std::wstring m_vendor;
    std::wstring m_identifierKey;
    std::uint32_t m_categoryMask = 0;
    bool m_isInstrument = false;
    std::set<AudioPluginListener*> m_listeners;
    KriticalSection m_listenerLock;
    KriticalSection m_pendingLock;
    std::map<std::int32_t, float> m_pendingAutomation;
    bool m_wantsMidi = false;
    bool m_midiActive = false;
};
