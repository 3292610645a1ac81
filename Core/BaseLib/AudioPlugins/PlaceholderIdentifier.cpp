#include "Core/BaseLib/AudioPlugins/PlaceholderIdentifier.h"

#include <QString>

PlaceholderIdentifier PlaceholderIdentifier::From(const std::string& name, const std::wstring& identifier)
{
    const std::wstring widened = QString::fromStdString(name).toStdWString();
    PlaceholderIdentifier result{kScheme, {}, L"Unknown"};
    for (const wchar_t* scheme : {L"au:", L"vst2:", L"vst3:", L"tfd:"})
    {
        const size_t at = identifier.find(scheme);
        if (at == std::wstring::npos)
            continue;
        result.prefix = scheme;
        result.tail = identifier.substr(at + result.prefix.size());
        if (result.prefix == L"tfd:")
            result.displayName = result.tail;
        else if (!widened.empty())
            result.displayName = widened;
        else
            result.displayName = result.prefix == L"au:" ? L"Apple AudioUnit" : result.tail;
        break;
    }
    result.displayName = result.displayName.substr(0, result.displayName.find(L':'));
    return result;
}
