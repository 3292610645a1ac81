#pragma once

#include <QString>
#include <cstdint>
#include <pugixml.hpp>
#include <string>

// One attribute of an element; values read by the same rules as element text.
class XMLAttribute
{
public:
    explicit XMLAttribute(pugi::xml_attribute attribute) : m_attribute(attribute) {}

    std::wstring GetValue() const;
    QString GetQValue() const;
    std::int32_t GetInt() const;
    double GetDouble() const;
    std::uint64_t GetUInt64() const;

private:
    pugi::xml_attribute m_attribute;
};
