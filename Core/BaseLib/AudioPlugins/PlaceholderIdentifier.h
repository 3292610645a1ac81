#pragma once

#include <string>

// How a placeholder for a plug-in that cannot be created is named, derived
// from the missing plug-in's stored name and identifier.
struct PlaceholderIdentifier
{
    static constexpr const wchar_t* kScheme = L"placeholder:";

    // The scheme found in the identifier ("placeholder:" when none was).
    std::wstring prefix;
    // The identifier after the scheme; the placeholder's identifier key.
    std::wstring tail;
    std::wstring displayName;

    static PlaceholderIdentifier From(const std::string& name, const std::wstring& identifier);

    std::wstring Key(const std::wstring& suffix) const { return tail + suffix; }
    std::wstring Identifier(const std::wstring& suffix) const { return kScheme + Key(suffix); }
};
