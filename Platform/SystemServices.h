#pragma once

#include "Platform/Library.h"

#include <cstdint>
#include <string>

namespace Platform
{
// Error-mode flags, with the values a Windows build uses.
constexpr unsigned kFailCriticalErrors = 0x0001;
constexpr unsigned kNoGpFaultErrorBox = 0x0002;
constexpr unsigned kNoOpenFileErrorBox = 0x8000;

// Operating-system services that the process entry and the ReWire check use.
// Tests install their own implementation to drive those paths.
class SystemServices
{
public:
    virtual ~SystemServices() = default;

    virtual unsigned GetErrorMode() = 0;
    virtual void SetErrorMode(unsigned mode) = 0;
    virtual bool IsSystemVersionAtLeast(int major, int minor, int servicePackMajor) = 0;
    // The folder where programs keep files they share; false when unknown.
    virtual bool CommonFilesFolder(std::string& folder) = 0;
    virtual LibraryHandle OpenLibrary(const std::string& path) = 0;
    virtual void CloseLibrary(LibraryHandle library) = 0;
    virtual std::string LibraryFileName(LibraryHandle library) = 0;
    // The most significant half of a file's fixed version (major << 16 | minor).
    virtual bool FileVersion(const std::string& path, std::uint32_t& versionMS) = 0;
};

SystemServices& Services();
// Replaces the services; null restores the platform's own.
void SetServices(SystemServices* services);
} // namespace Platform
