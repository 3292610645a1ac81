#include "Main/AudioEngineController/Effects/VST/VSTText.h"

#include <algorithm>
#include <cstring>

std::wstring VSTText::Read(std::size_t limit) const
{
    return Latin1(m_bytes, std::min(limit, sizeof m_bytes));
}

std::wstring VSTText::Latin1(const char* text, std::size_t capacity)
{
    const std::size_t length = strnlen(text, capacity);
    std::wstring wide(length, L'\0');
    for (std::size_t i = 0; i < length; ++i)
        wide[i] = wchar_t(static_cast<unsigned char>(text[i]));
    return wide;
}
