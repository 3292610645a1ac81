#include "Platform/ProcessExit.h"

#include <cstdio>
#include <unistd.h>

namespace Platform
{
void ExitWithoutTeardown(int code)
{
    std::fflush(nullptr);
    _exit(code);
}
} // namespace Platform
