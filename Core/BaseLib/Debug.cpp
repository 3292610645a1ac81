#include "Core/BaseLib/Debug.h"

#include "Platform/Clock.h"
#include "Platform/DebuggerChannel.h"

#include <QDebug>
#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwchar>

bool DebugSettings::suppressed = false;
bool DebugSettings::timestamps = true;
bool DebugSettings::toDebugger = false;
std::int32_t DebugSettings::sinkLevel = 1;

namespace
{
constexpr std::uint64_t kUnset = ~std::uint64_t(0);
std::atomic<std::uint64_t> g_firstStamp{kUnset};
std::atomic<std::uint64_t> g_previousElapsed{0};

// Writes the stamp for "now" into buffer and returns its length.
size_t WriteTimeStamp(char* buffer, size_t size)
{
    const std::uint64_t now = Platform::MonotonicMicroseconds() / 1000;
    std::uint64_t expected = kUnset;
    g_firstStamp.compare_exchange_strong(expected, now);
    const std::uint64_t elapsed = now - g_firstStamp.load();
    const std::uint64_t delta = elapsed - g_previousElapsed.exchange(elapsed);
    const std::string stamp = DebugTimeStamp(elapsed, delta);
    const size_t length = std::min(stamp.size(), size - 1);
    stamp.copy(buffer, length);
    buffer[length] = '\0';
    return length;
}

// Installed once, read by every tracing thread.
std::atomic<decltype(TraceLog::narrow)> g_logNarrow{nullptr};
std::atomic<decltype(TraceLog::wide)> g_logWide{nullptr};

void DefaultAssertionReport(const wchar_t* expression, const wchar_t* source, unsigned line)
{
    std::fprintf(stderr, "Assertion failed: %ls, file %ls, line %u\n", expression, source, line);
}

std::atomic<AssertionReport> g_assertionReport{DefaultAssertionReport};
} // namespace

void SetTraceLog(TraceLog log)
{
    g_logNarrow = log.narrow;
    g_logWide = log.wide;
}

void TraceToLog(std::int32_t level, const char* line)
{
    if (const auto log = g_logNarrow.load())
        log(level, line);
}

std::string DebugTimeStamp(std::uint64_t elapsedMs, std::uint64_t deltaMs)
{
    char delta[8] = "     ";
    if (deltaMs <= 999)
        std::snprintf(delta, sizeof delta, "(%03d)", int(deltaMs));
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%02d.%02d.%02d.%03d%s: ", int(elapsedMs / 3600000 % 24),
                  int(elapsedMs / 60000 % 60), int(elapsedMs / 1000 % 60), int(elapsedMs % 1000), delta);
    return stamp;
}

void DebugOut(const char* format, ...)
{
    if (DebugSettings::suppressed)
        return;
    try
    {
        char line[1024] = {};
        const size_t prefix = DebugSettings::timestamps ? WriteTimeStamp(line, sizeof line) : 0;
        va_list args;
        va_start(args, format);
        std::vsnprintf(line + prefix, sizeof line - prefix, format, args);
        va_end(args);
        std::replace(line, line + std::strlen(line), '%', '*');
        TraceToLog(DebugSettings::sinkLevel, line);
        if (DebugSettings::toDebugger)
        {
            Platform::WriteToDebugger(line);
            Platform::WriteToDebugger("\r\n");
        }
    }
    catch (...)
    {
        qDebug() << " Caught an exception";
    }
}

void DebugOut(const wchar_t* format, ...)
{
    if (DebugSettings::suppressed)
        return;
    try
    {
        char prefix[64] = {};
        if (DebugSettings::timestamps)
            WriteTimeStamp(prefix, sizeof prefix);
        wchar_t line[1024] = {};
        const int prefixLength = std::swprintf(line, 64, L"%s", prefix);
        va_list args;
        va_start(args, format);
        std::vswprintf(line + prefixLength, 1000, format, args);
        va_end(args);
        line[1023] = L'\0';
        std::replace(line, line + std::wcslen(line), L'%', L'*');
        if (const auto log = g_logWide.load())
            log(DebugSettings::sinkLevel, line);
        if (DebugSettings::toDebugger)
        {
            Platform::WriteToDebugger(line);
            Platform::WriteToDebugger(L"\r\n");
        }
    }
    catch (...)
    {
        qDebug() << " Caught an exception";
    }
}

void DebugOutNamed(const char* name, const char* format, ...)
{
    char message[1024] = {};
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    DebugOut("%s%s", name, message);
}

void ReportAssertion(const wchar_t* expression, const wchar_t* source, unsigned line)
{
    g_assertionReport.load()(expression, source, line);
}

AssertionReport SetAssertionReport(AssertionReport report)
{
    return g_assertionReport.exchange(report ? report : DefaultAssertionReport);
}
