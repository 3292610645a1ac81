#include "support/LogCapture.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>

void LogCapture::Log(int level, const wchar_t* format, ...)
{
    wchar_t line[2048] = {};
    va_list args;
    va_start(args, format);
    std::vswprintf(line, 2048, format, args);
    va_end(args);
    Add(level, QString::fromWCharArray(line));
}

void LogCapture::Log(int level, const char* format, ...)
{
    char line[2048] = {};
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    Add(level, QString::fromUtf8(line));
}

void LogCapture::Add(int level, const QString& line)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_lines << line;
    m_levels.push_back(level);
}

QStringList LogCapture::Lines() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_lines;
}

std::vector<int> LogCapture::Levels() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_levels;
}
