#include "support/LogCapture.h"

#include "Interfaces/EngineContext.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>

namespace
{
constexpr int kLineLength = 2048;
}

LogCapture::LogCapture(QStringList pluginFolders) : folders(std::move(pluginFolders))
{
    EngineContext::Instance().SetInterface(this);
}

LogCapture::~LogCapture()
{
    EngineContext::Instance().SetInterface(nullptr);
}

void LogCapture::Log(int level, const wchar_t* format, ...)
{
    wchar_t line[kLineLength] = {};
    va_list args;
    va_start(args, format);
    std::vswprintf(line, kLineLength, format, args);
    va_end(args);
    Add(level, QString::fromWCharArray(line));
}

void LogCapture::Log(int level, const char* format, ...)
{
    char line[kLineLength] = {};
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

int LogCapture::Count(const QString& text) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    int count = 0;
    for (const QString& line : m_lines)
        count += line.contains(text);
    return count;
}
