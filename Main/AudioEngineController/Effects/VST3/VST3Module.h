#pragma once

#include "Core/BaseLib/DynamicLibrary.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Factory.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Guard.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Ptr.h"

#include <QString>
#include <string>

// One loaded copy of a VST 3 module, owned by one wrapper. Every call into the
// module runs under the fault guard, so a module that faults while it enters
// or leaves gives a false answer and a trace line, not a crash.
class VST3Module
{
public:
    VST3Module() = default;
    ~VST3Module() { Unload(); }
    VST3Module(const VST3Module&) = delete;
    VST3Module& operator=(const VST3Module&) = delete;

    // False when the library cannot be loaded or its entry refuses; a module
    // whose entry refused stays loaded until Unload.
    bool Load(const std::wstring& path);
    // The module's factory, asked for once; null without one.
    vst3::IPluginFactory* GetFactory();
    void Unload();
    bool IsLoaded() const { return m_loaded; }

    // The library a module path stands for: a bundle folder holds it as
    // <the platform's library folder>/<bundle name><library suffix>, on x86-64 Linux
    // Contents/x86_64-linux/<bundle name>.so; any other path is the library.
    static QString BinaryPath(const QString& path);
    // The library's last-modified local time, "yyyy-MM-dd hh:mm"; empty when
    // there is none. A bundle's own folder keeps its time when the library
    // inside is replaced, so the library's time is what tells an update.
    static std::string FileTime(const QString& path);

private:
    VST3Guard m_guard;
    bool m_loaded = false;
    VST3Ptr<vst3::IPluginFactory> m_factory;
    DynamicLibrary m_library;
};
