#pragma once

#include <string>

// The format of a plug-in instance, told by the identifier prefix it reports.
enum class PluginKind
{
    None = 0,
    Tfd = 1,
    Vst2 = 2,
    AudioUnit = 3,
    Vst3 = 4,
};

// Only the exact prefix text, colon included, names a kind.
PluginKind PluginKindOf(const std::wstring& identifierPrefix);
