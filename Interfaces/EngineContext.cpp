#include "Interfaces/EngineContext.h"

EngineContext& EngineContext::Instance()
{
    static EngineContext context;
    return context;
}
