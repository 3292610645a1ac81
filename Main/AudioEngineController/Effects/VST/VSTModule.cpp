#include "Main/AudioEngineController/Effects/VST/VSTModule.h"

#include "Platform/FaultGuard.h"

#include <QString>

// Not under the fault guard: a fault in a library's initialisers would leave
// the loader's own lock held for every other thread. Such a crash ends the
// process, and the crash marker records the plug-in.
bool VSTModule::OpenLibrary(const QString& path)
{
    return m_library.IsLoaded() || m_library.Load(path);
}

AEffect* VSTModule::Open(const QString& path, audioMasterCallback callback, bool& isPluginModule)
{
    isPluginModule = true;
    if (!OpenLibrary(path))
        return nullptr;
    void* entry = m_library.Symbol("VSTPluginMain");
    if (!entry)
        entry = m_library.Symbol("main");
    if (!entry)
    {
        isPluginModule = false;
        return nullptr;
    }
    try
    {
        return Platform::GuardedCall([&] { return reinterpret_cast<VstPluginMainProc>(entry)(callback); });
    }
    catch (...)
    {
        m_library.Unload();
        return nullptr;
    }
}
