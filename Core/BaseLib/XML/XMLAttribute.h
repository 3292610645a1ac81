#pragma once

#include <cstdint>
#include <pugixml.hpp>

// One attribute of an element; values read by the same rules as element text.
class XMLAttribute
{
public:
    explicit XMLAttribute(pugi::xml_attribute attribute) : m_attribute(attribute) {}

    std::int32_t GetInt() const;
    double GetDouble() const;

private:
    pugi::xml_attribute m_attribute;
};
