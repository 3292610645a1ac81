#include "Platform/DebuggerChannel.h"

#include <cstdio>

namespace Platform
{
// Without an attached debugger's own channel, standard error is what a
// developer watching the process sees.
void WriteToDebugger(const char* text)
{
    std::fputs(text, stderr);
}

void WriteToDebugger(const wchar_t* text)
{
    std::fprintf(stderr, "%ls", text);
}
} // namespace Platform
