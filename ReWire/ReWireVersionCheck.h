#pragma once

#include <cstdint>

// Reports whether the installed ReWire library is recent enough, so the host
// can ask without loading ReWire into its own process. Only the library's
// location and file version are used; nothing of it is called.
class ReWireVersionCheck
{
public:
    // Prints the verdict on standard output; 0 when the version is good,
    // 1 when an update is required.
    static int Run();

private:
    static int CheckInstalledVersion();
    static std::uint32_t InstalledVersion(void* library);
};
