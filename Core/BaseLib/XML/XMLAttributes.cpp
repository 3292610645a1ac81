#include "Core/BaseLib/XML/XMLAttributes.h"

#include "Core/BaseLib/XML/XMLException.h"

#include <QString>

pugi::xml_attribute XMLAttributes::Find(const std::wstring& name) const
{
    const std::string utf8 = QString::fromStdWString(name).toStdString();
    for (pugi::xml_attribute attribute : m_element.attributes())
        if (utf8 == attribute.name())
            return attribute;
    return {};
}

bool XMLAttributes::HasAttribute(const std::wstring& name) const
{
    return bool(Find(name));
}

std::unique_ptr<XMLAttribute> XMLAttributes::GetAttribute(const std::wstring& name) const
{
    pugi::xml_attribute attribute = Find(name);
    if (!attribute)
        throw XMLException(L"Invalid Attribute");
    return std::make_unique<XMLAttribute>(attribute);
}
