#pragma once

#include "Core/BaseLib/AudioPlugins/AudioPlugin.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Base.h"
#include "Main/AudioEngineController/Effects/VST3/VST3EffectRecord.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Module.h"

#include <set>
#include <string>
#include <vector>

namespace vst3
{
class IComponent;
class IPluginFactory;
struct PClassInfo2;
} // namespace vst3

class VST3HostContext;

// One VST 3 class as an engine plug-in, with its own loaded copy of the module
// and its own host context. The scanner uses it only to probe a module:
// construct, ProbeModule, destroy.
class VST3Plugin : public AudioPlugin
{
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

    void Close() override;
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
    std::uint32_t GetBlockSize() const override { return m_blockSize; }
    std::wstring GetIdentifierKey() const override { return m_record.id; }
    std::wstring GetIdentifierPrefix() const override { return L"vst3:"; }

    // What the host context passes on from the plug-in. A wrapper that only
    // probes lists no parameters and runs nothing, so these leave it as it is.
    virtual vst3::tresult EditNotification(vst3::ParamID id, bool begin);
    // kResultFalse for a parameter that is not listed.
    virtual vst3::tresult ParameterChange(vst3::ParamID id, float value);
    virtual void Reload() {}
    virtual void RereadBuses() {}
    virtual void RereadLatency() {}
    virtual void RereadParameterValues() {}
    virtual void RebuildParameterList() {}
    virtual void SetModified(bool) {}

    VST3HostContext* HostContext() const { return m_hostContext; }

private:
    struct ModuleProbe
    {
        bool isNew = false;
        vst3::IPluginFactory* factory = nullptr;
        std::string factoryVendor;
        vst3::int32 classCount = 0;
        // The first class of a name wins.
        std::set<std::wstring> names;
        std::vector<VST3EffectRecord> records;
    };

    void ProbeClasses(const std::string& path, bool& hasFactory, ModuleProbe& probe);
    void ProbeClass(ModuleProbe& probe, vst3::int32 index);
    VST3EffectRecord Describe(const std::wstring& name, const vst3::PClassInfo2& info,
                              const std::string& factoryVendor);
    bool CreateComponent(vst3::IPluginFactory* factory);
    void ReleaseComponent();
    std::int32_t CountChannels(vst3::int32 direction);

    // Destroyed last: the module is unloaded only after every object it made
    // was released.
    VST3Module m_module;
    VST3HostContext* m_hostContext;
    vst3::IComponent* m_component = nullptr;
    bool m_componentInitialised = false;
    vst3::TUID m_classId = {};
    VST3EffectRecord m_record;
    std::uint32_t m_blockSize = 1024;
};
