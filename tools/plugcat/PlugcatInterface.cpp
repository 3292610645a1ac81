#include "tools/plugcat/PlugcatInterface.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <mutex>

namespace
{
// Trace lines come from the scanner worker as well as the main thread.
std::mutex g_stderrLock;
} // namespace

PlugcatInterface::PlugcatInterface(std::wstring preferencesRoot, QStringList pluginFolders,
                                   bool traceToStderr)
    : m_preferencesRoot(std::move(preferencesRoot)), m_pluginFolders(std::move(pluginFolders)),
      m_traceToStderr(traceToStderr)
{
}

void PlugcatInterface::Log(int, const wchar_t* format, ...)
{
    if (!m_traceToStderr)
        return;
    wchar_t line[1024] = {};
    va_list args;
    va_start(args, format);
    std::vswprintf(line, 1024, format, args);
    va_end(args);
    std::lock_guard<std::mutex> lock(g_stderrLock);
    std::fprintf(stderr, "%ls\n", line);
}

void PlugcatInterface::Log(int, const char* format, ...)
{
    if (!m_traceToStderr)
        return;
    va_list args;
    va_start(args, format);
    std::lock_guard<std::mutex> lock(g_stderrLock);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    va_end(args);
}
