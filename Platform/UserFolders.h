#pragma once

#include <string>

namespace Platform
{
// Where the user's applications keep their settings, without a trailing
// slash: the folder that follows the user to other machines.
std::string RoamingAppDataFolder();
} // namespace Platform
