#include "ReWire/ReWireVersionCheck.h"

#include "Platform/SystemServices.h"

#include <cstdio>
#include <string>

namespace
{
constexpr const char* kLibraryNames[] = {"ReWireDebug.dll", "ReWireBeta.dll", "ReWire.dll"};
constexpr size_t kMaxPath = 260;
constexpr size_t kMaxModuleName = 256;

// The first candidate that loads, or null.
void* LoadReWire(Platform::SystemServices& services)
{
    if (!services.IsSystemVersionAtLeast(5, 1, 0))
        return nullptr;
    for (const char* name : kLibraryNames)
    {
        std::string folder;
        if (!services.CommonFilesFolder(folder))
            return nullptr;
        const std::string path = folder + "/Propellerhead Software/ReWire/" + name;
        if (path.size() >= kMaxPath)
            return nullptr;
        const unsigned mode = services.GetErrorMode();
        services.SetErrorMode(mode | Platform::kFailCriticalErrors);
        void* library = services.OpenLibrary(path);
        services.SetErrorMode(mode);
        if (library)
            return library;
    }
    return nullptr;
}
} // namespace

int ReWireVersionCheck::Run()
{
    const int answer = CheckInstalledVersion();
    std::fputs(answer ? "REWIRE VERSION UPDATE REQUIRED\n" : "INSTALLED REWIRE VERSION OK\n", stdout);
    std::fflush(stdout);
    return answer;
}

int ReWireVersionCheck::CheckInstalledVersion()
{
    Platform::SystemServices& services = Platform::Services();
    void* library = LoadReWire(services);
    if (!library)
        return 1;
    const std::string moduleName = services.LibraryFileName(library);
    if (moduleName.empty() || moduleName.size() > kMaxModuleName)
    {
        services.CloseLibrary(library);
        return 1;
    }
    const std::uint32_t version = InstalledVersion(library);
    const int major = int(version >> 16);
    const int minor = int(std::int16_t(version & 0xFFFF));
    std::printf("REWIRE LIBRARY VERSION: %d.%d\n", major, minor);
    services.CloseLibrary(library);
    return (major != 1 || minor < 8) ? 1 : 0;
}

std::uint32_t ReWireVersionCheck::InstalledVersion(void* library)
{
    Platform::SystemServices& services = Platform::Services();
    const unsigned mode = services.GetErrorMode();
    services.SetErrorMode(mode | Platform::kNoOpenFileErrorBox);
    std::uint32_t version = 0;
    if (!services.FileVersion(services.LibraryFileName(library), version))
        version = 0;
    services.SetErrorMode(mode);
    return version;
}
