#pragma once

#include <string>

// The text form of a VST 3 class identifier: 32 upper-case hexadecimal digits
// in the order of a textual GUID without dashes or braces.
namespace VST3ClassId
{
// The sixteen identifier bytes as they lie in memory.
std::wstring ToText(const char* classId);
// The bytes of text written as ToText writes them; false for any other text.
bool FromText(const std::wstring& text, char* classId);
} // namespace VST3ClassId
