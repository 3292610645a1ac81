#include "Main/AudioEngineController/Effects/VST3/VST3Module.h"

#include "Core/BaseLib/Debug.h"
#include "Core/BaseLib/FileUtilities.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Factory.h"
#include "Platform/Library.h"

#include <QFileInfo>

namespace
{
QString BundleLibrary(const QString& bundle)
{
    return bundle + QLatin1Char('/') + QLatin1String(Platform::BundleLibraryFolder()) + QLatin1Char('/') +
           QFileInfo(bundle).completeBaseName() + QLatin1String(Platform::LibrarySuffix());
}

} // namespace

QString VST3Module::BinaryPath(const QString& path)
{
    return QFileInfo(path).isDir() ? BundleLibrary(path) : path;
}

// A bundle's time is its library's: an update replaces the library and
// leaves the bundle folder alone.
std::string VST3Module::FileTime(const QString& path)
{
    QString text = FileUtilities::FileTimeText(BundleLibrary(path));
    if (text.isEmpty() && !QFileInfo(path).isDir())
        text = FileUtilities::FileTimeText(path);
    return text.toStdString();
}

bool VST3Module::Load(const std::wstring& path)
{
    // Not under the fault guard: a fault in a library's initialisers would
    // leave the loader's own lock held for every other thread. Such a crash
    // ends the process, and the crash marker records the module.
    if (!m_library.IsLoaded())
        m_library.Load(BinaryPath(QString::fromStdWString(path)));
    m_loaded = m_loaded || m_library.IsLoaded();
    if (!m_loaded)
    {
        DebugOut("VST3Module::Load - %s", m_library.Error().c_str());
        return false;
    }
    const auto entry = reinterpret_cast<vst3::ModuleEntryFunc>(m_library.Symbol(vst3::kModuleEntryName));
    if (!entry)
        return true;
    void* handle = m_library.Handle();
    return m_guard.Call("ModuleEntry", false, [&] { return entry(handle); });
}

vst3::IPluginFactory* VST3Module::GetFactory()
{
    if (m_factory)
        return m_factory.Get();
    const auto getFactory =
        reinterpret_cast<vst3::GetFactoryProc>(m_library.Symbol(vst3::kGetPluginFactoryName));
    if (getFactory)
        m_factory.Reset(m_guard.Call("GetPluginFactory", static_cast<vst3::IPluginFactory*>(nullptr),
                                     [&] { return getFactory(); }));
    return m_factory.Get();
}

void VST3Module::Unload()
{
    if (!m_loaded)
        return;
    // Leaving goes on past a fault in any one step, so that the library is
    // still closed.
    m_factory.Reset();
    if (const auto exit = reinterpret_cast<vst3::ModuleExitFunc>(m_library.Symbol(vst3::kModuleExitName)))
        m_guard.Run("ModuleExit", [exit] { exit(); });
    // Unguarded, like loading: the loader holds its own lock meanwhile.
    m_library.Unload();
    m_loaded = false;
}
