#include "Core/BaseLib/XML/XMLText.h"

#include <cctype>
#include <charconv>
#include <cstring>

namespace XMLText
{
namespace
{
const char* SkipSpace(const char* text)
{
    while (*text && std::isspace(static_cast<unsigned char>(*text)))
        ++text;
    return text;
}

template <class T> T ParseNumber(const char* text)
{
    if (!text)
        return T(0);
    text = SkipSpace(text);
    if (*text == '+')
        ++text;
    T value{};
    std::from_chars(text, text + std::strlen(text), value);
    return value;
}
} // namespace

std::int32_t ToInt32(const char* text)
{
    return static_cast<std::int32_t>(ParseNumber<long long>(text));
}

double ToDouble(const char* text)
{
    return ParseNumber<double>(text);
}

QByteArray Escape(const std::string& utf8)
{
    QByteArray out;
    out.reserve(int(utf8.size()));
    for (char c : utf8)
    {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else
            out += c;
    }
    return out;
}

QByteArray Escape(const QString& text)
{
    return Escape(text.toStdString());
}

QByteArray Escape(const std::wstring& text)
{
    return Escape(QString::fromStdWString(text));
}
} // namespace XMLText
