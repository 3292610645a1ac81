#include "Platform/ChildProcess.h"

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace Platform
{
void IsolateChildProcess()
{
    ::setpgid(0, 0);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
}
} // namespace Platform
