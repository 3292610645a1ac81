#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// Conversions between XML text and values, shared by the readers and the
// line-by-line writers of the configuration files.
namespace XMLText
{
// Decimal with optional leading white space and sign, read up to the first
// character that is not part of the number; 0 when there is no number.
// Values beyond 32 bits keep their low 32 bits, so an unsigned 32-bit number
// written in decimal reads back unchanged.
std::int32_t ToInt32(const char* text);
double ToDouble(const char* text);

// Character data in UTF-8 with "&" and "<" escaped.
QByteArray Escape(const QString& text);
QByteArray Escape(const std::wstring& text);
QByteArray Escape(const std::string& utf8);
} // namespace XMLText
