#include "Platform/UserFolders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace Platform
{
namespace
{
std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    // A service started without a login shell may have no HOME.
    const passwd* user = getpwuid(getuid());
    return user && user->pw_dir ? user->pw_dir : "/";
}

std::string WithoutTrailingSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}
} // namespace

// The XDG base directory rules ignore a relative XDG_CONFIG_HOME, as it
// would name a different folder in every working directory.
std::string RoamingAppDataFolder()
{
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome && configHome[0] == '/')
        return WithoutTrailingSlash(configHome);
    return WithoutTrailingSlash(HomeFolder()) + "/.config";
}
} // namespace Platform
