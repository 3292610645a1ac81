#pragma once

#include "Main/AudioEngineController/Effects/VST3/Abi/Component.h"
#include "Main/AudioEngineController/Effects/VST3/VST3EffectRecord.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Ptr.h"

#include <set>
#include <string>
#include <vector>

namespace vst3
{
class IPluginFactory;
}

class VST3Guard;
class VST3Module;

// What the scan asks of a module: one record per audio class, each class's
// component created and initialised only to count its channels, then let go.
// It calls the plug-in through its wrapper's guard and module, and stops at
// the first fault.
class VST3ModuleProbe
{
public:
    // context is what each component is initialised with; own is the
    // wrapper's record, whose counts and category stand where it has them.
    VST3ModuleProbe(VST3Guard& guard, VST3Module& module, vst3::FUnknown* context,
                    const VST3EffectRecord& own);
    ~VST3ModuleProbe();
    VST3ModuleProbe(const VST3ModuleProbe&) = delete;
    VST3ModuleProbe& operator=(const VST3ModuleProbe&) = delete;

    // The records of the module at path (UTF-8), in the factory's class
    // order; isNew tells that the scan knows nothing of the file. hasFactory
    // comes back false when the module loaded but offers no factory; it is
    // left as it was when the module cannot be loaded at all.
    std::vector<VST3EffectRecord> Probe(const std::string& path, bool isNew, bool& hasFactory);

    // The module's factory, null when it has none or the factory does not
    // answer for its own interface.
    static vst3::IPluginFactory* AnsweringFactory(VST3Guard& guard, VST3Module& module);
    static std::string FactoryVendor(VST3Guard& guard, vst3::IPluginFactory* factory);

private:
    // What a probe records of a class, whichever record of the factory told it.
    struct ClassTexts
    {
        std::wstring name;
        std::string subCategories;
        std::string vendor;
    };

    void ProbeClasses(const std::string& path, bool& hasFactory);
    void ProbeClass(vst3::int32 index);
    bool ReadAudioClass(vst3::int32 index, ClassTexts& texts);
    bool CreateComponent();
    void ReleaseComponent();
    VST3EffectRecord Describe(const ClassTexts& texts);

    VST3Guard& m_guard;
    VST3Module& m_module;
    vst3::FUnknown* const m_context;
    const VST3EffectRecord& m_own;
    bool m_isNew = false;
    vst3::IPluginFactory* m_factory = nullptr;
    std::string m_factoryVendor;
    vst3::int32 m_classCount = 0;
    // The first class of a name wins.
    std::set<std::wstring> m_names;
    std::vector<VST3EffectRecord> m_records;
    vst3::TUID m_classId = {};
    VST3Ptr<vst3::IComponent> m_component;
    bool m_componentInitialised = false;
};
