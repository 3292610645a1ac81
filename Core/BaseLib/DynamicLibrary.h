#pragma once

#include "Platform/Library.h"

#include <QString>

// A plug-in library owned by one wrapper: loaded once, unloaded by Unload or
// by the destructor. Loading runs the library's own initialisers, so callers
// that load unknown code do it under the fault guard.
class DynamicLibrary
{
public:
    DynamicLibrary() = default;
    ~DynamicLibrary() { Unload(); }
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // False when the library cannot be loaded; Error() then says why.
    bool Load(const QString& path);
    void Unload();
    bool IsLoaded() const { return m_handle != nullptr; }
    Platform::LibraryHandle Handle() const { return m_handle; }
    void* Symbol(const char* name) const { return Platform::LibrarySymbol(m_handle, name); }
    const std::string& Error() const { return m_error; }

private:
    Platform::LibraryHandle m_handle = nullptr;
    std::string m_error;
};
