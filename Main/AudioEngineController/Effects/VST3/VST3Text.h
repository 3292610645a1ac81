#pragma once

#include "Main/AudioEngineController/Effects/VST3/Abi/Base.h"

#include <cstring>
#include <string>

// Texts in a plug-in's fixed-size fields, which need not be terminated: no
// read goes past the field.
class VST3Text
{
public:
    static std::u16string Units(const vst3::String128 text);
    static std::wstring Wide(const vst3::String128 text);
    static std::wstring Wide(const std::u16string& text);

    template <std::size_t N> static std::string Narrow(const char (&text)[N])
    {
        return std::string(text, strnlen(text, N));
    }

    // UTF-8 decoded.
    template <std::size_t N> static std::wstring WideFromUtf8(const char (&text)[N])
    {
        return FromUtf8(text, strnlen(text, N));
    }

private:
    static std::wstring FromUtf8(const char* text, std::size_t length);
};
