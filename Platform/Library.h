#pragma once

#include <string>

// Shared-library loading. Plug-in libraries are opened with every symbol
// resolved at once and kept local, so that two plug-ins exporting the same
// names never see each other's symbols.
namespace Platform
{
using LibraryHandle = void*;

// Null when the library cannot be opened; LastLibraryError() then says why.
LibraryHandle OpenLibrary(const std::string& utf8Path);
std::string LastLibraryError();
void* LibrarySymbol(LibraryHandle library, const char* name);
void CloseLibrary(LibraryHandle library);
// The file the loader actually mapped for this handle; empty when unknown.
std::string LibraryFileName(LibraryHandle library);

// How this platform names and places plug-in libraries: the suffix of a
// library file (".so"), and the folder inside a plug-in bundle that holds the
// library built for this system and processor ("Contents/x86_64-linux").
const char* LibrarySuffix();
const char* BundleLibraryFolder();
} // namespace Platform
