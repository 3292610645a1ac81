#pragma once

#include <string>

// The one error the XML wrapper raises; thrown by value, caught by reference.
class XMLException
{
public:
    explicit XMLException(std::wstring message) : m_message(std::move(message)) {}
    const std::wstring& Message() const { return m_message; }

private:
    std::wstring m_message;
};
