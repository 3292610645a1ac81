#include "Main/AudioEngineController/Effects/VST3/VST3Text.h"

#include <QString>

std::u16string VST3Text::Units(const vst3::String128 text)
{
    std::size_t length = 0;
    while (length < 128 && text[length] != 0)
        ++length;
    return std::u16string(text, length);
}

std::wstring VST3Text::Wide(const vst3::String128 text)
{
    return Wide(Units(text));
}

std::wstring VST3Text::Wide(const std::u16string& text)
{
    return QString::fromUtf16(text.data(), int(text.size())).toStdWString();
}

std::wstring VST3Text::FromUtf8(const char* text, std::size_t length)
{
    return QString::fromUtf8(text, int(length)).toStdWString();
}
