#include "Platform/SystemServices.h"

#include <sys/resource.h>

namespace Platform
{
namespace
{
class PosixServices : public SystemServices
{
public:
    unsigned GetErrorMode() override { return m_mode; }

    // There is no crash dialog to suppress here; what waits on a crashing
    // process is a core dump, so that is switched off instead.
    void SetErrorMode(unsigned mode) override
    {
        m_mode = mode;
        if (mode & kNoGpFaultErrorBox)
        {
            rlimit none{0, 0};
            setrlimit(RLIMIT_CORE, &none);
        }
    }

    bool IsSystemVersionAtLeast(int, int, int) override { return true; }

    bool CommonFilesFolder(std::string& folder) override
    {
        folder = "/usr/lib";
        return true;
    }

    LibraryHandle OpenLibrary(const std::string& path) override { return Platform::OpenLibrary(path); }
    void CloseLibrary(LibraryHandle library) override { Platform::CloseLibrary(library); }
    std::string LibraryFileName(LibraryHandle library) override { return Platform::LibraryFileName(library); }

    // Shared objects carry no version resource.
    bool FileVersion(const std::string&, std::uint32_t&) override { return false; }

private:
    unsigned m_mode = 0;
};

PosixServices g_posixServices;
SystemServices* g_services = &g_posixServices;
} // namespace

SystemServices& Services()
{
    return *g_services;
}

void SetServices(SystemServices* services)
{
    g_services = services ? services : &g_posixServices;
}
} // namespace Platform
