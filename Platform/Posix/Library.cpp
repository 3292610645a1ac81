#include "Platform/Library.h"

#include <dlfcn.h>
#include <link.h>

namespace Platform
{
namespace
{
thread_local std::string t_lastError;
}

LibraryHandle OpenLibrary(const std::string& utf8Path)
{
    LibraryHandle handle = dlopen(utf8Path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
    {
        const char* error = dlerror();
        t_lastError = error ? error : "unknown error";
    }
    return handle;
}

std::string LastLibraryError()
{
    return t_lastError;
}

void* LibrarySymbol(LibraryHandle library, const char* name)
{
    return library ? dlsym(library, name) : nullptr;
}

void CloseLibrary(LibraryHandle library)
{
    if (library)
        dlclose(library);
}

std::string LibraryFileName(LibraryHandle library)
{
    link_map* map = nullptr;
    if (!library || dlinfo(library, RTLD_DI_LINKMAP, &map) != 0 || !map)
        return {};
    // The dynamic section lies inside the mapped file, so dladdr on it names the file.
    Dl_info info{};
    if (map->l_ld && dladdr(map->l_ld, &info) && info.dli_fname)
        return info.dli_fname;
    return map->l_name ? map->l_name : "";
}
const char* LibrarySuffix()
{
    return ".so";
}

const char* BundleLibraryFolder()
{
#if defined(__aarch64__)
    return "Contents/aarch64-linux";
#elif defined(__i386__)
    return "Contents/i386-linux";
#else
    return "Contents/x86_64-linux";
#endif
}
} // namespace Platform
