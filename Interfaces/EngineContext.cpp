#include "Interfaces/EngineContext.h"

#include "Core/BaseLib/Debug.h"
#include "Interfaces/ICorvaneInterface.h"

namespace
{
// Trace lines reach whichever interface is installed when they are written.
void LogNarrow(std::int32_t level, const char* line)
{
    if (ICorvaneInterface* host = EngineContext::Instance().Interface())
        host->Log(level, "%s", line);
}

void LogWide(std::int32_t level, const wchar_t* line)
{
    if (ICorvaneInterface* host = EngineContext::Instance().Interface())
        host->Log(level, L"%ls", line);
}
} // namespace

EngineContext::EngineContext()
{
    SetTraceLog({LogNarrow, LogWide});
}

EngineContext& EngineContext::Instance()
{
    static EngineContext context;
    return context;
}
