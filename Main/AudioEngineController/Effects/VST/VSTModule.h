#pragma once

#include "Core/BaseLib/DynamicLibrary.h"
#include "Main/AudioEngineController/Effects/VST/Abi/Effect.h"

class QString;

// A VST 2 plug-in library and its entry point. The library stays loaded
// until it is unloaded or the module is destroyed, so that a shell creates
// its sub-plug-ins from the library it already runs.
class VSTModule
{
public:
    // Loads the library unless it is loaded, and answers what its entry
    // point ("VSTPluginMain", else "main") answers the callback: null for a
    // library that cannot be loaded, has no entry point (isPluginModule then
    // false) or whose entry point fails, which also unloads the library.
    AEffect* Open(const QString& path, audioMasterCallback callback, bool& isPluginModule);
    void Unload() { m_library.Unload(); }

private:
    bool OpenLibrary(const QString& path);

    DynamicLibrary m_library;
};
