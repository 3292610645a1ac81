#pragma once

#include "Core/BaseLib/XML/XMLAttribute.h"

#include <memory>

// The attributes of one element, searched in attribute order.
class XMLAttributes
{
public:
    explicit XMLAttributes(pugi::xml_node element) : m_element(element) {}

    bool HasAttribute(const std::wstring& name) const;
    // Throws XMLException("Invalid Attribute") when there is none of that name.
    std::unique_ptr<XMLAttribute> GetAttribute(const std::wstring& name) const;

private:
    pugi::xml_attribute Find(const std::wstring& name) const;

    pugi::xml_node m_element;
};
