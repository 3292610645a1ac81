#include "Main/AudioEngineController/Effects/VST3/VST3ClassId.h"

#include <cstdint>

namespace VST3ClassId
{
namespace
{
void AppendHex(std::wstring& text, std::uint32_t value, int digits)
{
    static const wchar_t kDigits[] = L"0123456789ABCDEF";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        text += kDigits[(value >> shift) & 0xF];
}

// The first three fields of a GUID are read as little-endian numbers.
std::uint32_t LittleEndian(const unsigned char* bytes, int count)
{
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | bytes[i];
    return value;
}
} // namespace

std::wstring ToText(const char* classId)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(classId);
    std::wstring text;
    text.reserve(32);
    AppendHex(text, LittleEndian(bytes, 4), 8);
    AppendHex(text, LittleEndian(bytes + 4, 2), 4);
    AppendHex(text, LittleEndian(bytes + 6, 2), 4);
    for (int i = 8; i < 16; ++i)
        AppendHex(text, bytes[i], 2);
    return text;
}

bool FromText(const std::wstring& text, char* classId)
{
    if (text.size() != 32)
        return false;
    unsigned char bytes[16];
    for (int i = 0; i < 16; ++i)
    {
        unsigned value = 0;
        for (int digit = 0; digit < 2; ++digit)
        {
            const wchar_t c = text[std::size_t(2 * i + digit)];
            const int nibble = c >= L'0' && c <= L'9'   ? c - L'0'
                               : c >= L'A' && c <= L'F' ? c - L'A' + 10
                                                        : -1;
            if (nibble < 0)
                return false;
            value = (value << 4) | unsigned(nibble);
        }
        bytes[i] = static_cast<unsigned char>(value);
    }
    // The first three fields were written as little-endian numbers.
    static const int kOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    for (int i = 0; i < 16; ++i)
        classId[kOrder[i]] = static_cast<char>(bytes[i]);
    return true;
}
} // namespace VST3ClassId
