#pragma once

#include <cstdint>
#include <string>

// What an isolated plug-in says of itself once it was created, and again
// whenever its channels, latency or bypass may have changed.
struct IsolationDescription
{
    std::wstring name;
    std::wstring displayName;
    std::wstring vendor;
    std::wstring creationText;
    std::wstring identifierKey;
    std::wstring identifierPrefix;
    std::int32_t inputs = 0;
    std::int32_t outputs = 0;
    std::int32_t latency = 0;
    std::int32_t channelKind = 2;
    std::int32_t parameters = 0;
    std::uint32_t blockSize = 0;
    bool hasEditor = false;
    bool editorResizable = false;
    bool effect = false;
    bool wantsMidi = false;
    bool bypassed = false;
};
