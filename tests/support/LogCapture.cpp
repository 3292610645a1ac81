#include "support/LogCapture.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>

void LogCapture::Log(int, const wchar_t* format, ...)
{
    wchar_t line[2048] = {};
    va_list args;
    va_start(args, format);
    std::vswprintf(line, 2048, format, args);
    va_end(args);
    Add(QString::fromWCharArray(line));
}

void LogCapture::Log(int, const char* format, ...)
{
    char line[2048] = {};
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    Add(QString::fromUtf8(line));
}

void LogCapture::Add(const QString& line)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_lines << line;
}

QStringList LogCapture::Lines() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_lines;
}
