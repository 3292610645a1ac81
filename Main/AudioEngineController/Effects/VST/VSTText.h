#pragma once

#include "Main/AudioEngineController/Effects/VST/VSTBounds.h"

#include <cstddef>
#include <string>

// A text the plug-in writes into: room far beyond what it may write, read as
// Latin-1 only up to the text's limit, so that an unterminated or overlong
// text neither runs past our memory nor past what we take.
class VSTText
{
public:
    void* Room() { return m_bytes; }
    std::wstring Read(std::size_t limit) const;
    // A text in a structure the plug-in filled, read up to its end.
    static std::wstring Latin1(const char* text, std::size_t capacity);

private:
    char m_bytes[VSTBounds::kTextRoom] = {};
};
