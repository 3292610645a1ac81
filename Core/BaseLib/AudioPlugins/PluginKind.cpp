#include "Core/BaseLib/AudioPlugins/PluginKind.h"

PluginKind PluginKindOf(const std::wstring& identifierPrefix)
{
    if (identifierPrefix == L"vst2:")
        return PluginKind::Vst2;
    if (identifierPrefix == L"vst3:")
        return PluginKind::Vst3;
    if (identifierPrefix == L"au:")
        return PluginKind::AudioUnit;
    if (identifierPrefix == L"tfd:")
        return PluginKind::Tfd;
    return PluginKind::None;
}
