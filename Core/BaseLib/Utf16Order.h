#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

// The result files list identifiers in UTF-16 code unit order, which differs
// from the UTF-32 order of wide strings here for characters above U+FFFF.
struct Utf16Order
{
    static std::uint32_t Rank(wchar_t c)
    {
        // Code points from U+E000 to U+FFFF follow the surrogate pairs in UTF-16.
        const auto point = std::uint32_t(c);
        return point >= 0xE000 && point <= 0xFFFF ? point + 0x110000 : point;
    }
    bool operator()(const std::wstring& a, const std::wstring& b) const
    {
        const size_t common = std::min(a.size(), b.size());
        for (size_t i = 0; i < common; ++i)
            if (a[i] != b[i])
                return Rank(a[i]) < Rank(b[i]);
        return a.size() < b.size();
    }
};
