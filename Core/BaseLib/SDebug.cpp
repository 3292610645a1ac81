#include "Core/BaseLib/SDebug.h"

#include "Core/BaseLib/Debug.h"
#include "Core/BaseLib/KriticalSection.h"
#include "Platform/DebuggerChannel.h"

#include <QString>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwchar>

namespace
{
constexpr size_t kLineSize = 1024;

KriticalSection& TraceLock()
{
    static KriticalSection lock;
    return lock;
}

void CopyCut(char* target, size_t size, const char* text)
{
    std::snprintf(target, size, "%s", text ? text : "");
}

// A format this long is never expanded: it would not fit, and cutting a
// format can cut a conversion in half.
void WriteTooLong(const char* format)
{
    TAutoLockCS lock(&TraceLock());
    Platform::WriteToDebugger("-----------  THE FOLLOWING DEBUG STRING is TOO LONG - NOT EXPANDED");
    Platform::WriteToDebugger(format);
    Platform::WriteToDebugger("\r\n");
}
} // namespace

SDebug g_vstDispatchDebug("VST Plugins", "Debug the Dispatch <-> VST", 0, false);
SDebug g_vstPlayDebug("VST Plugins", "play debug", 0, false);
SDebug g_timeDomainInitDebug("TimeDomain Init", "PTU Scaling Constants", 0, false);
SDebug g_timecodeDebug("Timecode", "Trace HD rate flag usage", 0, false);
SDebug g_logicalTrackDebug("Logical Track mapping", "", 0, false);
SDebug g_videoCachingDebug("Use Video Caching", "doThecallback", 0, true);
SDebug g_studioModelIntParDebug("StudioModelIntPar", "", 0, false);
SDebug g_subscriberTimingDebug("StudioModel Subscriber timing", "", 0, false);
SDebug g_panFormatConverterDebug("panFormatConverterDebug", "", 0, false);
SDebug g_sdebugsDumpDebug("Debug dump of SDebugs",
                          "Debugs out all the switchable debugs when DebugOutArray is called", 0, false);

SDebugsHolder& SDebugsHolder::Instance()
{
    static SDebugsHolder holder;
    return holder;
}

void SDebugsHolder::Register(SDebug* channel)
{
    m_channels.push_back(channel);
    channel->Index = std::uint32_t(m_channels.size());
}

SDebug::SDebug(const char* name, const char* comment, std::int32_t level, bool toDbger, bool secondFlag,
               std::uint32_t firstValue, std::uint32_t secondValue, std::uint8_t smallValue)
    : Level(level), ToDbger(toDbger), SecondFlag(secondFlag), SmallValue(smallValue), DefaultLevel(level),
      DefaultToDbger(toDbger), FirstValue(firstValue), SecondValue(secondValue), Kept(secondValue != 0)
{
    CopyCut(Name, sizeof Name, name);
    CopyCut(Comment, sizeof Comment, comment);
    SDebugsHolder::Instance().Register(this);
}

void SDebug::Debug(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    Emit(1, format, args);
    va_end(args);
}

void SDebug::Debug(std::int32_t level, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    Emit(level, format, args);
    va_end(args);
}

void SDebug::Debug(const wchar_t* format, ...)
{
    if (Level < 1 && !ToDbger)
        return;
    try
    {
        if (std::wcslen(format) >= kLineSize - 1)
        {
            WriteTooLong(QString::fromWCharArray(format).toUtf8().constData());
            return;
        }
        wchar_t text[kLineSize] = {};
        va_list args;
        va_start(args, format);
        std::vswprintf(text, kLineSize, format, args);
        va_end(args);
        text[kLineSize - 1] = L'\0';
        Debug("%s", QString::fromWCharArray(text).toUtf8().constData());
    }
    catch (...)
    {
        DebugOut("debug - Caught an exception");
    }
}

void SDebug::Emit(std::int32_t level, const char* format, va_list args)
{
    if (Level < level && !ToDbger)
        return;
    try
    {
        if (std::strlen(format) >= kLineSize - 1)
        {
            WriteTooLong(format);
            return;
        }
        char text[kLineSize];
        std::vsnprintf(text, sizeof text, format, args);
        TAutoLockCS lock(&TraceLock());
        if (ToDbger)
            DebugOut("%s", text);
        if (Level >= level)
            TraceToLog(2, text);
    }
    catch (...)
    {
        Platform::WriteToDebugger("SDebug::Debug - Caught an exception");
    }
}
