#include "Core/BaseLib/XML/XMLAttribute.h"

#include "Core/BaseLib/XML/XMLText.h"

std::wstring XMLAttribute::GetValue() const
{
    return GetQValue().toStdWString();
}

QString XMLAttribute::GetQValue() const
{
    return QString::fromUtf8(m_attribute.value());
}

std::int32_t XMLAttribute::GetInt() const
{
    return XMLText::ToInt32(m_attribute.value());
}

double XMLAttribute::GetDouble() const
{
    return XMLText::ToDouble(m_attribute.value());
}

std::uint64_t XMLAttribute::GetUInt64() const
{
    return XMLText::ToUInt64(m_attribute.value());
}
