#include "Core/BaseLib/XML/XMLAttribute.h"

#include "Core/BaseLib/XML/XMLText.h"

std::int32_t XMLAttribute::GetInt() const
{
    return XMLText::ToInt32(m_attribute.value());
}

double XMLAttribute::GetDouble() const
{
    return XMLText::ToDouble(m_attribute.value());
}
